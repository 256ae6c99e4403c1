#pragma once
// The real reference service as a child process on a fresh database: a
// SQLite file, or with TARVIK_TEST_DB=postgresql one in the test process's own
// PostgreSQL server (Postgres.h; Skipped() tells that none is installed, one
// that does not start is a failure). While it runs, TARVIK_SERVER names it.
// A test that uses it depends on the tarvik-service target.
// Under Wine (_WIN32) the same class asks tests/wine/service-broker.py, whose
// address TARVIK_TEST_BROKER gives, for a service on the Linux side
// (ServiceFixtureWindows.cpp): SQLite only, and Folder() is that side's folder
// as a Z: path.
#ifndef _WIN32
#include <sys/types.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tarvik::test {

// This test process runs its services on PostgreSQL.
inline bool OnPostgres() {
  const char* db = std::getenv("TARVIK_TEST_DB");
  return db && std::strcmp(db, "postgresql") == 0;
}

enum class TestDb { kFromEnvironment, kSQLite, kPostgres };

struct ServiceSetup {
  bool demoData = true;
  std::string updateDir;               // --update-dir when not empty
  std::vector<std::string> serveArgs;  // more arguments of `serve` (--cache-mb 0, ...)
  std::string sharedDb;  // serve this database (another instance's DbPath()) instead of a new one
  TestDb db = TestDb::kFromEnvironment;  // where a new database is made
};

class ServiceProcess {
 public:
  // Fresh temporary folder and database; starts `tarvik-service serve
  // --listen 127.0.0.1:0 --db ...`, waits (at most 20 s) for its "listening
  // on" line. Running() is false when any step failed.
  explicit ServiceProcess(bool demoData = true, const std::string& updateDir = std::string())
      : ServiceProcess(ServiceSetup{demoData, updateDir, {}, {}, TestDb::kFromEnvironment}) {}
#ifdef _WIN32
  explicit ServiceProcess(const ServiceSetup& setup);
#else
  // program: another tarvik-service (the packaged one) for serve and Admin.
  explicit ServiceProcess(const ServiceSetup& setup, const std::string& program = TARVIK_SERVICE_BIN);
#endif
  ~ServiceProcess();  // kills and reaps the child, unsets TARVIK_SERVER, removes folder and database
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool Running() const;
  // Set when the test wants PostgreSQL and there is none: GTEST_SKIP() with it.
  const std::string& Skipped() const { return skipped_; }
  std::uint16_t Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string DbPath() const { return db_; }      // what --db names: a file or a URL
  std::string Folder() const { return folder_; }  // ends with "/"
#ifndef _WIN32
  pid_t Pid() const { return pid_; }  // -1 when not running
#endif
  std::string Log() const;  // its standard error (the request log), from every start

  void Kill();       // SIGKILL, wait
  int Terminate();   // SIGTERM, wait: its exit code (-1: it did not exit normally)
  bool Restart();    // serve again on the same database (a new port; TARVIK_SERVER updated)
  // Runs `tarvik-service <args...>` (with --db DbPath() appended when addDb)
  // to its end: its exit code (-1: it could not run), its output in *out.
  int Admin(const std::vector<std::string>& args, std::string* out = nullptr, bool addDb = true) const;

 private:
  bool Start();
  std::string folder_;
  std::string db_;
  bool ownsDb_ = false;
  bool onPostgres_ = false;
  std::string skipped_;
  ServiceSetup setup_;
  std::uint16_t port_ = 0;
#ifdef _WIN32
  // One request to the broker on this service's connection: its answer (a
  // JSON object), empty when the broker is gone.
  std::string Ask(const std::string& request) const;
  int broker_ = -1;  // the connection; closing it stops the service
#else
  std::string program_;
  mutable pid_t pid_ = -1;  // -1 once the child is reaped
#endif
};

}  // namespace tarvik::test
