#pragma once
// The service's one SQLite file, reached through Poco Data. Every connection
// runs WAL with synchronous=FULL, foreign keys on and a busy timeout, so an
// acknowledged commit is on disk whole. Nothing here throws to the caller:
// failures come back as false with an error text.
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Poco::Data {
class Session;
}

namespace tarvik::service {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// One open connection. Not shared between threads at the same time.
class Connection {
 public:
  // Opens (creating if needed) the file and sets the connection pragmas.
  static std::unique_ptr<Connection> Open(const std::string& path, std::string* error);
  ~Connection();

  // A statement without result rows; params are bound in order ('?').
  bool Exec(const std::string& sql, const std::vector<std::string>& params = {},
            std::string* error = nullptr);
  // A statement with `columns` text result columns (NULL reads as empty).
  bool Query(const std::string& sql, const std::vector<std::string>& params, std::size_t columns,
             Rows& out, std::string* error = nullptr);
  // The same statement once per row of values (one column vector per '?').
  bool ExecMany(const std::string& sql, const std::vector<std::vector<std::string>>& columns,
                std::string* error = nullptr);
  // Rows changed by the last Exec.
  std::size_t Changed() const { return changed_; }

  // BEGIN IMMEDIATE / COMMIT / ROLLBACK.
  bool Begin(std::string* error = nullptr);
  bool Commit(std::string* error = nullptr);
  void Rollback();

  // Creates the tables when they are missing.
  bool EnsureSchema(std::string* error = nullptr);

 private:
  Connection() = default;
  std::unique_ptr<Poco::Data::Session> session_;
  std::size_t changed_ = 0;
};

// A few connections shared by the request threads; a lease returns its
// connection when it goes out of scope.
class ConnectionPool {
 public:
  explicit ConnectionPool(std::string path) : path_(std::move(path)) {}
  class Lease {
   public:
    Lease(ConnectionPool* pool, std::unique_ptr<Connection> c) : pool_(pool), c_(std::move(c)) {}
    Lease(Lease&&) = default;
    ~Lease();
    Connection* operator->() const { return c_.get(); }
    Connection& operator*() const { return *c_; }
    explicit operator bool() const { return c_ != nullptr; }

   private:
    ConnectionPool* pool_;
    std::unique_ptr<Connection> c_;
  };
  Lease Acquire(std::string* error);
  // Serialises the writing commands of this process, so threads queue here
  // rather than spin in SQLite's busy handler.
  std::mutex& WriteMutex() { return write_; }

 private:
  std::string path_;
  std::mutex mutex_;
  std::mutex write_;
  std::vector<std::unique_ptr<Connection>> idle_;
};

// Runs body inside BEGIN IMMEDIATE ... COMMIT; rolls back when body returns
// false or the commit fails.
template <class F>
bool InTransaction(Connection& c, F&& body, std::string* error) {
  if (!c.Begin(error)) return false;
  if (!body()) {
    c.Rollback();
    return false;
  }
  if (!c.Commit(error)) {
    c.Rollback();
    return false;
  }
  return true;
}

}  // namespace tarvik::service
