// The service as child processes: one (ServiceProcess), several behind
// HAProxy (ServiceCluster), and the PostgreSQL server they may share.
#include "tests/support/ServiceFixture.h"

#include <QTemporaryDir>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/support/Files.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/Postgres.h"
#include "tests/support/ServiceCluster.h"

namespace tarvik::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
const char kHaproxy[] = "/usr/sbin/haproxy";

// A new folder below root (TMPDIR or /tmp), ending with "/"; empty on failure.
std::string NewFolder(const char* root, const std::string& name) {
  std::string templ = std::string(root && *root ? root : "/tmp") + "/" + name + ".XXXXXX";
  return ::mkdtemp(templ.data()) ? templ + "/" : std::string();
}

// The newest installed server's program folder (Debian keeps them off PATH).
std::string PostgresBin() {
  std::string best;
  int bestVersion = -1;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    const int version = std::atoi(e.path().filename().c_str());
    const fs::path bin = e.path() / "bin";
    if (version > bestVersion && fs::exists(bin / "initdb") && fs::exists(bin / "postgres")) {
      bestVersion = version;
      best = bin.string() + "/";
    }
  }
  return best;
}

// A copy of the demo data set, written once a process by `tarvik-service
// demo` (a copy takes a millisecond, writing it a fifth of a second).
bool CopyDemoData(const std::string& to) {
  static const struct Template {
    QTemporaryDir folder;
    std::string file = folder.filePath("demo.db").toStdString();
    bool ok = folder.isValid() &&
              RunProgram(SpawnSpec{{TARVIK_SERVICE_BIN, "demo", "--db", file}, true}) == 0;
  } demo;
  std::error_code ec;
  return demo.ok && fs::copy_file(demo.file, to, ec);
}

}  // namespace

ServiceProcess::ServiceProcess(const ServiceSetup& setup, const std::string& program)
    : setup_(setup), program_(program) {
  folder_ = NewFolder(std::getenv("TMPDIR"), "tarvik-service");
  if (folder_.empty()) return;
  if (!setup.sharedDb.empty()) {
    db_ = setup.sharedDb;
  } else if (setup.db == TestDb::kPostgres || (setup.db == TestDb::kFromEnvironment && OnPostgres())) {
    onPostgres_ = true;
    std::string why;
    PostgresServer* pg = PostgresServer::Installed() ? PostgresServer::Shared(&why) : nullptr;
    if (!PostgresServer::Installed()) skipped_ = "PostgreSQL is not installed";
    else if (!pg) std::fprintf(stderr, "ServiceProcess: %s\n", why.c_str());  // broken: a failure
    if (!pg || (db_ = pg->CreateDatabase(setup.demoData)).empty()) return;
    ownsDb_ = true;
  } else {
    db_ = folder_ + "service.db";
    ownsDb_ = true;
    if (setup.demoData && !CopyDemoData(db_)) return;
  }
  Start();
}

ServiceProcess::~ServiceProcess() {
  Kill();
  ::unsetenv("TARVIK_SERVER");
  PostgresServer* pg = ownsDb_ && onPostgres_ ? PostgresServer::Shared() : nullptr;
  if (pg) pg->DropDatabase(db_);
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

bool ServiceProcess::Start() {
  std::vector<std::string> args = {program_, "serve", "--listen", "127.0.0.1:0", "--db", db_};
  if (!setup_.updateDir.empty()) args.insert(args.end(), {"--update-dir", setup_.updateDir});
  args.insert(args.end(), setup_.serveArgs.begin(), setup_.serveArgs.end());
  int fd = -1;
  pid_ = Spawn(SpawnSpec{args, true, folder_ + "service.log"}, &fd);  // the request log to a file
  if (pid_ < 0) return false;
  std::string line;
  const std::string prefix = "listening on 127.0.0.1:";
  const bool ok = ReadLine(fd, line, std::chrono::seconds(20)) && line.rfind(prefix, 0) == 0;
  ::close(fd);  // the service writes nothing more to its output
  if (!ok) {
    Kill();
    std::fprintf(stderr, "ServiceProcess: the service did not start:\n%s\n", Log().c_str());
    return false;
  }
  port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + prefix.size()));
  ::setenv("TARVIK_SERVER", Address().c_str(), 1);
  return port_ != 0;
}

// Once reaped, the number may be given to another process: never signalled again.
bool ServiceProcess::Running() const { return port_ != 0 && !Ended(pid_); }

void ServiceProcess::Kill() {
  Stop(pid_, SIGKILL);
  port_ = 0;
}

int ServiceProcess::Terminate() {
  const int code = pid_ > 0 && ::kill(pid_, SIGTERM) == 0 ? WaitExit(pid_) : -1;
  pid_ = -1;
  port_ = 0;
  return code;
}

std::string ServiceProcess::Log() const { return ReadFile(folder_ + "service.log"); }

bool ServiceProcess::Restart() {
  Kill();
  return Start();
}

int ServiceProcess::Admin(const std::vector<std::string>& args, std::string* out, bool addDb) const {
  std::vector<std::string> all = {program_};
  all.insert(all.end(), args.begin(), args.end());
  if (addDb) all.insert(all.end(), {"--db", db_});
  return RunProgram(SpawnSpec{all, true}, out);
}

ServiceCluster::ServiceCluster(std::size_t instances, const ServiceSetup& setup) {
  if (::access(kHaproxy, X_OK) != 0) {
    skipped_ = "HAProxy is not installed";
    return;
  }
  instances_.push_back(std::make_unique<ServiceProcess>(setup));
  skipped_ = instances_[0]->Skipped();
  if (!skipped_.empty() || !instances_[0]->Running()) return;
  ServiceSetup more = setup;
  more.demoData = false;
  more.sharedDb = instances_[0]->DbPath();
  for (std::size_t i = 1; i < instances; ++i) instances_.push_back(std::make_unique<ServiceProcess>(more));
  for (const auto& s : instances_)
    if (!s->Running()) return;
  if (StartProxy()) ::setenv("TARVIK_SERVER", ("127.0.0.1:" + std::to_string(port_)).c_str(), 1);
}

ServiceCluster::~ServiceCluster() {
  Stop(proxy_, SIGKILL);
  while (!instances_.empty()) instances_.pop_back();  // the first owns the database: it goes last
}

bool ServiceCluster::Running() const {
  for (const auto& s : instances_)
    if (!s->Running()) return false;
  pid_t proxy = proxy_;
  return !instances_.empty() && !Ended(proxy);
}

bool ServiceCluster::StartProxy() {
  port_ = LoopbackServer::ClosedPort();  // free a moment ago
  const std::string folder = instances_[0]->Folder(), config = folder + "haproxy.cfg";
  // The distributor's configuration (scripts/cluster writes the same).
  std::string text = ReadFile(TARVIK_SOURCE_DIR "/scripts/haproxy.cfg");
  text.replace(text.find("@PORT@"), 6, std::to_string(port_));
  for (std::size_t i = 0; i < instances_.size(); ++i)
    text += "  server s" + std::to_string(i) + " " + instances_[i]->Address() + "\n";
  WriteFile(config, text);
  proxy_ = Spawn(SpawnSpec{{kHaproxy, "-db", "-f", config}, false, folder + "haproxy.log"});
  for (const auto deadline = Clock::now() + std::chrono::seconds(20); Clock::now() < deadline;) {
    if (Ended(proxy_)) {
      std::fprintf(stderr, "HAProxy ended at its start:\n%s\n", ReadFile(folder + "haproxy.log").c_str());
      return false;
    }
    // Every instance answered through the proxy once (a missing update
    // file; the proxy itself says 503 while it sees none up): all are up.
    bool all = true;
    for (std::size_t i = 0; i < instances_.size() && all; ++i) {
      std::string status;
      RunProgram(SpawnSpec{{"/usr/bin/curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", "-m", "2", "--noproxy",
                            "*", "http://127.0.0.1:" + std::to_string(port_) + "/update/none"},
                           true},
                 &status);
      all = status == "404";
    }
    if (all) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool PostgresServer::Installed() { return !PostgresBin().empty(); }

PostgresServer* PostgresServer::Shared(std::string* why) {
  static std::unique_ptr<PostgresServer> server;
  static std::string failure;
  static std::once_flag once;
  std::call_once(once, [] {
    std::unique_ptr<PostgresServer> s(new PostgresServer());
    if (s->Start(&failure)) server = std::move(s);
  });
  if (!server && why) *why = failure;
  return server.get();
}

PostgresServer::~PostgresServer() {
  Stop(pid_, SIGINT, std::chrono::seconds(10));  // a fast shutdown
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::string PostgresServer::Url(const std::string& dbname) const {
  return "postgresql://tarvik@127.0.0.1:" + std::to_string(port_) + "/" + dbname;
}

bool PostgresServer::Start(std::string* why) {
  bin_ = PostgresBin();
  if (bin_.empty()) return *why = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)", false;
  uid_t uid;
  gid_t gid;
  UnprivilegedUser(uid, gid);
  // As root, /tmp: `nobody` may not reach into root's own TMPDIR.
  folder_ = NewFolder(uid == static_cast<uid_t>(-1) ? std::getenv("TMPDIR") : nullptr, "tarvik-pg");
  if (folder_.empty()) return *why = "no temporary folder", false;
  if (uid != static_cast<uid_t>(-1) && (::chown(folder_.c_str(), uid, gid) != 0 || ::chmod(folder_.c_str(), 0700) != 0))
    return *why = "cannot give the folder to nobody", false;
  const std::string log = folder_ + "server.log";
  if (RunProgram(SpawnSpec{{bin_ + "initdb", "-D", folder_ + "data", "-U", "tarvik", "--auth=trust", "--no-locale",
                            "-E", "UTF8", "--no-sync"},
                           false, log, uid, gid}) != 0)
    return *why = "initdb failed: " + ReadTail(log), false;
  // Durability against a crash of the machine is not what tests look at.
  for (int attempt = 0; attempt < 3; ++attempt) {
    port_ = LoopbackServer::ClosedPort();
    pid_ = Spawn(SpawnSpec{{bin_ + "postgres", "-D", folder_ + "data", "-p", std::to_string(port_),
                            "-c", "listen_addresses=127.0.0.1", "-c", "unix_socket_directories=",
                            "-c", "fsync=off", "-c", "full_page_writes=off",
                            "-c", "max_connections=100", "-c", "shared_buffers=16MB"},
                           false, log, uid, gid});
    // Until it answers, or ends (the port was taken, or worse).
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline && !Ended(pid_)) {
      if (Sql("postgres", "SELECT 1")) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Stop(pid_, SIGINT, std::chrono::seconds(10));
  }
  return *why = "postgres did not start: " + ReadTail(log), false;
}

bool PostgresServer::Sql(const std::string& dbname, const std::string& sql, std::string* out) {
  return RunProgram(SpawnSpec{{bin_ + "psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p",
                               std::to_string(port_), "-U", "tarvik", "-d", dbname, "-c", sql},
                              true, folder_ + "psql.log"},
                    out) == 0;
}

std::string PostgresServer::CreateDatabase(bool demo) {
  if (demo && !template_) {
    template_ = Sql("postgres", "CREATE DATABASE tarvik_demo") &&
                RunProgram(SpawnSpec{{TARVIK_SERVICE_BIN, "demo", "--db", Url("tarvik_demo")}, false,
                                     folder_ + "demo.log"}) == 0;
    if (!template_) return std::string();
  }
  const std::string name = "t" + std::to_string(++next_);
  return Sql("postgres", "CREATE DATABASE " + name + (demo ? " TEMPLATE tarvik_demo" : "")) ? Url(name) : std::string();
}

void PostgresServer::DropDatabase(const std::string& url) {
  Sql("postgres", "DROP DATABASE IF EXISTS " + url.substr(url.rfind('/') + 1) + " WITH (FORCE)");
}

}  // namespace tarvik::test
