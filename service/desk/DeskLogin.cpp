// Log-in and log-out. The log-in form has its CSRF token too, made from a
// cookie of its own, so that no other site can log a browser in.
#include "service/desk/DeskPages.h"
#include "wire/Text.h"

namespace tarvik::service::desk {

namespace {

HttpReply Form(DeskRequest& r, int status, const std::string& notice) {
  std::string token = CookieValue(r.head.cookie, kLogInCookie);
  const bool fresh = CsrfToken(token, "login").empty();
  if (fresh) token = NewToken();
  Markup m;
  m.Raw("<h1>주문 데스크 로그인</h1>");
  if (!notice.empty()) m.Raw("<p class=\"notice\" role=\"alert\">").Text(notice).Raw("</p>");
  m.Raw("<form method=\"post\" action=\"/login\" class=\"login\">")
      .Add(CsrfField(CsrfToken(token, "login")))
      .Raw("<label>이름 <input name=\"name\" autocomplete=\"username\" autofocus required"
           " maxlength=\"32\"></label><label>비밀번호 <input name=\"password\" type=\"password\""
           " autocomplete=\"current-password\" required></label>"
           "<button type=\"submit\">로그인</button></form>");
  HttpReply reply = PageReply(status, Document("로그인 - 주문 데스크", nullptr, Section::kNone, m));
  if (fresh) reply.headers.emplace_back("Set-Cookie", CookieHeader(kLogInCookie, token, r.site.settings.tls));
  return reply;
}

}  // namespace

HttpReply LogInPage(DeskRequest& r) { return Form(r, 200, std::string()); }

HttpReply LogIn(DeskRequest& r) {
  if (!CsrfMatches(CookieValue(r.head.cookie, kLogInCookie), "login", Param(r.form, "csrf")))
    return Form(r, 403, "로그인 화면이 오래되었습니다. 다시 로그인하십시오.");
  const std::string name = CutCp949(Param(r.form, "name"), 64);
  const std::string password = Param(r.form, "password");
  const std::string address = ClientAddress(r);
  std::string error;
  long long wait = 0;
  if (!WaitBeforeLogIn(r.db, name, address, wait, error))
    return Form(r, 503, "데이터베이스에 연결할 수 없습니다.");
  if (wait > 0)
    return Form(r, 429, "로그인 실패가 많았습니다. " + std::to_string(wait) + "초 뒤에 다시 하십시오.");
  StaffAccount account;
  std::string hash;
  bool found = false;
  if (!FindStaff(r.db, name, account, hash, found, error))
    return Form(r, 503, "데이터베이스에 연결할 수 없습니다.");
  // An unknown name costs a check as long as a wrong password.
  const bool right = PasswordMatches(found ? hash : DecoyHash(r.site.settings.cost), password) && found;
  if (!right) {
    NoteFailedLogIn(r.db, account.supplier, name, address, r.site.settings.limits, error);
    return Form(r, 401, "이름 또는 비밀번호가 맞지 않습니다.");
  }
  std::string token;
  if (!StartSession(r.db, account, r.site.settings.sessionSeconds, token, error))
    return Form(r, 503, "로그인하지 못했습니다. 다시 해 보십시오.");
  HttpReply reply = Redirect("/inbox");
  reply.headers.emplace_back("Set-Cookie", CookieHeader(kSessionCookie, token, r.site.settings.tls));
  return reply;
}

HttpReply LogOut(DeskRequest& r) {
  std::string error;
  if (!EndSession(r.db, r.token, r.viewer.staff, error))
    return ErrorPage(r, 503, "로그아웃하지 못했습니다. 다시 해 보십시오.");
  HttpReply reply = Redirect("/login");
  reply.headers.emplace_back("Set-Cookie", CookieHeader(kSessionCookie, "", r.site.settings.tls));
  return reply;
}

}  // namespace tarvik::service::desk
