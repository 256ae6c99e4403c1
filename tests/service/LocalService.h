#pragma once
// The service in-process, no socket, on a fresh demo database (SQLite, or PostgreSQL with TARVIK_TEST_DB);
// several may share one database as instances do, each with its own pool and reply cache.
#include <QTemporaryDir>
#include <memory>
#include <sstream>
#include <string>

#include "service/front/Endpoints.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {

struct LocalSetup {
  std::string db;  // serve this database (another's Db(), a URL through a proxy) instead of a new one
  std::string updateDir;
  service::DbLimits limits;
  TestDb which = TestDb::kFromEnvironment;  // where a new database is made
};

struct AdminRun {
  int code;
  std::string out;
};

class LocalService {
 public:
  explicit LocalService(const LocalSetup& setup = LocalSetup());
  ~LocalService();
  LocalService(const LocalService&) = delete;
  LocalService& operator=(const LocalService&) = delete;

  bool Running() const { return site_ != nullptr; }
  const std::string& Skipped() const { return skipped_; }
  const std::string& Db() const { return db_; }          // what --db would name
  const std::string& Folder() const { return folder_; }  // ends with "/"
  service::Database* Store() const { return database_.get(); }

  // The reply text of a command; empty when a write's outcome is unknown.
  std::string Call(const Req& request);
  // A whole HTTP request answered as the front answers it once read; a file reply's body is the file's bytes.
  Answer Http(const std::string& request);
  // An admin command of Admin.h on this database: f(Db(), args..., out, err).
  template <class F, class... Args>
  AdminRun Admin(F f, const Args&... args) const {
    std::ostringstream out, err;
    const int code = f(db_, args..., out, err);
    return {code, out.str() + err.str()};
  }

 private:
  QTemporaryDir dir_;
  std::string skipped_, folder_, db_;
  bool ownsPostgres_ = false;
  std::unique_ptr<service::Database> database_;
  std::unique_ptr<service::ReplyCache> cache_;
  std::unique_ptr<service::Service> service_;
  std::unique_ptr<service::Site> site_;
};

}  // namespace tarvik::test
