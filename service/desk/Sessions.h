#pragma once
// Log-in sessions of the desk (table DS_) and the slowing of repeated failed
// log-ins (table DT_), both in the database, so that every instance sees
// them. Times are the database's clock. A session is a random token in an
// HttpOnly cookie; the database keeps only its hash and its expiry. Nothing
// sleeps in a worker: a log-in that must wait is refused with the seconds.
#include <string>

#include "service/desk/Accounts.h"
#include "service/store/Database.h"

namespace tarvik::service::desk {

struct LogInLimits {
  int freeAccountFails = 3;    // failures of one name before it must wait
  int freeAddressFails = 10;   // of one address (an office may share one)
  long long firstWaitSeconds = 2;  // after the first failure beyond the free ones,
  long long maxWaitSeconds = 900;  // then doubling up to this
  long long forgetSeconds = 3600;  // failures this long ago are forgotten
};

// A new session of the account, to end `seconds` from now; token is what
// the cookie carries. Clears the account's failed log-ins; audited.
bool StartSession(Connection& db, const StaffAccount& account, long long seconds,
                  std::string& token, std::string& error);

enum class SessionFound { kYes, kNo, kError };
// The account of a live session; kNo for an unknown, ended or expired token.
SessionFound FindSession(Connection& db, const std::string& token, StaffAccount& account,
                         std::string& error);

// Ends the session on the server; audited.
bool EndSession(Connection& db, const std::string& token, const StaffAccount& account,
                std::string& error);

// Seconds before the name, or the address, may try again (0: at once).
bool WaitBeforeLogIn(Connection& db, const std::string& name, const std::string& address,
                     long long& seconds, std::string& error);
// Counts a failure against both and sets their waits; audited (supplier
// empty for a name that is no account).
bool NoteFailedLogIn(Connection& db, const std::string& supplier, const std::string& name,
                     const std::string& address, const LogInLimits& limits, std::string& error);

}  // namespace tarvik::service::desk
