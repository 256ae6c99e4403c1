#include "tests/support/Postgres.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "tests/support/ChildProcess.h"

namespace tarvik::test {

namespace {

namespace fs = std::filesystem;

// The newest installed server's program folder (Debian keeps them off PATH).
std::string FindBinDir() {
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

std::string Tail(const std::string& path) {
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

}  // namespace

bool PostgresServer::Installed() { return !FindBinDir().empty(); }

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

PostgresServer::~PostgresServer() { Stop(); }

std::string PostgresServer::Url(const std::string& dbname) const {
  return "postgresql://tarvik@127.0.0.1:" + std::to_string(port_) + "/" + dbname;
}

bool PostgresServer::Start(std::string* why) {
  bin_ = FindBinDir();
  if (bin_.empty()) {
    *why = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)";
    return false;
  }
  uid_t uid;
  gid_t gid;
  UnprivilegedUser(uid, gid);
  // As root, /tmp: `nobody` may not reach into root's own TMPDIR.
  const char* tmp = uid == static_cast<uid_t>(-1) ? std::getenv("TMPDIR") : nullptr;
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvik-pg.XXXXXX";
  if (!::mkdtemp(templ.data())) {
    *why = "no temporary folder";
    return false;
  }
  folder_ = templ + "/";
  if (uid != static_cast<uid_t>(-1) && (::chown(templ.c_str(), uid, gid) != 0 ||
                                        ::chmod(templ.c_str(), 0700) != 0)) {
    *why = "cannot give the folder to nobody";
    return false;
  }
  const std::string log = folder_ + "server.log";
  SpawnSpec init{{bin_ + "initdb", "-D", folder_ + "data", "-U", "tarvik", "--auth=trust",
                  "--no-locale", "-E", "UTF8", "--no-sync"},
                 false, log, uid, gid};
  if (RunProgram(init) != 0) {
    *why = "initdb failed: " + Tail(log);
    return false;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    port_ = FreeLoopbackPort();
    if (Run()) return true;
  }
  Stop();
  *why = "postgres did not start: " + Tail(log);
  return false;
}

bool PostgresServer::Run() {
  uid_t uid;
  gid_t gid;
  UnprivilegedUser(uid, gid);
  // Durability against a crash of the machine is not what tests look at.
  SpawnSpec run{{bin_ + "postgres", "-D", folder_ + "data", "-p", std::to_string(port_), "-c",
                 "listen_addresses=127.0.0.1", "-c", "unix_socket_directories=", "-c", "fsync=off", "-c",
                 "full_page_writes=off", "-c", "max_connections=100", "-c", "shared_buffers=16MB"},
                false, folder_ + "server.log", uid, gid};
  pid_ = Spawn(run);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;  // exited: the port was taken, or worse
      return false;
    }
    if (Sql("postgres", "SELECT 1")) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Halt();
  return false;
}

bool PostgresServer::Restart() {
  Halt();
  return Run();
}

void PostgresServer::Stop() {
  Halt();
  if (!folder_.empty()) {
    std::error_code ec;
    fs::remove_all(folder_, ec);
    folder_.clear();
  }
}

void PostgresServer::Halt() {
  if (pid_ > 0) {
    ::kill(pid_, SIGINT);  // fast shutdown
    for (int i = 0; i < 100; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      WaitExit(pid_);
      pid_ = -1;
    }
  }
}

bool PostgresServer::Sql(const std::string& dbname, const std::string& sql, std::string* out) {
  SpawnSpec psql{{bin_ + "psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h",
                  "127.0.0.1", "-p", std::to_string(port_), "-U", "tarvik", "-d", dbname, "-c",
                  sql},
                 true, folder_ + "psql.log"};
  return RunProgram(psql, out) == 0;
}

std::string PostgresServer::CreateDatabase(bool demo) {
  if (demo && !template_) {
    SpawnSpec write{{TARVIK_SERVICE_BIN, "demo", "--db", Url("tarvik_demo")}, false,
                    folder_ + "demo.log"};
    template_ = Sql("postgres", "CREATE DATABASE tarvik_demo") && RunProgram(write) == 0;
    if (!template_) return std::string();
  }
  const std::string name = "t" + std::to_string(++next_);
  const std::string sql =
      "CREATE DATABASE " + name + (demo ? " TEMPLATE tarvik_demo" : "");
  return Sql("postgres", sql) ? Url(name) : std::string();
}

void PostgresServer::DropDatabase(const std::string& url) {
  const std::string name = url.substr(url.rfind('/') + 1);
  Sql("postgres", "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
}

}  // namespace tarvik::test
