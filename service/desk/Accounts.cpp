#include "service/desk/Accounts.h"

#include "service/desk/Audit.h"
#include "service/desk/Secrets.h"
#include "wire/Text.h"

namespace tarvik::service::desk {

namespace {

// The accounts of one supplier, or of all when supplier is empty.
std::string OfSupplier(const std::string& supplier, std::vector<std::string>& params) {
  if (supplier.empty()) return std::string();
  params.push_back(supplier);
  return " AND M_CODE = ?";
}

bool SupplierOf(Connection& db, const std::string& name, std::string& supplier, std::string& error) {
  Rows rows;
  if (!db.Query("SELECT M_CODE FROM DU_ WHERE DU_NAME = ?", {name}, 1, rows, &error)) return false;
  if (rows.empty()) error = "직원 " + name + " 이(가) 없습니다.";
  else supplier = rows[0][0];
  return !rows.empty();
}

}  // namespace

std::string NameProblem(const std::string& name) {
  if (name.empty() || name.size() > 32) return "이름은 1자에서 32자까지입니다.";
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-';
    if (!ok) return "이름에는 영문자, 숫자, '.', '_', '-'만 쓸 수 있습니다.";
  }
  return std::string();
}

std::string RoleProblem(const std::string& role) {
  return role == kAdmin || role == kStaff ? std::string() : "역할은 admin 또는 staff입니다.";
}

std::string PasswordProblem(const std::string& password) {
  if (password.size() < 8) return "비밀번호는 8자 이상이어야 합니다.";
  if (password.size() > 128) return "비밀번호가 너무 깁니다.";
  if (!IsValidUtf8(password)) return "비밀번호에 읽을 수 없는 문자가 있습니다.";
  return std::string();
}

bool AddStaff(Connection& db, const StaffAccount& account, const std::string& hash,
              const std::string& who, std::string& error) {
  return InTransaction(
      db,
      [&] {
        Rows rows;
        Clock now;
        if (!db.Query("SELECT M_CODE FROM M_ WHERE M_CODE = ?", {account.supplier}, 1, rows, &error) ||
            !db.Now(now, &error))
          return false;
        if (rows.empty()) {
          error = "공급처 " + account.supplier + " 이(가) 없습니다.";
          return false;
        }
        if (!db.Query("SELECT DU_NAME FROM DU_ WHERE DU_NAME = ?", {account.name}, 1, rows, &error))
          return false;
        if (!rows.empty()) {
          error = "직원 " + account.name + " 이(가) 이미 있습니다.";
          return false;
        }
        return db.Exec("INSERT INTO DU_ (DU_NAME, M_CODE, DU_ROLE, DU_HASH, DU_MADE)"
                       " VALUES (?, ?, ?, ?, ?)",
                       {account.name, account.supplier, account.role, hash, now.date + now.hhmmss},
                       &error) &&
               Audit(db, account.supplier, who, audit::kStaffAdd, "", account.name + " " + account.role,
                     &error);
      },
      &error);
}

bool ChangePassword(Connection& db, const std::string& supplier, const std::string& name,
                    const std::string& hash, const std::string& who, std::string& error) {
  return InTransaction(
      db,
      [&] {
        std::string owner;
        std::vector<std::string> params = {hash, name};
        const std::string where = OfSupplier(supplier, params);
        if (!SupplierOf(db, name, owner, error) ||
            !db.Exec("UPDATE DU_ SET DU_HASH = ? WHERE DU_NAME = ?" + where, params, &error))
          return false;
        if (db.Changed() != 1) {
          error = "직원 " + name + " 이(가) 없습니다.";
          return false;
        }
        // Whoever knew the old password is logged out with it.
        return db.Exec("DELETE FROM DS_ WHERE DU_NAME = ?", {name}, &error) &&
               Audit(db, owner, who, audit::kStaffPassword, "", name, &error);
      },
      &error);
}

bool RemoveStaff(Connection& db, const std::string& supplier, const std::string& name,
                 const std::string& who, std::string& error) {
  return InTransaction(
      db,
      [&] {
        std::string owner;
        Rows admins;
        if (!SupplierOf(db, name, owner, error)) return false;
        if (!supplier.empty() && owner != supplier) {
          error = "직원 " + name + " 이(가) 없습니다.";
          return false;
        }
        // Two admins removing each other at once: the shared locks make one
        // of them wait (or fail), never both succeed.
        if (!db.Query(std::string("SELECT DU_NAME FROM DU_ WHERE M_CODE = ? AND DU_ROLE = 'admin'") +
                          db.dialect().LockShared(),
                      {owner}, 1, admins, &error))
          return false;
        if (admins.size() == 1 && admins[0][0] == name) {
          error = "마지막 관리자는 삭제할 수 없습니다.";
          return false;
        }
        return db.Exec("DELETE FROM DS_ WHERE DU_NAME = ?", {name}, &error) &&
               db.Exec("DELETE FROM DU_ WHERE DU_NAME = ?", {name}, &error) &&
               Audit(db, owner, who, audit::kStaffRemove, "", name, &error);
      },
      &error);
}

bool ListStaff(Connection& db, const std::string& supplier, std::vector<StaffAccount>& accounts,
               std::string& error) {
  Rows rows;
  std::vector<std::string> params;
  const std::string where = OfSupplier(supplier, params);
  if (!db.Query("SELECT DU_NAME, M_CODE, DU_ROLE, DU_MADE FROM DU_ WHERE 1 = 1" + where +
                    " ORDER BY DU_NAME",
                params, 4, rows, &error))
    return false;
  accounts.clear();
  for (auto& r : rows) accounts.push_back({r[0], r[1], r[2], r[3]});
  return true;
}

bool FindStaff(Connection& db, const std::string& name, StaffAccount& account, std::string& hash,
               bool& found, std::string& error) {
  Rows rows;
  if (!db.Query("SELECT DU_NAME, M_CODE, DU_ROLE, DU_MADE, DU_HASH FROM DU_ WHERE DU_NAME = ?",
                {name}, 5, rows, &error))
    return false;
  found = !rows.empty();
  if (found) {
    account = {rows[0][0], rows[0][1], rows[0][2], rows[0][3]};
    hash = rows[0][4];
  }
  return true;
}

}  // namespace tarvik::service::desk
