#include "service/desk/Audit.h"

#include <cstring>

namespace tarvik::service::desk {

bool Audit(Connection& db, const std::string& supplier, const std::string& who, const char* what,
           const std::string& order, const std::string& detail, std::string* error) {
  Clock now;
  return db.Now(now, error) &&
         db.Exec("INSERT INTO DA_ (DA_WHEN, M_CODE, DA_WHO, DA_WHAT, DA_ORDER, DA_DETAIL)"
                 " VALUES (?, ?, ?, ?, ?, ?)",
                 {now.date + now.hhmmss, supplier, who, what, order, detail}, error);
}

bool ReadAudit(Connection& db, const std::string& supplier, const std::string& order,
               std::size_t limit, std::vector<AuditRow>& out, std::string* error) {
  Rows rows;
  const std::string columns = "SELECT DA_WHEN, DA_WHO, DA_WHAT, DA_ORDER, DA_DETAIL FROM DA_";
  const std::string top = " ORDER BY DA_ID DESC LIMIT " + std::to_string(limit);
  const bool ok = order.empty()
                      ? db.Query(columns + " WHERE M_CODE = ?" + top, {supplier}, 5, rows, error)
                      : db.Query(columns + " WHERE DA_ORDER = ? AND M_CODE = ?" + top,
                                 {order, supplier}, 5, rows, error);
  if (!ok) return false;
  out.clear();
  for (auto& r : rows) out.push_back({r[0], r[1], r[2], r[3], r[4]});
  return true;
}

std::string AuditWords(const std::string& what) {
  static const std::pair<const char*, const char*> kWords[] = {
      {audit::kLogIn, "로그인"},
      {audit::kLogInFailed, "로그인 실패"},
      {audit::kLogOut, "로그아웃"},
      {audit::kMarkI, "접수중으로 바꿈"},
      {audit::kMarkO, "접수로 바꿈"},
      {audit::kRead, "읽음"},
      {audit::kMessageRead, "메시지 읽음"},
      {audit::kStaffAdd, "직원 추가"},
      {audit::kStaffPassword, "비밀번호 변경"},
      {audit::kStaffRemove, "직원 삭제"},
  };
  for (const auto& [code, words] : kWords) {
    if (what == code) return words;
  }
  return what;
}

}  // namespace tarvik::service::desk
