#!/usr/bin/env python3
"""Reference services for the Windows test programs under Wine.

A Windows program under Wine can start the Linux tarvik-service but gets no
handle, exit code or pipe back, so the tests' ServiceProcess asks this broker
(tests/support/ServiceFixtureWindows.cpp) instead. One connection is one
service: requests and answers are JSON objects, one a line; the service is
killed and its folder removed when the connection closes.

  service-broker.py TARVIK-SERVICE   prints "listening on 127.0.0.1:PORT"

Requests ({"op": ...}) and answers:
  start {demo, updateDir, serveArgs, tz}  -> {port, folder}  (port 0: it failed)
  admin {args, db}                    -> {code, out}
  kill -> {}   terminate -> {code}   restart -> {port}   log -> {log}
Windows paths in them (C:\\..., Z:\\...) are turned into this side's. tz is
the test's TZ, which a service started on Linux would inherit.
"""
import json
import os
import re
import select
import shutil
import signal
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

SERVICE = os.path.abspath(sys.argv[1])
ROOT = tempfile.mkdtemp(prefix="tarvik-broker.")
_demo_lock = threading.Lock()
_demo = {}
_live = set()  # every Service with a connection, killed when the broker stops


def unix_path(arg):
    """Z:\\tmp\\x -> /tmp/x, C:\\users\\x -> $WINEPREFIX/drive_c/users/x; others as they are."""
    m = re.match(r"^([A-Za-z]):[\\/](.*)$", arg)
    if not m:
        return arg
    rest = m.group(2).replace("\\", "/")
    if m.group(1).upper() == "Z":
        return "/" + rest
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    if m.group(1).upper() == "C":
        return os.path.join(prefix, "drive_c", rest)
    return os.path.join(prefix, "dosdevices", m.group(1).lower() + ":", rest)


def demo_copy(to):
    """The demo data set, written once by `tarvik-service demo` and copied (as ServiceFixture.cpp does)."""
    with _demo_lock:
        if "file" not in _demo:
            f = os.path.join(ROOT, "demo.db")
            ok = subprocess.run([SERVICE, "demo", "--db", f], stdout=subprocess.DEVNULL).returncode == 0
            _demo["file"] = f if ok else None
    if not _demo["file"]:
        return False
    shutil.copyfile(_demo["file"], to)
    return True


class Service:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="tarvik-service.", dir=ROOT) + "/"
        self.db = self.folder + "service.db"
        self.log = self.folder + "service.log"
        self.proc = None
        self.args = []
        self.env = dict(os.environ)
        _live.add(self)

    def start(self, req):
        if req.get("tz"):
            self.env["TZ"] = req["tz"]
        if req.get("demo", True) and not demo_copy(self.db):
            return {"port": 0, "folder": self.folder}
        self.args = ["serve", "--listen", "127.0.0.1:0", "--db", self.db]
        if req.get("updateDir"):
            self.args += ["--update-dir", unix_path(req["updateDir"])]
        self.args += [unix_path(a) for a in req.get("serveArgs", [])]
        return {"port": self.serve(), "folder": self.folder}

    def serve(self):
        """Starts `serve`; its port once it said "listening on" (within 20 s), 0 otherwise."""
        with open(self.log, "ab") as log:
            self.proc = subprocess.Popen([SERVICE] + self.args, stdout=subprocess.PIPE, stderr=log,
                                         env=self.env)
        prefix = b"listening on 127.0.0.1:"
        line = b""
        if select.select([self.proc.stdout], [], [], 20)[0]:
            line = self.proc.stdout.readline()
        self.proc.stdout.close()  # the service writes nothing more to its output
        if not line.startswith(prefix):
            self.kill()
            sys.stderr.write("service-broker: the service did not start:\n" + self.read_log())
            return 0
        return int(line[len(prefix):])

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
        if self.proc:
            self.proc.wait()
        return {}

    def terminate(self):
        code = -1
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            code = self.proc.wait()
        return {"code": code if code >= 0 else -1}

    def admin(self, req):
        args = [SERVICE] + [unix_path(a) for a in req.get("args", [])]
        if req.get("db", True):
            args += ["--db", self.db]
        try:
            run = subprocess.run(args, stdout=subprocess.PIPE, env=self.env, timeout=120)
        except (OSError, subprocess.TimeoutExpired):
            return {"code": -1, "out": ""}
        return {"code": run.returncode if run.returncode >= 0 else -1,
                "out": run.stdout.decode("utf-8", "replace")}

    def read_log(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""


class Connection(socketserver.StreamRequestHandler):
    def handle(self):
        service = Service()
        ops = {
            "start": service.start,
            "admin": service.admin,
            "kill": lambda r: service.kill(),
            "terminate": lambda r: service.terminate(),
            "restart": lambda r: (service.kill(), {"port": service.serve()})[1],
            "log": lambda r: {"log": service.read_log()},
        }
        try:
            for line in self.rfile:
                req = json.loads(line)
                sys.stderr.write("%s %s %s\n" % (time.strftime("%H:%M:%S"), service.folder, req["op"]))
                answer = ops[req["op"]](req)
                self.wfile.write(json.dumps(answer).encode() + b"\n")
                self.wfile.flush()
        finally:
            _live.discard(service)
            service.kill()
            shutil.rmtree(service.folder, ignore_errors=True)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Connection)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    finally:
        for service in list(_live):
            service.kill()
        shutil.rmtree(ROOT, ignore_errors=True)


if __name__ == "__main__":
    main()
