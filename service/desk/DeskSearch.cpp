// Finding earlier orders (by shop, date range, status, product code) and
// the shops' messages to the supplier, unread first.
#include "service/desk/Audit.h"
#include "service/desk/DeskPages.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

// A date field (yyyy-mm-dd, as the browser's date input sends it) as yymmdd;
// empty when it is empty or not a date.
std::string Yymmdd(const std::string& date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::string();
  const std::string out = date.substr(2, 2) + date.substr(5, 2) + date.substr(8, 2);
  return out.find_first_not_of("0123456789") == std::string::npos ? out : std::string();
}

Markup Field(const char* label, const char* name, const std::string& value, const char* type) {
  Markup m;
  m.Raw("<label>").Text(label).Raw(" <input").Attr("name", name).Attr("type", type).Attr("value", value);
  m.Raw("></label>");
  return m;
}

Markup SearchForm(const Params& q) {
  Markup m;
  m.Raw("<form method=\"get\" action=\"/search\" class=\"search\">")
      .Add(Field("거래처", "shop", Param(q, "shop"), "search"))
      .Add(Field("시작일", "from", Param(q, "from"), "date"))
      .Add(Field("종료일", "to", Param(q, "to"), "date"))
      .Raw("<label>상태 <select name=\"status\">");
  const std::string status = Param(q, "status");
  for (const char* s : {"", "A", "I", "O"}) {
    m.Raw("<option").Attr("value", s);
    if (status == s) m.Raw(" selected");
    m.Raw(">").Text(*s ? StatusWord(s) : "전체").Raw("</option>");
  }
  m.Raw("</select></label>").Add(Field("제품 코드", "product", Param(q, "product"), "search"));
  m.Raw("<button type=\"submit\">찾기</button></form>");
  return m;
}

Markup Pages(const std::string& path, Params q, int page, bool more) {
  Markup m;
  if (page == 0 && !more) return m;
  m.Raw("<p class=\"pages\">");
  if (page > 0) {
    q["page"] = std::to_string(page - 1);
    m.Add(Link(path + QueryString(q), "이전 쪽")).Raw(" ");
  }
  if (more) {
    q["page"] = std::to_string(page + 1);
    m.Add(Link(path + QueryString(q), "다음 쪽"));
  }
  m.Raw("</p>");
  return m;
}

Markup MessageList(const DeskRequest& r, const std::vector<Message>& messages, bool unread) {
  Markup m;
  m.Raw("<ul class=\"messages\">");
  for (const Message& msg : messages) {
    m.Raw("<li><p><span class=\"when\">").Text(ShownDate(msg.date) + " " + ShownTime(msg.time));
    m.Raw("</span> <strong>").Text(msg.shopName).Raw("</strong> ");
    if (!msg.order.empty()) m.Add(Link("/orders/" + msg.order, "주문 보기"));
    if (!unread) m.Raw(" <span class=\"read\">읽음 ").Text(ShownStamp(msg.read)).Raw("</span>");
    m.Raw("</p><p class=\"text\">").Text(msg.text).Raw("</p>");
    if (unread) {
      m.Raw("<form method=\"post\"").Attr("action", "/messages/" + msg.id + "/read").Raw(">");
      m.Add(CsrfField(r.viewer.csrf)).Raw("<button type=\"submit\">읽음 표시</button></form>");
    }
    m.Raw("</li>");
  }
  if (messages.empty()) m.Raw("<li>없습니다.</li>");
  m.Raw("</ul>");
  return m;
}

}  // namespace

HttpReply SearchPage(DeskRequest& r) {
  SearchTerms terms;
  terms.shop = Param(r.query, "shop");
  terms.from = Yymmdd(Param(r.query, "from"));
  terms.to = Yymmdd(Param(r.query, "to"));
  terms.status = Param(r.query, "status");
  if (terms.status != "A" && terms.status != "I" && terms.status != "O") terms.status.clear();
  terms.product = Param(r.query, "product");
  terms.page = PageOf(r.query);
  Markup m;
  m.Raw("<h1>주문 검색</h1>").Add(SearchForm(r.query));
  std::vector<OrderRow> rows;
  bool more = false;
  std::string error;
  if (!SearchOrders(r.db, r.viewer.staff.supplier, terms, rows, more, error))
    return ErrorPage(r, 503, "주문을 찾지 못했습니다.");
  m.Add(OrdersTable(rows, true, false)).Add(Pages("/search", r.query, terms.page, more));
  return PageReply(200, Document("주문 검색 - 주문 데스크", &r.viewer, Section::kSearch, m));
}

HttpReply MessagesPage(DeskRequest& r) {
  std::vector<Message> unread, read;
  bool more = false;
  std::string error;
  const int page = PageOf(r.query);
  if (!ReadMessages(r.db, r.viewer.staff.supplier, page, unread, read, more, error))
    return ErrorPage(r, 503, "메시지를 읽지 못했습니다.");
  Markup m;
  m.Raw("<h1>메시지</h1><h2>읽지 않은 메시지 ").Text(static_cast<long long>(unread.size()));
  m.Raw("건</h2>").Add(MessageList(r, unread, true)).Raw("<h2>읽은 메시지</h2>");
  m.Add(MessageList(r, read, false)).Add(Pages("/messages", r.query, page, more));
  return PageReply(200, Document("메시지 - 주문 데스크", &r.viewer, Section::kMessages, m));
}

HttpReply MessageReadPost(DeskRequest& r, const std::string& id) {
  std::string error;
  if (!MarkMessageRead(r.db, r.viewer.staff.supplier, id, r.viewer.staff.name, error))
    return ErrorPage(r, 503, "읽음으로 표시하지 못했습니다.");
  return Redirect("/messages");
}

}  // namespace tarvik::service::desk
