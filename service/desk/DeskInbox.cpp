// The inbox: orders not yet received, new ones ("A") above those being
// received ("I"). desk.js asks for the lists again every second and swaps
// them in when they changed, so a new order shows without a reload.
#include "service/desk/DeskPages.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

std::string Title(const InboxView& view) {
  return view.freshCount > 0 ? "(" + std::to_string(view.freshCount) + ") 주문함 - 주문 데스크"
                             : "주문함 - 주문 데스크";
}

// The part desk.js swaps: both lists, with the title they give the page.
Markup Lists(const InboxView& view, int page, std::string& version) {
  Markup lists;
  lists.Raw("<h2>새 주문 (미접수) ").Text(view.freshCount).Raw("건</h2>").Add(OrdersTable(view.fresh, false, true));
  if (page > 0 || view.freshCount > static_cast<long long>(page + 1) * kPageRows) {
    lists.Raw("<p class=\"pages\">");
    if (page > 0) lists.Add(Link("/inbox?page=" + std::to_string(page - 1), "이전 쪽")).Raw(" ");
    if (view.freshCount > static_cast<long long>(page + 1) * kPageRows)
      lists.Add(Link("/inbox?page=" + std::to_string(page + 1), "다음 쪽"));
    lists.Raw("</p>");
  }
  lists.Raw("<h2>접수중 ").Text(view.takingCount).Raw("건</h2>").Add(OrdersTable(view.taking, false, false));
  if (view.takingCount > kPageRows)
    lists.Raw("<p class=\"pages\">").Add(Link("/search?status=I", "접수중 주문 모두 보기")).Raw("</p>");
  version = Fingerprint(lists.str());
  Markup section;
  section.Raw("<section id=\"inbox\"")
      .Attr("data-version", version)
      .Attr("data-title", Title(view))
      .Attr("data-page", std::to_string(page))
      .Raw(" aria-live=\"polite\">")
      .Add(lists)
      .Raw("</section>");
  return section;
}

bool Read(DeskRequest& r, int page, InboxView& view) {
  std::string error;
  return ReadInbox(r.db, r.viewer.staff.supplier, page, view, error);
}

}  // namespace

int PageOf(const Params& query) {
  const std::string p = Param(query, "page");
  if (p.empty() || p.size() > 6 || p.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stoi(p);
}

Markup OrdersTable(const std::vector<OrderRow>& orders, bool withStatus, bool focusFirst) {
  Markup m;
  m.Raw("<table class=\"orders\"><colgroup><col class=\"when\"><col class=\"shop\">");
  if (withStatus) m.Raw("<col class=\"status\">");
  m.Raw("<col class=\"count\"><col class=\"money\"><col class=\"day\"><col><col class=\"message\">"
        "</colgroup><thead><tr><th>주문 시각</th><th>거래처</th>");
  if (withStatus) m.Raw("<th>상태</th>");
  m.Raw("<th class=\"n\">품목 수</th><th class=\"n\">금액</th><th>배송일</th><th>전달 내용</th>"
        "<th>메시지</th></tr></thead><tbody>");
  for (const OrderRow& o : orders) {
    m.Raw("<tr><td><a").Attr("href", "/orders/" + o.code).Attr("data-code", o.code);
    if (focusFirst && &o == &orders.front()) m.Raw(" autofocus");
    m.Raw(">").Text(ShownDate(o.date) + " " + ShownTime(o.time)).Raw("</a></td>").Element("td", o.shopName);
    if (withStatus) m.Element("td", StatusWord(o.status));
    m.Raw("<td class=\"n\">").Text(o.lines).Raw("</td><td class=\"n\">").Text(ShownMoney(o.amount));
    m.Raw("</td>").Element("td", ShownDate(o.delivery)).Element("td", o.note);
    m.Raw("<td class=\"message\">").Text(o.message).Raw("</td></tr>");
  }
  if (orders.empty()) m.Raw("<tr><td colspan=\"8\" class=\"none\">없습니다.</td></tr>");
  m.Raw("</tbody></table>");
  return m;
}

HttpReply InboxPage(DeskRequest& r) {
  const int page = PageOf(r.query);
  InboxView view;
  if (!Read(r, page, view)) return ErrorPage(r, 503, "주문을 읽지 못했습니다.");
  Markup m;
  std::string version;
  m.Raw("<h1>주문함</h1>").Add(Lists(view, page, version));
  return PageReply(200, Document(Title(view), &r.viewer, Section::kInbox, m));
}

HttpReply InboxLists(DeskRequest& r) {
  const int page = PageOf(r.query);
  InboxView view;
  if (!Read(r, page, view)) return TextReply(503, "");
  std::string version;
  const Markup lists = Lists(view, page, version);
  // Unchanged since the script's last look: nothing to swap.
  if (version == Param(r.query, "seen")) return TextReply(204, "");
  return PageReply(200, lists.str());
}

}  // namespace tarvik::service::desk
