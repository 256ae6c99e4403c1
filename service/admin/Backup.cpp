// Copies of a SQLite database through SQLite's online backup API: taken while
// the service serves, checked before they count, put back in one transaction.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "service/admin/Admin.h"
#include "service/store/Dialect.h"

namespace tarvik::service {

namespace {

namespace fs = std::filesystem;

class Sqlite {
 public:
  ~Sqlite() { sqlite3_close_v2(db_); }
  bool Open(const std::string& file, int flags, std::string& error) {
    if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      error = db_ ? sqlite3_errmsg(db_) : "cannot open";
      return false;
    }
    sqlite3_busy_timeout(db_, 10000);
    return true;
  }
  sqlite3* get() const { return db_; }
  // The first column of every row of sql.
  bool Column(const char* sql, std::vector<std::string>& rows, std::string& error) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) {
      error = sqlite3_errmsg(db_);
      return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      const auto* text = sqlite3_column_text(st, 0);
      rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    if (rc != SQLITE_DONE) error = sqlite3_errmsg(db_);
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
  }

 private:
  sqlite3* db_ = nullptr;
};

// The whole of `from` into `to` in one step, so the copy is the database of
// one moment: the step reads under one snapshot, and in WAL mode the
// service's writers go on meanwhile.
bool CopyAll(Sqlite& from, Sqlite& to, std::string& error) {
  sqlite3_backup* b = sqlite3_backup_init(to.get(), "main", from.get(), "main");
  if (!b) {
    error = sqlite3_errmsg(to.get());
    return false;
  }
  int rc;
  for (int tries = 0; tries < 200; ++tries) {
    rc = sqlite3_backup_step(b, -1);
    if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
    sqlite3_sleep(50);
  }
  const int finished = sqlite3_backup_finish(b);
  if (rc != SQLITE_DONE || finished != SQLITE_OK) {
    error = sqlite3_errmsg(to.get());
    return false;
  }
  return true;
}

// integrity_check passes; the number of orders (samples included) it holds.
bool Check(Sqlite& db, std::string& orders, std::string& error) {
  std::vector<std::string> rows;
  if (!db.Column("PRAGMA integrity_check", rows, error)) return false;
  if (rows.size() != 1 || rows[0] != "ok") {
    error = "integrity_check: " + (rows.empty() ? std::string("no answer") : rows[0]);
    return false;
  }
  rows.clear();
  if (!db.Column("SELECT COUNT(*) FROM OH_", rows, error)) return false;
  orders = rows.empty() ? "0" : rows[0];
  return true;
}

bool OnSqlite(const std::string& dbPath, std::ostream& err) {
  DbTarget target;
  std::string error;
  if (!ParseDbTarget(dbPath, target, &error)) {
    err << "tarvik-service: " << error << "\n";
    return false;
  }
  if (target.backend == Backend::SQLite) return true;
  err << "tarvik-service: backup and restore are for SQLite; for PostgreSQL use pg_dump and"
         " pg_restore (README)\n";
  return false;
}

bool SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

int AdminBackup(const std::string& dbPath, const std::string& to, std::ostream& out,
                std::ostream& err) {
  if (!OnSqlite(dbPath, err)) return 2;
  std::error_code ec;
  if (fs::exists(to, ec)) {
    err << "tarvik-service: " << to << " exists; a backup never replaces a file\n";
    return 1;
  }
  const std::string partial = to + ".partial";
  fs::remove(partial, ec);
  std::string error, orders;
  bool ok;
  {
    Sqlite from, copy;
    ok = from.Open(dbPath, SQLITE_OPEN_READWRITE, error) &&
         copy.Open(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error) &&
         CopyAll(from, copy, error);
    // One file without its WAL, to be carried elsewhere as it is.
    std::vector<std::string> mode;
    ok = ok && copy.Column("PRAGMA journal_mode=DELETE", mode, error) && Check(copy, orders, error);
  }
  const std::string folder =
      fs::path(to).parent_path().empty() ? std::string(".") : fs::path(to).parent_path().string();
  ok = ok && SyncFile(partial) && ::rename(partial.c_str(), to.c_str()) == 0 && SyncFile(folder);
  if (!ok) {
    fs::remove(partial, ec);
    err << "tarvik-service: backup of " << dbPath
        << " failed: " << (error.empty() ? std::string("cannot write ") + to : error) << "\n";
    return 1;
  }
  out << to << ": integrity ok, " << orders << " orders\n";
  return 0;
}

int AdminRestore(const std::string& from, const std::string& dbPath, std::ostream& out,
                 std::ostream& err) {
  if (!OnSqlite(dbPath, err)) return 2;
  std::string error, orders, restored;
  Sqlite backup, db;
  if (!backup.Open(from, SQLITE_OPEN_READONLY, error) || !Check(backup, orders, error)) {
    err << "tarvik-service: " << from << " is no sound backup: " << error << "\n";
    return 1;
  }
  std::vector<std::string> mode;
  if (!db.Open(dbPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error) ||
      !CopyAll(backup, db, error) || !db.Column("PRAGMA journal_mode=WAL", mode, error) ||
      !Check(db, restored, error)) {
    err << "tarvik-service: restore into " << dbPath << " failed: " << error << "\n";
    return 1;
  }
  out << dbPath << ": restored from " << from << ", integrity ok, " << restored << " orders\n";
  return 0;
}

}  // namespace tarvik::service
