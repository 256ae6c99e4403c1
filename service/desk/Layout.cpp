#include "service/desk/Layout.h"

namespace tarvik::service::desk {

namespace {

Markup Menu(const Viewer& viewer, Section section) {
  struct Entry {
    Section section;
    const char* path;
    const char* words;
    const char* key;
  };
  static const Entry kEntries[] = {{Section::kInbox, "/inbox", "주문함", "h"},
                                   {Section::kSearch, "/search", "주문 검색", "s"},
                                   {Section::kMessages, "/messages", "메시지", "m"},
                                   {Section::kStaff, "/staff", "직원 관리", "u"}};
  Markup m;
  m.Raw("<header class=\"top\"><p class=\"who\">").Text(viewer.supplierName).Raw(" · ");
  m.Text(viewer.staff.name);
  if (viewer.staff.Admin()) m.Raw(" (관리자)");
  m.Raw("</p><nav><ul>");
  for (const Entry& e : kEntries) {
    if (e.section == Section::kStaff && !viewer.staff.Admin()) continue;
    if (e.section == section) m.Raw("<li class=\"here\">");
    else m.Raw("<li>");
    m.Add(Link(e.path, e.words, e.key)).Raw("</li>");
  }
  m.Raw("</ul></nav><form method=\"post\" action=\"/logout\" class=\"logout\">");
  m.Add(CsrfField(viewer.csrf));
  m.Raw("<button type=\"submit\" accesskey=\"l\">로그아웃</button></form></header>");
  return m;
}

}  // namespace

std::string Document(const std::string& title, const Viewer* viewer, Section section,
                     const Markup& main, const char* bodyClass) {
  Markup m;
  m.Raw("<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width\"><title>")
      .Text(title)
      .Raw("</title><link rel=\"stylesheet\" href=\"/desk.css\">"
           "<script src=\"/desk.js\" defer></script></head><body")
      .Attr("class", bodyClass)
      .Raw(">");
  if (viewer) m.Add(Menu(*viewer, section));
  m.Raw("<main>").Add(main).Raw("</main>");
  if (viewer) {
    m.Raw("<footer class=\"keys\">단축키 (Chrome: Alt+글자, Firefox: Alt+Shift+글자): "
          "H 주문함 · S 검색 · M 메시지 · U 직원 관리 · I 접수중 · O 접수 · P 인쇄용 보기 · C CSV · L 로그아웃."
          " Tab으로 다음 항목, Enter로 열기.</footer>");
  }
  m.Raw("</body></html>\n");
  return m.str();
}

Markup CsrfField(const std::string& csrf) {
  Markup m;
  m.Raw("<input type=\"hidden\" name=\"csrf\"").Attr("value", csrf).Raw(">");
  return m;
}

std::string ShownDate(const std::string& s) {
  return s.size() == 6 ? s.substr(0, 2) + "/" + s.substr(2, 2) + "/" + s.substr(4, 2) : s;
}

std::string ShownTime(const std::string& s) {
  return s.size() == 4 ? s.substr(0, 2) + ":" + s.substr(2, 2) : s;
}

std::string ShownStamp(const std::string& s) {
  if (s.size() < 10) return s;
  std::string out = ShownDate(s.substr(0, 6)) + " " + ShownTime(s.substr(6, 4));
  if (s.size() >= 12) out += ":" + s.substr(10, 2);
  return out;
}

std::string ShownMoney(long long amount) {
  std::string digits = std::to_string(amount < 0 ? -amount : amount), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return amount < 0 ? "-" + out : out;
}

std::string StatusWord(const std::string& status) {
  if (status == "A") return "미접수";
  if (status == "I") return "접수중";
  if (status == "O") return "접수";
  if (status == "X") return "작성중";
  return status;
}

Markup Link(const std::string& path, const std::string& text, const char* accessKey) {
  Markup m;
  m.Raw("<a").Attr("href", path);
  if (*accessKey) m.Attr("accesskey", accessKey);
  m.Raw(">").Text(text).Raw("</a>");
  return m;
}

}  // namespace tarvik::service::desk
