#pragma once
// The distributor's staff at the desk (table DU_): names, roles and their
// passwords, kept as Argon2id hashes (Secrets.h). Staff work the orders and
// the messages; an admin also manages the staff. Every change is audited in
// its own transaction.
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "service/store/Database.h"

namespace tarvik::service::desk {

inline const char kAdmin[] = "admin";
inline const char kStaff[] = "staff";

// Why a name, role or password cannot be used, in Korean for a page; empty
// when it can. Names: 1 to 32 of A-Z a-z 0-9 . _ -; passwords: 8 to 128
// bytes of UTF-8.
std::string NameProblem(const std::string& name);
std::string RoleProblem(const std::string& role);
std::string PasswordProblem(const std::string& password);

struct StaffAccount {
  std::string name, supplier, role, made;
  bool Admin() const { return role == kAdmin; }
};

// Each false with the reason in error (Korean). supplier empty: any
// supplier's account (the command line); otherwise only that supplier's.
bool AddStaff(Connection& db, const StaffAccount& account, const std::string& hash,
              const std::string& who, std::string& error);
// Also ends every session of the account.
bool ChangePassword(Connection& db, const std::string& supplier, const std::string& name,
                    const std::string& hash, const std::string& who, std::string& error);
// Never the supplier's last admin.
bool RemoveStaff(Connection& db, const std::string& supplier, const std::string& name,
                 const std::string& who, std::string& error);
bool ListStaff(Connection& db, const std::string& supplier, std::vector<StaffAccount>& accounts,
               std::string& error);
// found false (and true returned) when there is no such name.
bool FindStaff(Connection& db, const std::string& name, StaffAccount& account, std::string& hash,
               bool& found, std::string& error);

// `tarvik-service desk-user add NAME --role admin|staff [--supplier M_CODE]`,
// `passwd NAME`, `remove NAME`, `list`: args are the words after desk-user.
// The password is one line of `in`. The process exit code (0, 1, 2 usage).
int DeskUserCommand(const std::string& dbPath, const std::vector<std::string>& args,
                    const std::string& role, const std::string& supplier, std::istream& in,
                    std::ostream& out, std::ostream& err);

}  // namespace tarvik::service::desk
