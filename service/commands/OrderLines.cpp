#include "service/commands/OrderLines.h"

#include <set>

#include "service/requests/RequestText.h"
#include "wire/MessageFormat.h"

namespace tarvik::service {

bool ReadLines(const std::string& text, const std::string& cc, std::vector<Line>& lines,
               std::string& error) {
  std::vector<Element> els;
  if (!ScanElements(text, els, kMaxLines + 1, &error)) {
    if (error == "too many elements") error = "more than 99 lines";
    return false;
  }
  if (els.size() > kMaxLines) {
    error = "more than 99 lines";
    return false;
  }
  for (std::size_t i = 0; i < els.size(); ++i) {
    if (els[i].name != "OLD_" + std::to_string(i)) {
      error = "line records must be OLD_0, OLD_1, ... in order";
      return false;
    }
    const std::string& r = els[i].value;
    Line l{TagValue("OL_GC", r), TagValue("OL_GN", r), TagValue("OL_GBOX", r),
           TagValue("OL_LC", r), TagValue("OL_LN", r)};
    const std::string lineCc = TagValue("OL_CC", r);
    if (l.gc.empty()) {
      error = "a line without OL_GC";
      return false;
    }
    if (!lineCc.empty() && lineCc != cc) {
      error = "a line of another orderer";
      return false;
    }
    for (const std::string* s : {&l.gc, &l.gn, &l.gbox, &l.lc, &l.ln}) {
      if (s->size() > 400) {
        error = "line field too long";
        return false;
      }
    }
    lines.push_back(std::move(l));
  }
  return true;
}

bool InsertLines(Connection& db, const std::string& code, const std::string& cc,
                 const std::vector<Line>& lines, std::string& error) {
  // One statement for all lines (at most 99 x 8 values): one round trip to
  // the database instead of one per line.
  std::string sql = "INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_OC, OL_GC, OL_GN, OL_GBOX, OL_LC, OL_LN) VALUES ";
  std::vector<std::string> params;
  params.reserve(lines.size() * 8);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    sql += i == 0 ? "(?, ?, ?, '', ?, ?, ?, ?, ?)" : ", (?, ?, ?, '', ?, ?, ?, ?, ?)";
    params.insert(params.end(), {code, std::to_string(i), cc, l.gc, l.gn, l.gbox, l.lc, l.ln});
  }
  return db.Exec(sql, params, &error);
}

bool CheckOrderable(Connection& db, const std::string& supplier, const std::string& cc,
                    const std::vector<Line>& lines, std::string& error) {
  Rows rows;
  if (!db.Query("SELECT C.C_CODE FROM C_ C JOIN M_ M ON M.M_CODE = C.M_CODE"
                " WHERE C.M_CODE = ? AND C.C_CODE = ? AND M.M_MGU = '1'",
                {supplier, cc}, 1, rows, &error))
    return false;
  if (rows.empty()) {
    error = "지금은 주문을 받을 수 없습니다. (등록되지 않은 주문처이거나 거래처가 주문을 받지 않습니다)";
    return false;
  }
  std::set<std::string> codes;
  for (const Line& l : lines) {
    if (l.gc != "YZ") codes.insert(l.gc);
  }
  if (codes.empty()) return true;
  std::string sql = "SELECT G_CODE FROM G_ WHERE M_CODE = ? AND G_CODE IN (";
  std::vector<std::string> params = {supplier};
  for (const auto& code : codes) {
    sql += params.size() > 1 ? ", ?" : "?";
    params.push_back(code);
  }
  if (!db.Query(sql + ")", params, 1, rows, &error)) return false;
  if (rows.size() == codes.size()) return true;
  for (const auto& r : rows) codes.erase(r[0]);
  error = "현재 판매하지 않는 제품이 있습니다: " + *codes.begin();
  return false;
}

}  // namespace tarvik::service
