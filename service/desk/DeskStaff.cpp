// The admin's page: the supplier's staff accounts and the desk's recent
// record of changes.
#include "service/desk/Audit.h"
#include "service/desk/DeskPages.h"

namespace tarvik::service::desk {

namespace {

Markup AccountRow(const DeskRequest& r, const StaffAccount& a) {
  Markup m;
  m.Raw("<tr>").Element("td", a.name).Element("td", a.Admin() ? "관리자" : "직원");
  m.Element("td", ShownStamp(a.made)).Raw("<td><form method=\"post\" class=\"inline\"");
  m.Attr("action", "/staff/" + a.name + "/password").Raw(">").Add(CsrfField(r.viewer.csrf));
  m.Raw("<input type=\"password\" name=\"password\" autocomplete=\"new-password\" required")
      .Attr("aria-label", a.name + " 새 비밀번호")
      .Raw("><button type=\"submit\">비밀번호 바꾸기</button></form></td><td>");
  m.Raw("<form method=\"post\" class=\"inline\"").Attr("action", "/staff/" + a.name + "/remove");
  m.Raw(">").Add(CsrfField(r.viewer.csrf)).Raw("<button type=\"submit\">삭제</button></form></td></tr>");
  return m;
}

Markup AddForm(const DeskRequest& r) {
  Markup m;
  m.Raw("<h2>직원 추가</h2><form method=\"post\" action=\"/staff/add\" class=\"add\">")
      .Add(CsrfField(r.viewer.csrf))
      .Raw("<label>이름 <input name=\"name\" required maxlength=\"32\" autocomplete=\"off\"></label>"
           "<label>역할 <select name=\"role\"><option value=\"staff\">직원</option>"
           "<option value=\"admin\">관리자</option></select></label>"
           "<label>비밀번호 <input type=\"password\" name=\"password\" required"
           " autocomplete=\"new-password\"></label><button type=\"submit\">추가</button></form>");
  return m;
}

Markup Record(const std::vector<AuditRow>& rows) {
  Markup m;
  m.Raw("<h2>최근 기록</h2><table class=\"audit\"><thead><tr><th>때</th><th>누가</th><th>무엇을</th>"
        "<th>주문</th><th>내용</th></tr></thead><tbody>");
  for (const AuditRow& a : rows) {
    m.Raw("<tr>").Element("td", ShownStamp(a.when)).Element("td", a.who).Element("td", AuditWords(a.what));
    m.Raw("<td>");
    if (!a.order.empty()) m.Add(Link("/orders/" + a.order, a.order));
    m.Raw("</td>").Element("td", a.detail).Raw("</tr>");
  }
  m.Raw("</tbody></table>");
  return m;
}

std::string Done(const std::string& done) {
  if (done == "add") return "직원을 추가했습니다.";
  if (done == "password") return "비밀번호를 바꾸었습니다. 그 직원은 다시 로그인해야 합니다.";
  if (done == "remove") return "직원을 삭제했습니다.";
  return std::string();
}

}  // namespace

HttpReply StaffPage(DeskRequest& r, const std::string& notice, int status) {
  std::vector<StaffAccount> accounts;
  std::vector<AuditRow> audit;
  std::string error;
  const std::string& supplier = r.viewer.staff.supplier;
  if (!ListStaff(r.db, supplier, accounts, error) || !ReadAudit(r.db, supplier, "", 50, audit, &error))
    return ErrorPage(r, 503, "직원 목록을 읽지 못했습니다.");
  const std::string shown = notice.empty() ? Done(Param(r.query, "done")) : notice;
  Markup m;
  m.Raw("<h1>직원 관리</h1>");
  if (!shown.empty()) m.Raw("<p class=\"notice\" role=\"alert\">").Text(shown).Raw("</p>");
  m.Raw("<table class=\"staff\"><thead><tr><th>이름</th><th>역할</th><th>만든 때</th>"
        "<th>비밀번호</th><th>삭제</th></tr></thead><tbody>");
  for (const StaffAccount& a : accounts) m.Add(AccountRow(r, a));
  m.Raw("</tbody></table>").Add(AddForm(r)).Add(Record(audit));
  return PageReply(status, Document("직원 관리 - 주문 데스크", &r.viewer, Section::kStaff, m));
}

HttpReply StaffPost(DeskRequest& r, const std::string& name, const std::string& action) {
  const std::string& supplier = r.viewer.staff.supplier;
  const std::string& who = r.viewer.staff.name;
  const std::string password = Param(r.form, "password");
  std::string error, hash;
  bool ok = false;
  if (action == "add" || action == "password") {
    const std::string account = action == "add" ? Param(r.form, "name") : name;
    const std::string role = Param(r.form, "role");
    const std::string problem = PasswordProblem(password) +
                                (action == "add" ? NameProblem(account) + RoleProblem(role) : "");
    if (!problem.empty()) return StaffPage(r, problem, 400);
    if (!HashPassword(password, r.site.settings.cost, hash)) return StaffPage(r, "비밀번호를 저장하지 못했습니다.", 503);
    ok = action == "add" ? AddStaff(r.db, {account, supplier, role, ""}, hash, who, error)
                         : ChangePassword(r.db, supplier, account, hash, who, error);
  } else if (action == "remove") {
    ok = RemoveStaff(r.db, supplier, name, who, error);
  } else {
    return ErrorPage(r, 404, "없는 페이지입니다.");
  }
  if (!ok) return StaffPage(r, error, 409);
  return Redirect("/staff?done=" + action);
}

}  // namespace tarvik::service::desk
