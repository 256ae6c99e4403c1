#pragma once
// The audit of the desk (table DA_): every change made there, and every
// log-in, with who made it, when (the database's clock, yymmddHHMMSS), what
// and which order. Written in the transaction of the change it records.
#include <cstddef>
#include <string>
#include <vector>

#include "service/store/Database.h"

namespace tarvik::service::desk {

// What an audit row says happened (DA_WHAT).
namespace audit {
inline const char kLogIn[] = "login";
inline const char kLogInFailed[] = "login-failed";
inline const char kLogOut[] = "logout";
inline const char kMarkI[] = "mark-I";
inline const char kMarkO[] = "mark-O";
inline const char kRead[] = "read";  // an opened order's messages marked read
inline const char kMessageRead[] = "message-read";
inline const char kStaffAdd[] = "staff-add";
inline const char kStaffPassword[] = "staff-password";
inline const char kStaffRemove[] = "staff-remove";
}  // namespace audit

// Who made a change from the command line (desk-user).
inline const char kCommandLine[] = "(명령줄)";

struct AuditRow {
  std::string when, who, what, order, detail;
};

bool Audit(Connection& db, const std::string& supplier, const std::string& who, const char* what,
           const std::string& order, const std::string& detail, std::string* error);

// The newest rows first: of one order of the supplier, or (order empty) of
// all the supplier's desk.
bool ReadAudit(Connection& db, const std::string& supplier, const std::string& order,
               std::size_t limit, std::vector<AuditRow>& rows, std::string* error);

// The Korean words for an audit row's what.
std::string AuditWords(const std::string& what);

}  // namespace tarvik::service::desk
