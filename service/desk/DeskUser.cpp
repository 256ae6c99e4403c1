// `tarvik-service desk-user`: the desk's accounts from the command line, how
// the first admin is made.
#include <memory>

#include "service/desk/Accounts.h"
#include "service/desk/Audit.h"
#include "service/desk/Secrets.h"

namespace tarvik::service::desk {

namespace {

// One line of in, without its line end: scripts give the password this way.
bool ReadPassword(std::istream& in, std::string& password, std::ostream& err) {
  if (!std::getline(in, password)) {
    err << "tarvik-service: desk-user: give the password as one line on standard input\n";
    return false;
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  const std::string problem = PasswordProblem(password);
  if (!problem.empty()) err << "tarvik-service: desk-user: " << problem << "\n";
  return problem.empty();
}

bool Hashed(std::istream& in, std::string& hash, std::ostream& err) {
  std::string password;
  if (!ReadPassword(in, password, err)) return false;
  if (!HashPassword(password, InteractiveCost(), hash)) {
    err << "tarvik-service: desk-user: the password could not be hashed (memory)\n";
    return false;
  }
  return true;
}

int Run(Connection& db, const std::vector<std::string>& args, const std::string& role,
        const std::string& supplier, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string& verb = args[0];
  std::string error, hash;
  if (verb == "list" && args.size() == 1) {
    std::vector<StaffAccount> accounts;
    if (!ListStaff(db, std::string(), accounts, error)) {
      err << "tarvik-service: desk-user: " << error << "\n";
      return 1;
    }
    for (const auto& a : accounts) out << a.name << "\t" << a.role << "\t" << a.supplier << "\n";
    return 0;
  }
  if (args.size() != 2) return 2;
  const std::string& name = args[1];
  bool ok = false;
  if (verb == "add") {
    const std::string problem = NameProblem(name) + RoleProblem(role);
    if (!problem.empty()) {
      err << "tarvik-service: desk-user: " << problem << "\n";
      return 2;
    }
    if (!Hashed(in, hash, err)) return 1;
    ok = AddStaff(db, {name, supplier, role, ""}, hash, kCommandLine, error);
  } else if (verb == "passwd") {
    if (!Hashed(in, hash, err)) return 1;
    ok = ChangePassword(db, std::string(), name, hash, kCommandLine, error);
  } else if (verb == "remove") {
    ok = RemoveStaff(db, std::string(), name, kCommandLine, error);
  } else {
    return 2;
  }
  if (!ok) {
    err << "tarvik-service: desk-user " << verb << ": " << error << "\n";
    return 1;
  }
  out << name << ": " << (verb == "add" ? "added" : verb == "passwd" ? "password set" : "removed")
      << "\n";
  return 0;
}

}  // namespace

int DeskUserCommand(const std::string& dbPath, const std::vector<std::string>& args,
                    const std::string& role, const std::string& supplier, std::istream& in,
                    std::ostream& out, std::ostream& err) {
  if (args.empty()) return 2;
  std::string error;
  auto database = Database::Open(dbPath, 1, &error);
  std::unique_ptr<Connection> db = database ? database->Acquire(&error) : nullptr;
  if (!db || !db->EnsureSchema(&error)) {
    err << "tarvik-service: " << (database ? database->Shown() : dbPath) << ": " << error << "\n";
    return 1;
  }
  const int code = Run(*db, args, role, supplier, in, out, err);
  db.reset();  // before the Database it came from
  return code;
}

}  // namespace tarvik::service::desk
