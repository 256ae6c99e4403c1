#include "service/HttpServer.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPRequestHandler.h>
#include <Poco/Net/HTTPRequestHandlerFactory.h>
#include <Poco/Net/HTTPServer.h>
#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/HTTPServerRequest.h>
#include <Poco/Net/HTTPServerResponse.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/ThreadPool.h>
#include <Poco/URI.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "net/Gzip.h"
#include "service/Commands.h"
#include "service/Database.h"
#include "service/Wire.h"

namespace tarvik::service {

namespace {

using Poco::Net::HTTPResponse;
using Poco::Net::HTTPServerRequest;
using Poco::Net::HTTPServerResponse;

void SendReply(HTTPServerResponse& resp, const std::string& reply,
               HTTPResponse::HTTPStatus status = HTTPResponse::HTTP_OK) {
  const std::string body = GzipCompress(reply);
  resp.setStatus(status);
  resp.setContentType("text/html; charset=utf-8");
  resp.set("Content-Encoding", "gzip");
  resp.setContentLength(static_cast<std::streamsize>(body.size()));
  resp.send().write(body.data(), static_cast<std::streamsize>(body.size()));
}

class NetHandler : public Poco::Net::HTTPRequestHandler {
 public:
  NetHandler(ConnectionPool& pool, std::string endpoint)
      : pool_(pool), endpoint_(std::move(endpoint)) {}

  void handleRequest(HTTPServerRequest& req, HTTPServerResponse& resp) override {
    if (req.getMethod() != Poco::Net::HTTPRequest::HTTP_POST) {
      SendReply(resp, FailureReply("POST only"), HTTPResponse::HTTP_METHOD_NOT_ALLOWED);
      return;
    }
    if (!IsKnownEndpoint(endpoint_)) {
      SendReply(resp, FailureReply("unknown endpoint"), HTTPResponse::HTTP_NOT_FOUND);
      return;
    }
    if (req.hasContentLength() &&
        req.getContentLength64() > static_cast<Poco::Int64>(kMaxBodyBytes)) {
      resp.setKeepAlive(false);  // the rest of the body is not read
      SendReply(resp, FailureReply("request too large"),
                HTTPResponse::HTTP_REQUEST_ENTITY_TOO_LARGE);
      return;
    }
    std::string body;
    std::istream& in = req.stream();
    char buf[16384];
    while (in) {
      in.read(buf, sizeof buf);
      const auto n = static_cast<std::size_t>(in.gcount());
      if (n == 0) break;
      if (body.size() + n > kMaxBodyBytes) {
        resp.setKeepAlive(false);
        SendReply(resp, FailureReply("request too large"),
                  HTTPResponse::HTTP_REQUEST_ENTITY_TOO_LARGE);
        return;
      }
      body.append(buf, n);
    }
    std::string text, error;
    if (!DecodePostBody(req.getContentType(), body, text, &error)) {
      SendReply(resp, FailureReply(error), HTTPResponse::HTTP_BAD_REQUEST);
      return;
    }
    SendReply(resp, HandleRequest(pool_, endpoint_, text));
  }

 private:
  ConnectionPool& pool_;
  std::string endpoint_;
};

class UpdateHandler : public Poco::Net::HTTPRequestHandler {
 public:
  UpdateHandler(std::string dir, std::string relative)
      : dir_(std::move(dir)), relative_(std::move(relative)) {}

  void handleRequest(HTTPServerRequest& req, HTTPServerResponse& resp) override {
    const std::string path = UpdateFilePath(dir_, relative_);
    struct stat st {};
    const bool isGet = req.getMethod() == Poco::Net::HTTPRequest::HTTP_GET ||
                       req.getMethod() == Poco::Net::HTTPRequest::HTTP_HEAD;
    std::ifstream file;
    if (isGet && !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      file.open(path, std::ios::binary);
    if (!file.is_open() || !file) {
      resp.setStatus(isGet ? HTTPResponse::HTTP_NOT_FOUND : HTTPResponse::HTTP_METHOD_NOT_ALLOWED);
      resp.setContentType("text/plain");
      resp.setContentLength(9);
      resp.send() << "not found";
      return;
    }
    resp.setStatus(HTTPResponse::HTTP_OK);
    resp.setContentType("application/octet-stream");
    resp.set("Cache-Control", "no-cache");
    resp.setContentLength64(st.st_size);
    std::ostream& out = resp.send();
    if (req.getMethod() == Poco::Net::HTTPRequest::HTTP_HEAD) return;
    char buf[65536];
    while (file && out) {
      file.read(buf, sizeof buf);
      if (file.gcount() > 0) out.write(buf, file.gcount());
    }
  }

 private:
  std::string dir_, relative_;
};

class NotFoundHandler : public Poco::Net::HTTPRequestHandler {
 public:
  void handleRequest(HTTPServerRequest&, HTTPServerResponse& resp) override {
    resp.setStatus(HTTPResponse::HTTP_NOT_FOUND);
    resp.setContentType("text/plain");
    resp.setContentLength(9);
    resp.send() << "not found";
  }
};

class Factory : public Poco::Net::HTTPRequestHandlerFactory {
 public:
  Factory(ConnectionPool& pool, std::string updateDir)
      : pool_(pool), updateDir_(std::move(updateDir)) {}

  Poco::Net::HTTPRequestHandler* createRequestHandler(const HTTPServerRequest& req) override {
    std::string path;
    try {
      path = Poco::URI(req.getURI()).getPath();  // percent-decoded
    } catch (const Poco::Exception&) {
      return new NotFoundHandler();
    }
    static const std::string kNet = "/NET/", kPhp = ".php", kUpdate = "/update/";
    if (path.compare(0, kNet.size(), kNet) == 0 && path.size() > kNet.size() + kPhp.size() &&
        path.compare(path.size() - kPhp.size(), kPhp.size(), kPhp) == 0) {
      return new NetHandler(pool_,
                            path.substr(kNet.size(), path.size() - kNet.size() - kPhp.size()));
    }
    if (path.compare(0, kUpdate.size(), kUpdate) == 0 && !updateDir_.empty())
      return new UpdateHandler(updateDir_, path.substr(kUpdate.size()));
    return new NotFoundHandler();
  }

 private:
  ConnectionPool& pool_;
  std::string updateDir_;
};

}  // namespace

std::string UpdateFilePath(const std::string& updateDir, const std::string& relative) {
  if (updateDir.empty() || relative.empty()) return std::string();
  if (relative.find('\\') != std::string::npos || relative.find('\0') != std::string::npos)
    return std::string();
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = relative.find('/', start);
    const std::string seg = relative.substr(start, slash == std::string::npos ? std::string::npos
                                                                              : slash - start);
    if (seg.empty() || seg == "." || seg == "..") return std::string();
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string dir = updateDir;
  if (dir.back() != '/') dir += '/';
  return dir + relative;
}

int Serve(const std::string& listen, const std::string& dbPath, const std::string& updateDir) {
  const auto colon = listen.rfind(':');
  if (colon == std::string::npos) {
    std::cerr << "tarvik-service: --listen wants IP:PORT\n";
    return 2;
  }
  const std::string host = listen.substr(0, colon);
  int port = -1;
  try {
    port = std::stoi(listen.substr(colon + 1));
  } catch (const std::exception&) {
  }
  if (port < 0 || port > 65535) {
    std::cerr << "tarvik-service: bad port in --listen\n";
    return 2;
  }
  std::string error;
  {
    auto c = Connection::Open(dbPath, &error);
    if (!c || !c->EnsureSchema(&error)) {
      std::cerr << "tarvik-service: " << dbPath << ": " << error << "\n";
      return 1;
    }
  }
  // Signals are taken by sigwait below; every thread started later inherits the mask.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  ConnectionPool pool(dbPath);
  try {
    Poco::Net::ServerSocket socket;
    socket.bind(Poco::Net::SocketAddress(host, static_cast<Poco::UInt16>(port)), true);
    socket.listen(128);
    auto params = new Poco::Net::HTTPServerParams();
    params->setMaxThreads(16);
    params->setMaxQueued(256);
    params->setKeepAlive(true);
    params->setMaxKeepAliveRequests(10000);
    params->setKeepAliveTimeout(Poco::Timespan(15, 0));
    params->setTimeout(Poco::Timespan(60, 0));
    Poco::ThreadPool threads(2, 16);
    Poco::Net::HTTPServer server(new Factory(pool, updateDir), threads, socket, params);
    server.start();
    std::printf("listening on %s:%u\n", host.c_str(), socket.address().port());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stop, &sig);
    server.stopAll(true);
    threads.joinAll();
  } catch (const Poco::Exception& e) {
    std::cerr << "tarvik-service: " << e.displayText() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace tarvik::service
