// An order as an A4 pick list (the print style sheet does the pages) with its
// code as text and as a Code 128 barcode (libzint), and as CSV for Excel.
#include <zint.h>

#include <cstdio>
#include <iterator>
#include <memory>

#include "service/desk/DeskPages.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

std::string Number(float value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(value));
  return buf;
}

// The code's bars as SVG rectangles: zint encodes, the page draws. Empty
// markup when the code cannot be encoded.
Markup Barcode(const std::string& code) {
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
  Markup m;
  if (!symbol) return m;
  symbol->symbology = BARCODE_CODE128;
  symbol->show_hrt = 0;  // the code is printed as text beside it, larger
  symbol->height = 40;
  if (ZBarcode_Encode_and_Buffer_Vector(symbol.get(), reinterpret_cast<const unsigned char*>(code.data()),
                                        static_cast<int>(code.size()), 0) >= ZINT_ERROR ||
      !symbol->vector)
    return m;
  const zint_vector& v = *symbol->vector;
  m.Raw("<svg class=\"barcode\" xmlns=\"http://www.w3.org/2000/svg\" preserveAspectRatio=\"none\"")
      .Attr("viewBox", "0 0 " + Number(v.width) + " " + Number(v.height))
      .Attr("aria-label", "바코드 " + code)
      .Raw(" role=\"img\">");
  for (const zint_vector_rect* r = v.rectangles; r; r = r->next) {
    m.Raw("<rect").Attr("x", Number(r->x)).Attr("y", Number(r->y));
    m.Attr("width", Number(r->width)).Attr("height", Number(r->height)).Raw("/>");
  }
  m.Raw("</svg>");
  return m;
}

bool Load(DeskRequest& r, const std::string& code, OrderView& view, HttpReply& refusal) {
  bool found = false;
  std::string error;
  if (!ReadOrder(r.db, r.viewer.staff.supplier, code, view, found, error)) {
    refusal = ErrorPage(r, 503, "주문을 읽지 못했습니다.");
    return false;
  }
  if (!found) refusal = ErrorPage(r, 404, "없는 주문입니다.");
  return found;
}

Markup PickHead(const DeskRequest& r, const OrderRow& o) {
  Markup m;
  m.Raw("<header class=\"sheet\"><div><h1>피킹 리스트</h1><dl><dt>공급처</dt><dd>")
      .Text(r.viewer.supplierName)
      .Raw("</dd><dt>거래처</dt><dd>").Text(o.shopName + " (" + o.shop + ")")
      .Raw("</dd><dt>주문 시각</dt><dd>").Text(ShownDate(o.date) + " " + ShownTime(o.time))
      .Raw("</dd><dt>배송일</dt><dd>").Text(o.delivery.empty() ? "지정 없음" : ShownDate(o.delivery))
      .Raw("</dd><dt>상태</dt><dd>").Text(StatusWord(o.status))
      .Raw("</dd><dt>전달 내용</dt><dd class=\"note\">").Text(o.note)
      .Raw("</dd></dl></div><div class=\"code\">").Add(Barcode(o.code))
      .Raw("<p class=\"code-text\">").Text(o.code).Raw("</p></div></header>");
  return m;
}

// A CSV field as Excel reads it: quoted when it must be, and text that Excel
// would take for a formula kept as text.
std::string CsvField(const std::string& value) {
  std::string v = value;
  if (!v.empty() && (v[0] == '=' || v[0] == '+' || v[0] == '-' || v[0] == '@' || v[0] == '\t' || v[0] == '\r'))
    v = "'" + v;
  if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
  std::string out = "\"";
  for (char c : v) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

HttpReply PrintPage(DeskRequest& r, const std::string& code) {
  OrderView view;
  HttpReply refusal;
  if (!Load(r, code, view, refusal)) return refusal;
  Markup m;
  m.Raw("<p class=\"screen-only\"><button type=\"button\" id=\"print\" accesskey=\"p\" autofocus>"
        "인쇄 (Alt+P)</button> ")
      .Add(Link("/orders/" + code, "주문으로 돌아가기 (Alt+B)", "b"))
      .Raw("</p>")
      .Add(PickHead(r, view.head));
  m.Raw("<table class=\"pick\"><colgroup><col class=\"no\"><col class=\"code\"><col class=\"name\">"
        "<col class=\"box\"><col class=\"qty\"><col><col class=\"check\"></colgroup><thead><tr>"
        "<th>번호</th><th>제품 코드</th><th>제품명</th><th>포장</th><th>수량</th><th>비고</th><th>확인</th>"
        "</tr></thead><tbody>");
  for (const OrderLine& l : view.lines) {
    m.Raw("<tr><td class=\"n\">").Text(std::stoll("0" + l.no) + 1).Raw("</td>");
    m.Element("td", l.code).Element("td", l.name).Element("td", l.box);
    m.Raw("<td class=\"n qty\">").Text(l.quantity).Raw("</td>").Element("td", l.note);
    m.Raw("<td class=\"check\"></td></tr>");
  }
  m.Raw("</tbody></table><p class=\"total\">모두 ").Text(static_cast<long long>(view.lines.size()));
  m.Raw(" 품목</p>");
  return PageReply(200, Document("피킹 리스트 " + code, nullptr, Section::kNone, m, "print"));
}

HttpReply OrderCsv(DeskRequest& r, const std::string& code) {
  OrderView view;
  HttpReply refusal;
  if (!Load(r, code, view, refusal)) return refusal;
  const OrderRow& o = view.head;
  // UTF-8 with its byte order mark: how Excel knows the file is not in the
  // Windows code page, so Korean text opens as it was written.
  std::string csv = "\xEF\xBB\xBF주문 코드,거래처,주문일,번호,제품 코드,제품명,포장,수량,단가,금액,비고\r\n";
  for (const OrderLine& l : view.lines) {
    const std::string fields[] = {o.code, o.shopName, ShownDate(o.date), std::to_string(std::stoll("0" + l.no) + 1),
                                  l.code, l.name, l.box, l.quantity,
                                  l.price >= 0 ? std::to_string(l.price) : "",
                                  l.amount >= 0 ? std::to_string(l.amount) : "", l.note};
    for (std::size_t i = 0; i < std::size(fields); ++i) csv += (i ? "," : "") + CsvField(fields[i]);
    csv += "\r\n";
  }
  HttpReply reply = PageReply(200, csv);
  reply.contentType = "text/csv; charset=utf-8";
  reply.headers.emplace_back("Content-Disposition", "attachment; filename=\"order-" + o.code + ".csv\"");
  return reply;
}

}  // namespace tarvik::service::desk
