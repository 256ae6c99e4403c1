#pragma once
// The service's database, SQLite (its C library) or PostgreSQL (libpq), with a
// pool of open connections. Every statement is prepared once per connection
// and kept, so a save costs one round trip per statement on PostgreSQL.
// SQLite runs WAL with synchronous=FULL, foreign keys on and a busy timeout,
// so an acknowledged commit is on disk whole. Nothing here throws to the
// caller: failures come back as false with an error text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service/store/Dialect.h"
#include "service/store/Rows.h"

namespace tarvik::service {

class Link;
class Pool;

// The database's clock at one moment.
struct Clock {
  std::string date;    // yymmdd, local
  std::string hhmm;    // HHMM, local
  std::string hhmmss;  // HHMMSS, local
  long long utcMicros = 0;
};

// One connection taken from the pool, used by one thread at a time. It goes
// back to the pool when destroyed; a transaction still open is rolled back
// first, and a connection the database dropped is closed instead.
class Connection {
 public:
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const Dialect& dialect() const { return dialect_; }

  // A statement without result rows; params are bound in order ('?').
  bool Exec(const std::string& sql, const std::vector<std::string>& params = {},
            std::string* error = nullptr);
  // A statement with `columns` text result columns (NULL reads as empty).
  bool Query(const std::string& sql, const std::vector<std::string>& params, std::size_t columns,
             Rows& out, std::string* error = nullptr);
  // The same statement once per row of values (one column vector per '?').
  bool ExecMany(const std::string& sql, const std::vector<std::vector<std::string>>& columns,
                std::string* error = nullptr);
  // Rows changed by the last Exec or ExecMany.
  std::size_t Changed() const { return changed_; }

  bool BeginWrite(std::string* error = nullptr);
  bool BeginRead(std::string* error = nullptr);
  // A COMMIT whose answer is lost is looked up on fresh connections
  // (PostgreSQL: the transaction's status by its id) before this returns.
  CommitOutcome Commit(std::string* error = nullptr);
  void Rollback();

  // Creates the tables when they are missing (one instance at a time).
  bool EnsureSchema(std::string* error = nullptr);
  bool Now(Clock& out, std::string* error = nullptr);

 private:
  friend class Database;
  Connection(const Dialect& dialect, std::unique_ptr<Link> link, std::shared_ptr<Pool> pool);
  const Dialect& dialect_;
  std::unique_ptr<Link> link_;
  std::shared_ptr<Pool> pool_;  // null for a connection of its own
  std::size_t changed_ = 0;
  bool inTransaction_ = false;
};

// One per process: what --db names and a pool of connections to it.
class Database {
 public:
  // maxSessions bounds the open connections; Acquire fails beyond it. Opens
  // one connection to find out whether the database answers.
  static std::unique_ptr<Database> Open(const std::string& db, std::size_t maxSessions,
                                        std::string* error, const DbLimits& limits = DbLimits());
  ~Database();

  // A pooled connection. While the database cannot be reached, one caller
  // at a time tries a new connection and the others fail at once, so an
  // outage does not cost every request a connect time-out.
  std::unique_ptr<Connection> Acquire(std::string* error);
  const Dialect& dialect() const { return dialect_; }
  // Failures so far of pooled connections: statements that failed where the
  // caller asked for the reason (probes that may fail ask for none), and
  // connections that could not be opened or were all in use.
  std::uint64_t Errors() const;
  // The file, or the URL without its password.
  const std::string& Shown() const { return target_.shown; }

 private:
  Database(const DbTarget& target, std::size_t maxSessions, const DbLimits& limits);
  DbTarget target_;
  Dialect dialect_;
  std::shared_ptr<Pool> pool_;
};

// Runs body inside a writing transaction; rolls back when body returns false
// or the commit fails. unknown, when given, tells that the COMMIT's outcome
// could not be learnt: the transaction may be stored.
template <class F>
bool InTransaction(Connection& c, F&& body, std::string* error, bool* unknown = nullptr) {
  if (unknown) *unknown = false;
  if (!c.BeginWrite(error)) return false;
  if (!body()) {
    c.Rollback();
    return false;
  }
  const CommitOutcome outcome = c.Commit(error);
  if (outcome == CommitOutcome::kStored) return true;
  if (unknown) *unknown = outcome == CommitOutcome::kUnknown;
  c.Rollback();
  return false;
}

}  // namespace tarvik::service
