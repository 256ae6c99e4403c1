#include "service/desk/Desk.h"

#include <vector>

#include "service/desk/DeskPages.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  while (!parts.empty() && parts.back().empty()) parts.pop_back();
  return parts;
}

// The pages of a logged-in viewer.
HttpReply Route(DeskRequest& r) {
  const bool get = r.head.method == "GET";
  const std::vector<std::string> p = Segments(r.head.path);
  const std::size_t n = p.size();
  if (n == 0 && get) return Redirect("/inbox");
  const std::string& top = n ? p[0] : std::string();
  if (top == "logout" && n == 1 && !get) return LogOut(r);
  if (top == "inbox" && get && n == 1) return InboxPage(r);
  if (top == "inbox" && get && n == 2 && p[1] == "lists") return InboxLists(r);
  if (top == "orders" && n == 2 && get) return OrderPage(r, p[1]);
  if (top == "orders" && n == 3) {
    if (p[2] == "mark" && !get) return MarkOrderPost(r, p[1]);
    if (p[2] == "print" && get) return PrintPage(r, p[1]);
    if (p[2] == "csv" && get) return OrderCsv(r, p[1]);
  }
  if (top == "search" && n == 1 && get) return SearchPage(r);
  if (top == "messages" && n == 1 && get) return MessagesPage(r);
  if (top == "messages" && n == 3 && p[2] == "read" && !get) return MessageReadPost(r, p[1]);
  if (top == "staff") {
    if (!r.Admin()) return ErrorPage(r, 403, "직원 관리는 관리자만 할 수 있습니다.");
    if (n == 1 && get) return StaffPage(r);
    if (n == 2 && p[1] == "add" && !get) return StaffPost(r, std::string(), "add");
    if (n == 3 && !get) return StaffPost(r, p[1], p[2]);
  }
  return ErrorPage(r, 404, "없는 페이지입니다.");
}

HttpReply WithSession(DeskRequest& r) {
  const bool get = r.head.method == "GET";
  r.token = CookieValue(r.head.cookie, kSessionCookie);
  std::string error;
  switch (FindSession(r.db, r.token, r.viewer.staff, error)) {
    case SessionFound::kError:
      return ErrorPage(r, 503, "데이터베이스에 연결할 수 없습니다.");
    case SessionFound::kNo:
      // The inbox's script is told, so that it can send the page to the log-in.
      if (r.head.path == "/inbox/lists") return TextReply(401, "log in again\n");
      return get ? Redirect("/login") : ErrorPage(r, 403, "로그인이 끝났습니다. 다시 로그인하십시오.");
    case SessionFound::kYes:
      break;
  }
  r.viewer.csrf = CsrfToken(r.token, "desk");
  r.viewer.supplierName = SupplierName(r.db, r.viewer.staff.supplier);
  if (!get && !CsrfMatches(r.token, "desk", Param(r.form, "csrf")))
    return ErrorPage(r, 403, "요청을 확인할 수 없습니다. 페이지를 다시 열고 해 보십시오.");
  return Route(r);
}

}  // namespace

HttpReply ErrorPage(const DeskRequest& r, int status, const std::string& words) {
  Markup m;
  m.Raw("<h1>").Text(words).Raw("</h1><p>").Add(Link("/inbox", "주문함으로", "")).Raw("</p>");
  const bool known = !r.viewer.staff.name.empty();
  return PageReply(status, Document(words, known ? &r.viewer : nullptr, Section::kNone, m));
}

std::string ClientAddress(const DeskRequest& r) {
  if (r.site.settings.tls && !r.head.forwardedFor.empty()) return r.head.forwardedFor;
  return r.head.peer;
}

HttpReply DeskRespond(DeskSite& site, const HttpHead& head, const std::string& body) {
  if (head.path == "/desk.js") return AssetReply("text/javascript; charset=utf-8", DeskScript());
  if (head.path == "/desk.css") return AssetReply("text/css; charset=utf-8", DeskStyle());
  if (head.path == "/favicon.ico") return TextReply(204, "");  // the desk has no icon
  HttpHead asked = head;
  const bool isHead = head.method == "HEAD";
  if (isHead) asked.method = "GET";
  if (asked.method != "GET" && asked.method != "POST") return TextReply(405, "not allowed\n");
  std::string error;
  std::unique_ptr<Connection> db = site.db.Acquire(&error);
  if (!db) return TextReply(503, "데이터베이스에 연결할 수 없습니다.\n");
  DeskRequest r{site, asked, *db, ParseForm(head.query), {}, {}, {}};
  if (asked.method == "POST") {
    if (head.contentType.rfind("application/x-www-form-urlencoded", 0) != 0)
      return TextReply(415, "a form is expected\n");
    r.form = ParseForm(body);
  }
  HttpReply reply;
  if (asked.path == "/login") reply = asked.method == "GET" ? LogInPage(r) : LogIn(r);
  else reply = WithSession(r);
  reply.omitBody = isHead;
  reply.facts.endpoint = "desk";
  return reply;
}

}  // namespace tarvik::service::desk
