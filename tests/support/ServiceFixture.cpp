#include "tests/support/ServiceFixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/ChildProcess.h"
#include "tests/support/Postgres.h"

namespace tarvik::test {

bool OnPostgres() {
  const char* db = std::getenv("TARVIK_TEST_DB");
  return db && std::strcmp(db, "postgresql") == 0;
}

ServiceProcess::ServiceProcess(bool demoData, const std::string& updateDir)
    : ServiceProcess(ServiceSetup{demoData, updateDir, {}, {}, TestDb::kFromEnvironment}) {}

ServiceProcess::ServiceProcess(const ServiceSetup& setup) : setup_(setup) {
  const char* tmp = std::getenv("TMPDIR");
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvik-service.XXXXXX";
  if (!::mkdtemp(templ.data())) return;
  folder_ = templ + "/";
  if (!setup.sharedDb.empty()) {
    db_ = setup.sharedDb;
  } else if (setup.db == TestDb::kPostgres ||
             (setup.db == TestDb::kFromEnvironment && OnPostgres())) {
    onPostgres_ = true;
    std::string why;
    if (!PostgresServer::Installed()) {
      skipped_ = "PostgreSQL is not installed";
      return;
    }
    PostgresServer* pg = PostgresServer::Shared(&why);
    if (!pg) {  // installed but broken: a failure, not a skip
      std::fprintf(stderr, "ServiceProcess: %s\n", why.c_str());
      return;
    }
    db_ = pg->CreateDatabase(setup.demoData);
    ownsDb_ = !db_.empty();
    if (db_.empty()) return;
  } else {
    db_ = folder_ + "service.db";
    ownsDb_ = true;
    if (setup.demoData && Admin({"demo"}) != 0) return;
  }
  Start();
}

ServiceProcess::~ServiceProcess() {
  Kill();
  ::unsetenv("TARVIK_SERVER");
  if (ownsDb_ && onPostgres_) {
    if (PostgresServer* pg = PostgresServer::Shared()) pg->DropDatabase(db_);
  }
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
}

bool ServiceProcess::Start() {
  std::vector<std::string> args = {TARVIK_SERVICE_BIN, "serve", "--listen", "127.0.0.1:0",
                                   "--db", db_};
  if (!setup_.updateDir.empty()) {
    args.push_back("--update-dir");
    args.push_back(setup_.updateDir);
  }
  args.insert(args.end(), setup_.serveArgs.begin(), setup_.serveArgs.end());
  int fd = -1;
  // The request log goes to a file, not into the test's output.
  pid_ = Spawn(SpawnSpec{args, true, folder_ + "service.log"}, &fd);
  if (pid_ < 0) return false;
  std::string line;
  const std::string prefix = "listening on 127.0.0.1:";
  const bool ok = ReadLine(fd, line, std::chrono::seconds(20)) &&
                  line.compare(0, prefix.size(), prefix) == 0;
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

bool ServiceProcess::Running() const {
  if (pid_ <= 0 || port_ == 0) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
  // Reaped (or not ours): the number may be given to another process now, so
  // it is never signalled again.
  pid_ = -1;
  return false;
}

std::string ServiceProcess::Address() const { return "127.0.0.1:" + std::to_string(port_); }

void ServiceProcess::Kill() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    WaitExit(pid_);
  }
  pid_ = -1;
  port_ = 0;
}

int ServiceProcess::Terminate() {
  int code = -1;
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    code = WaitExit(pid_);
  }
  pid_ = -1;
  port_ = 0;
  return code;
}

std::string ServiceProcess::Log() const {
  std::ifstream in(folder_ + "service.log", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ServiceProcess::Restart() {
  Kill();
  return Start();
}

int ServiceProcess::Admin(const std::vector<std::string>& args, std::string* out,
                          bool addDb) const {
  std::vector<std::string> all = {TARVIK_SERVICE_BIN};
  all.insert(all.end(), args.begin(), args.end());
  if (addDb) {
    all.push_back("--db");
    all.push_back(db_);
  }
  return RunProgram(SpawnSpec{all, true}, out);
}

}  // namespace tarvik::test
