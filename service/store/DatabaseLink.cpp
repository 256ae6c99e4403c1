// The two kinds of database connection: SQLite through its C library, with
// each statement prepared once and kept, and PostgreSQL through libpq.
#include "service/store/DatabaseLink.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <unordered_map>

namespace tarvik::service {

namespace {

// A connection keeps at most this many prepared statements; the searches
// build their SQL from the conditions given, so the texts are not bounded.
constexpr std::size_t kMaxPrepared = 256;

class SqliteLink : public Link {
 public:
  static std::unique_ptr<Link> OpenFile(const std::string& file, std::string* error) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                   nullptr);
    std::unique_ptr<SqliteLink> link(new SqliteLink(db));
    if (rc != SQLITE_OK) {
      SetError(error, db ? sqlite3_errmsg(db) : "cannot open the database file");
      return nullptr;
    }
    // busy_timeout first: switching to WAL needs the lock when another
    // process holds the file.
    sqlite3_busy_timeout(db, 10000);
    std::size_t changed = 0;
    for (const char* pragma :
         {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
      if (!link->Run(pragma, {}, 0, nullptr, changed, error)) return nullptr;
    }
    return link;
  }

  ~SqliteLink() override {
    for (auto& [sql, st] : prepared_) sqlite3_finalize(st);
    sqlite3_close_v2(db_);
  }

  bool Run(const std::string& sql, const std::vector<const std::string*>& params,
           std::size_t columns, Rows* rows, std::size_t& changed, std::string* error) override {
    changed = 0;
    sqlite3_stmt* st = Statement(sql, error);
    if (!st) return false;
    for (std::size_t i = 0; i < params.size(); ++i) {
      sqlite3_bind_text(st, static_cast<int>(i + 1), params[i]->data(),
                        static_cast<int>(params[i]->size()), SQLITE_STATIC);
    }
    const sqlite3_int64 before = sqlite3_total_changes64(db_);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      if (!rows) continue;
      Row& row = rows->emplace_back(columns);
      for (std::size_t c = 0; c < columns; ++c) {
        const auto* text = sqlite3_column_text(st, static_cast<int>(c));
        if (text) row[c].assign(reinterpret_cast<const char*>(text),
                                sqlite3_column_bytes(st, static_cast<int>(c)));
      }
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok) SetError(error, sqlite3_errmsg(db_));
    // Rows written by this statement alone, not by its foreign-key actions;
    // a statement that wrote nothing leaves the last count standing.
    if (ok && sqlite3_total_changes64(db_) != before) changed = sqlite3_changes64(db_);
    // A statement left unreset would hold its read lock.
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    return ok;
  }

  bool Reusable() override { return sqlite3_get_autocommit(db_) != 0; }

 private:
  explicit SqliteLink(sqlite3* db) : db_(db) {}

  sqlite3_stmt* Statement(const std::string& sql, std::string* error) {
    if (auto it = prepared_.find(sql); it != prepared_.end()) return it->second;
    if (prepared_.size() >= kMaxPrepared) {
      for (auto& [text, st] : prepared_) sqlite3_finalize(st);
      prepared_.clear();
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
      SetError(error, sqlite3_errmsg(db_));
      return nullptr;
    }
    prepared_.emplace(sql, st);
    return st;
  }

  sqlite3* db_;
  std::unordered_map<std::string, sqlite3_stmt*> prepared_;
};

class PgLink : public Link {
 public:
  static std::unique_ptr<Link> OpenServer(const std::string& conninfo, const Dialect& dialect,
                                          std::string* error) {
    std::unique_ptr<PgLink> link(new PgLink(PQconnectdb(conninfo.c_str()), dialect));
    if (!link->conn_ || PQstatus(link->conn_) != CONNECTION_OK) {
      SetError(error, link->conn_ ? Trimmed(PQerrorMessage(link->conn_)) : "out of memory");
      return nullptr;
    }
    PQsetNoticeProcessor(link->conn_, [](void*, const char*) {}, nullptr);
    // Bounded waits for a row another instance holds; UTF-8 whatever the
    // server's default.
    std::size_t changed = 0;
    for (const char* sql : {"SET client_encoding = 'UTF8'", "SET lock_timeout = '10s'"}) {
      if (!link->Run(sql, {}, 0, nullptr, changed, error)) return nullptr;
    }
    return link;
  }

  ~PgLink() override { PQfinish(conn_); }

  bool Run(const std::string& sql, const std::vector<const std::string*>& params,
           std::size_t columns, Rows* rows, std::size_t& changed, std::string* error) override {
    changed = 0;
    const std::string* name = Statement(sql, error);
    if (!name) return false;
    std::vector<const char*> values(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) values[i] = params[i]->c_str();
    PGresult* r = PQexecPrepared(conn_, name->c_str(), static_cast<int>(values.size()),
                                 values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok) {
      SetError(error, Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn_)));
    } else if (status == PGRES_TUPLES_OK && rows) {
      const int n = PQntuples(r), have = PQnfields(r);
      for (int i = 0; i < n; ++i) {
        Row& row = rows->emplace_back(columns);
        for (int c = 0; c < have && c < static_cast<int>(columns); ++c) {
          row[c].assign(PQgetvalue(r, i, c), PQgetlength(r, i, c));
        }
      }
    } else {
      changed = std::strtoull(PQcmdTuples(r), nullptr, 10);
    }
    PQclear(r);
    return ok;
  }

  bool Reusable() override {
    // Reads what the server sent meanwhile, such as the notice of its own
    // shutdown, so a connection it ended is not handed out again.
    PQconsumeInput(conn_);
    return PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE;
  }

 private:
  PgLink(PGconn* conn, const Dialect& dialect) : conn_(conn), dialect_(dialect) {}

  static std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }

  const std::string* Statement(const std::string& sql, std::string* error) {
    if (auto it = prepared_.find(sql); it != prepared_.end()) return &it->second;
    if (prepared_.size() >= kMaxPrepared) {
      PQclear(PQexec(conn_, "DEALLOCATE ALL"));
      prepared_.clear();
    }
    std::string name = "t" + std::to_string(++named_);
    // No types given: the server infers each value's type from where it stands.
    PGresult* r = PQprepare(conn_, name.c_str(), dialect_.Prepare(sql).c_str(), 0, nullptr);
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok) SetError(error, Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn_)));
    PQclear(r);
    if (!ok) return nullptr;
    return &prepared_.emplace(sql, std::move(name)).first->second;
  }

  PGconn* conn_;
  const Dialect& dialect_;
  std::unordered_map<std::string, std::string> prepared_;
  unsigned long named_ = 0;
};

}  // namespace

std::unique_ptr<Link> OpenLink(const DbTarget& target, const Dialect& dialect,
                               std::string* error) {
  if (target.backend == Backend::PostgreSQL) return PgLink::OpenServer(target.connectionString, dialect, error);
  return SqliteLink::OpenFile(target.connectionString, error);
}

}  // namespace tarvik::service
