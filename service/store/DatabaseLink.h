#pragma once
// The two kinds of database connection behind Connection: SQLite through its
// C library and PostgreSQL through libpq, each statement prepared once per
// connection and kept.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "service/store/Dialect.h"
#include "service/store/Rows.h"

namespace tarvik::service {

// One open connection to the database. Run() executes one statement with its
// values bound in order; rows, when wanted, come back as text (NULL as empty).
class Link {
 public:
  virtual ~Link() = default;
  virtual bool Run(const std::string& sql, const std::vector<const std::string*>& params,
                   std::size_t columns, Rows* rows, std::size_t& changed, std::string* error) = 0;
  // False once the database dropped the connection, did not answer in time,
  // or a transaction is left open.
  virtual bool Reusable() = 0;
  // COMMIT of the open transaction (Connection::Commit).
  virtual CommitOutcome Commit(std::string* error) = 0;
};

std::unique_ptr<Link> OpenLink(const DbTarget& target, const Dialect& dialect, const DbLimits& limits,
                               std::string* error);

inline void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace tarvik::service
