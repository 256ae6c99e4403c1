#pragma once
// A PostgreSQL server of the test process's own (initdb into a temporary
// folder, postgres on a free 127.0.0.1 port, as `nobody` when run as root;
// trust for "tarvik", C locale, UTF-8), started by the first Shared() call,
// which must come from the main thread (a child dies with its thread).
#include <sys/types.h>

#include <string>

namespace tarvik::test {

class PostgresServer {
 public:
  static bool Installed();
  // Null when PostgreSQL is not installed or did not start (why in *why).
  static PostgresServer* Shared(std::string* why = nullptr);
  ~PostgresServer();

  int Port() const { return port_; }
  std::string Url(const std::string& dbname) const;  // postgresql://tarvik@127.0.0.1:PORT/dbname
  // A new database, empty or holding the demo data set (copied from a
  // template written once by `tarvik-service demo`); its URL, empty on failure.
  std::string CreateDatabase(bool demo);
  void DropDatabase(const std::string& url);  // open sessions are ended
  // Runs SQL in the database `dbname` with psql; output rows in *out.
  bool Sql(const std::string& dbname, const std::string& sql, std::string* out = nullptr);

 private:
  PostgresServer() = default;
  bool Start(std::string* why);

  std::string bin_;     // the folder of initdb, postgres, psql
  std::string folder_;  // ends with "/"
  pid_t pid_ = -1;
  int port_ = 0;
  int next_ = 0;
  bool template_ = false;
};

}  // namespace tarvik::test
