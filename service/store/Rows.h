#pragma once
// What the pool (Database.h) and the two kinds of connection under it
// (DatabaseLink.h) both speak, so neither needs the other: result rows (one
// text per column, NULL read as empty), the limits of a connection and how a
// COMMIT ended.
#include <string>
#include <vector>

namespace tarvik::service {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// Bounds of every wait for a PostgreSQL server, so that one that stops
// answering (a network black hole) costs a request a bounded wait (SQLite has
// its busy timeout).
struct DbLimits {
  int connectSeconds = 3;           // libpq's connect_timeout (it takes 2 at least)
  double statementSeconds = 5;      // the server's statement_timeout and lock_timeout; the
                                    // service itself waits one second more for any answer
  double commitLookupSeconds = 15;  // how long a COMMIT whose answer was lost is asked after
};

// How a COMMIT ended. kUnknown: its answer was lost, and asking the database
// again until DbLimits::commitLookupSeconds told neither way.
enum class CommitOutcome { kStored, kNotStored, kUnknown };

}  // namespace tarvik::service
