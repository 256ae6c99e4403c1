// One order: its header, lines, history and messages, and the buttons that
// move it on ("접수중" Alt+I, "접수" Alt+O). Opening it records "읽음" on the
// messages that came with it.
#include "service/desk/Audit.h"
#include "service/desk/DeskPages.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

Markup Header(const OrderRow& o) {
  Markup m;
  m.Raw("<dl class=\"head\"><dt>거래처</dt><dd>").Text(o.shopName).Raw(" (").Text(o.shop);
  m.Raw(")</dd><dt>주문 시각</dt><dd>").Text(ShownDate(o.date) + " " + ShownTime(o.time));
  m.Raw("</dd><dt>보낸 횟수</dt><dd>").Text(o.sends);
  if (!o.changed.empty()) m.Raw(" (마지막 수정 ").Text(ShownTime(o.changed)).Raw(")");
  m.Raw("</dd><dt>배송일</dt><dd>").Text(o.delivery.empty() ? "지정 없음" : ShownDate(o.delivery));
  m.Raw("</dd><dt>상태</dt><dd class=\"status\">").Text(StatusWord(o.status));
  m.Raw("</dd><dt>전달 내용</dt><dd class=\"note\">").Text(o.note).Raw("</dd></dl>");
  return m;
}

// The one button the order's status allows, with the version the page shows.
Markup Actions(const DeskRequest& r, const OrderRow& o) {
  Markup m;
  m.Raw("<div class=\"actions\">");
  if (o.status == "A" || o.status == "I") {
    const bool take = o.status == "A";
    m.Raw("<form method=\"post\"").Attr("action", "/orders/" + o.code + "/mark").Raw(">");
    m.Add(CsrfField(r.viewer.csrf));
    m.Raw("<input type=\"hidden\" name=\"to\"").Attr("value", take ? "I" : "O").Raw(">");
    m.Raw("<input type=\"hidden\" name=\"sends\"").Attr("value", o.sends).Raw(">");
    m.Raw("<input type=\"hidden\" name=\"changed\"").Attr("value", o.changed).Raw(">");
    if (take) m.Raw("<button type=\"submit\" id=\"take\" accesskey=\"i\" autofocus>접수중 (Alt+I)</button>");
    else m.Raw("<button type=\"submit\" id=\"finish\" accesskey=\"o\" autofocus>접수 (Alt+O)</button>");
    m.Raw("</form>");
  }
  m.Add(Link("/orders/" + o.code + "/print", "인쇄용 보기 (Alt+P)", "p")).Raw(" ");
  m.Add(Link("/orders/" + o.code + "/csv", "CSV 내려받기 (Alt+C)", "c")).Raw("</div>");
  return m;
}

Markup Lines(const OrderView& view) {
  Markup m;
  m.Raw("<table class=\"lines\"><thead><tr><th class=\"n\">번호</th><th>제품 코드</th><th>제품명</th>"
        "<th>포장</th><th class=\"n\">수량</th><th class=\"n\">단가</th><th class=\"n\">금액</th>"
        "<th>비고</th></tr></thead><tbody>");
  for (const OrderLine& l : view.lines) {
    m.Raw("<tr><td class=\"n\">").Text(std::stoll("0" + l.no) + 1).Raw("</td>");
    m.Element("td", l.code).Element("td", l.name).Element("td", l.box);
    m.Raw("<td class=\"n\">").Text(l.quantity).Raw("</td><td class=\"n\">");
    m.Text(l.price >= 0 ? ShownMoney(l.price) : "").Raw("</td><td class=\"n\">");
    m.Text(l.amount >= 0 ? ShownMoney(l.amount) : "").Raw("</td>").Element("td", l.note).Raw("</tr>");
  }
  m.Raw("</tbody><tfoot><tr><td colspan=\"6\">합계</td><td class=\"n\">")
      .Text(ShownMoney(view.head.amount))
      .Raw("</td><td></td></tr></tfoot></table>");
  return m;
}

Markup History(const OrderView& view, const std::vector<AuditRow>& audit) {
  Markup m;
  m.Raw("<h2>상태 기록</h2><ul class=\"history\"><li>")
      .Text(ShownDate(view.head.date) + " " + ShownTime(view.head.time))
      .Raw(" 거래처에서 주문을 보냄</li>");
  // Newest last, as the list reads.
  for (auto it = audit.rbegin(); it != audit.rend(); ++it)
    m.Raw("<li>").Text(ShownStamp(it->when) + " " + it->who + ": " + AuditWords(it->what)).Raw("</li>");
  m.Raw("</ul><h2>메시지</h2><ul class=\"messages\">");
  for (const Message& msg : view.messages) {
    m.Raw("<li><span class=\"when\">").Text(ShownDate(msg.date) + " " + ShownTime(msg.time));
    m.Raw("</span> <span class=\"text\">").Text(msg.text).Raw("</span></li>");
  }
  if (view.messages.empty()) m.Raw("<li>없습니다.</li>");
  m.Raw("</ul>");
  return m;
}

bool ValidCode(const std::string& code) {
  return !code.empty() && code.size() <= 40 &&
         code.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
}

HttpReply Show(DeskRequest& r, const std::string& code, int status, const std::string& notice) {
  OrderView view;
  bool found = false;
  std::string error;
  const std::string& supplier = r.viewer.staff.supplier;
  if (!ValidCode(code)) return ErrorPage(r, 404, "없는 주문입니다.");
  if (!ReadOrder(r.db, supplier, code, view, found, error))
    return ErrorPage(r, 503, "주문을 읽지 못했습니다.");
  if (!found) return ErrorPage(r, 404, "없는 주문입니다.");
  std::vector<AuditRow> audit;
  if (!MarkOrderRead(r.db, supplier, view, r.viewer.staff.name, error) ||
      !ReadAudit(r.db, supplier, code, 50, audit, &error))
    return ErrorPage(r, 503, "주문을 읽지 못했습니다.");
  Markup m;
  m.Raw("<h1>주문 <span class=\"code\">").Text(code).Raw("</span></h1>");
  if (!notice.empty()) m.Raw("<p class=\"notice\" role=\"alert\">").Text(notice).Raw("</p>");
  m.Add(Header(view.head)).Add(Actions(r, view.head)).Add(Lines(view)).Add(History(view, audit));
  const std::string title = view.head.shopName + " " + ShownDate(view.head.date) + " 주문 - 주문 데스크";
  return PageReply(status, Document(title, &r.viewer, Section::kNone, m));
}

}  // namespace

HttpReply OrderPage(DeskRequest& r, const std::string& code) {
  const std::string done = Param(r.query, "done");
  const std::string notice = done == "I" ? "접수중으로 바꾸었습니다." : done == "O" ? "접수로 바꾸었습니다." : "";
  return Show(r, code, 200, notice);
}

HttpReply MarkOrderPost(DeskRequest& r, const std::string& code) {
  const std::string to = Param(r.form, "to");
  std::string why;
  switch (MarkOrder(r.db, r.viewer.staff.supplier, code, to, Param(r.form, "sends"),
                    Param(r.form, "changed"), r.viewer.staff.name, why)) {
    case MarkResult::kDone:
      return Redirect("/orders/" + code + "?done=" + to);
    case MarkResult::kRefused:
      return Show(r, code, 409, why);
    case MarkResult::kFailed:
      break;
  }
  return ErrorPage(r, 503, "상태를 바꾸지 못했습니다. 다시 해 보십시오.");
}

}  // namespace tarvik::service::desk
