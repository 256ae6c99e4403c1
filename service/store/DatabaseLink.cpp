// The two kinds of database connection: SQLite through its C library, with
// each statement prepared once and kept, and PostgreSQL through libpq.
#include "service/store/DatabaseLink.h"

#include <libpq-fe.h>
#include <poll.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
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
    lastCode_ = ok ? SQLITE_OK : sqlite3_extended_errcode(db_);
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

  CommitOutcome Commit(std::string* error) override {
    std::size_t changed = 0;
    if (Run("COMMIT", {}, 0, nullptr, changed, error)) return CommitOutcome::kStored;
    // An I/O error may strike after the transaction reached the log; busy or
    // full leaves it out.
    return (lastCode_ & 0xFF) == SQLITE_IOERR ? CommitOutcome::kUnknown : CommitOutcome::kNotStored;
  }

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
  int lastCode_ = SQLITE_OK;
  std::unordered_map<std::string, sqlite3_stmt*> prepared_;
};

// libpq settings every connection gets before those of the URL (which win):
// bounded connects, dead peers found by TCP keepalives and unacknowledged
// sends, and the server's own bounds on a statement, a lock wait and a
// transaction left idle (one whose COMMIT never arrived ends, so a lost
// commit's status settles while it is looked up).
std::string PgSettings(const DbLimits& limits) {
  const long long statementMs = static_cast<long long>(limits.statementSeconds * 1000);
  const long long waitMs = statementMs + 1000;
  return "connect_timeout='" + std::to_string(std::max(2, limits.connectSeconds)) +
         "' keepalives='1' keepalives_idle='10' keepalives_interval='3' keepalives_count='3'"
         " tcp_user_timeout='" + std::to_string(waitMs) + "' client_encoding='UTF8'"
         " options='-c statement_timeout=" + std::to_string(statementMs) +
         " -c lock_timeout=" + std::to_string(statementMs) +
         " -c idle_in_transaction_session_timeout=" + std::to_string(2 * statementMs) + "' ";
}

class PgLink : public Link {
 public:
  static std::unique_ptr<PgLink> OpenServer(const std::string& conninfo, const Dialect& dialect,
                                             const DbLimits& limits, std::string* error) {
    std::unique_ptr<PgLink> link(
        new PgLink(PQconnectdb((PgSettings(limits) + conninfo).c_str()), conninfo, dialect, limits));
    if (!link->conn_ || PQstatus(link->conn_) != CONNECTION_OK) {
      SetError(error, link->conn_ ? Trimmed(PQerrorMessage(link->conn_)) : "out of memory");
      return nullptr;
    }
    PQsetNoticeProcessor(link->conn_, [](void*, const char*) {}, nullptr);
    return link;
  }

  ~PgLink() override { PQfinish(conn_); }

  bool Run(const std::string& sql, const std::vector<const std::string*>& params,
           std::size_t columns, Rows* rows, std::size_t& changed, std::string* error) override {
    changed = 0;
    if (abandoned_) {  // what it was last sent may still be under way
      SetError(error, "the database did not answer in time");
      return false;
    }
    const std::string* name = Statement(sql, error);
    if (!name) return false;
    std::vector<const char*> values(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) values[i] = params[i]->c_str();
    PGresult* r = nullptr;
    if (!Sent(PQsendQueryPrepared(conn_, name->c_str(), static_cast<int>(values.size()), values.data(),
                                  nullptr, nullptr, 0),
              r, error))
      return false;
    const ExecStatusType status = PQresultStatus(r);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok) {
      SetError(error, Trimmed(PQresultErrorMessage(r)));
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
    if (abandoned_) return false;
    // Reads what the server sent meanwhile, such as the notice of its own
    // shutdown, so a connection it ended is not handed out again.
    PQconsumeInput(conn_);
    return PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE;
  }

  CommitOutcome Commit(std::string* error) override {
    // The transaction's id first: should COMMIT's answer be lost, the
    // database is asked by it whether the transaction committed.
    Rows id;
    std::size_t changed = 0;
    if (!Run("SELECT CAST(txid_current() AS TEXT)", {}, 1, &id, changed, error) || id.empty())
      return CommitOutcome::kNotStored;  // COMMIT never went out
    if (Run("COMMIT", {}, 0, nullptr, changed, error)) return CommitOutcome::kStored;
    // An answer (an error) on a live connection: the database refused it.
    if (!abandoned_ && PQstatus(conn_) == CONNECTION_OK) return CommitOutcome::kNotStored;
    return LookUp(id[0][0], error);
  }

 private:
  PgLink(PGconn* conn, std::string conninfo, const Dialect& dialect, const DbLimits& limits)
      : conn_(conn), conninfo_(std::move(conninfo)), dialect_(dialect), limits_(limits) {}

  static std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }

  // After a query was sent (sent != 0): its last result, awaited no longer
  // than the statement bound and one second. A connection that does not
  // answer in time is abandoned: it is never used again.
  bool Sent(int sent, PGresult*& last, std::string* error) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(
                                          static_cast<long long>(limits_.statementSeconds * 1000) + 1000);
    last = nullptr;
    if (!sent) {
      SetError(error, Trimmed(PQerrorMessage(conn_)));
      return false;
    }
    for (;;) {
      while (!PQisBusy(conn_)) {
        PGresult* r = PQgetResult(conn_);
        if (!r) {
          if (!last) SetError(error, Trimmed(PQerrorMessage(conn_)));
          return last != nullptr;
        }
        PQclear(last);
        last = r;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      pollfd p{PQsocket(conn_), POLLIN, 0};
      if (left <= 0 || (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) ||
          (p.revents && !PQconsumeInput(conn_))) {
        PQclear(last);
        last = nullptr;
        abandoned_ = left <= 0;
        SetError(error, left <= 0 ? "the database did not answer in time" : Trimmed(PQerrorMessage(conn_)));
        return false;
      }
    }
  }

  // Whether transaction xid committed, asked on fresh connections until it
  // is known or the lookup bound is over; a database restarting or out of
  // reach meanwhile is asked again every 200 ms.
  CommitOutcome LookUp(const std::string& xid, std::string* error) {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<long long>(limits_.commitLookupSeconds * 1000));
    for (;;) {
      std::string why;
      auto fresh = OpenServer(conninfo_, dialect_, limits_, &why);
      Rows rows;
      std::size_t changed = 0;
      if (fresh && fresh->Run("SELECT txid_status(CAST(? AS BIGINT))", {&xid}, 1, &rows, changed, &why) &&
          !rows.empty()) {
        if (rows[0][0] == "committed") return CommitOutcome::kStored;
        if (rows[0][0] == "aborted") return CommitOutcome::kNotStored;
        if (rows[0][0] != "in progress") break;  // too old to tell
      }
      if (std::chrono::steady_clock::now() >= until) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    SetError(error, "the outcome of COMMIT is unknown");
    return CommitOutcome::kUnknown;
  }

  const std::string* Statement(const std::string& sql, std::string* error) {
    if (auto it = prepared_.find(sql); it != prepared_.end()) return &it->second;
    PGresult* r = nullptr;
    if (prepared_.size() >= kMaxPrepared) {
      if (!Sent(PQsendQuery(conn_, "DEALLOCATE ALL"), r, error)) return nullptr;
      PQclear(r);
      prepared_.clear();
    }
    std::string name = "t" + std::to_string(++named_);
    // No types given: the server infers each value's type from where it stands.
    if (!Sent(PQsendPrepare(conn_, name.c_str(), dialect_.Prepare(sql).c_str(), 0, nullptr), r, error))
      return nullptr;
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok) SetError(error, Trimmed(PQresultErrorMessage(r)));
    PQclear(r);
    if (!ok) return nullptr;
    return &prepared_.emplace(sql, std::move(name)).first->second;
  }

  PGconn* conn_;
  const std::string conninfo_;  // for the lookup's fresh connections
  const Dialect& dialect_;
  const DbLimits limits_;
  bool abandoned_ = false;  // an answer did not come in time
  std::unordered_map<std::string, std::string> prepared_;
  unsigned long named_ = 0;
};

}  // namespace

std::unique_ptr<Link> OpenLink(const DbTarget& target, const Dialect& dialect, const DbLimits& limits,
                               std::string* error) {
  if (target.backend == Backend::PostgreSQL) return PgLink::OpenServer(target.connectionString, dialect, limits, error);
  return SqliteLink::OpenFile(target.connectionString, error);
}

}  // namespace tarvik::service
