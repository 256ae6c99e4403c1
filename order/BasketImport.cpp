#include "order/BasketImport.h"

#include <QFile>

#include <cmath>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "order/QuantityEntry.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "screens/CellFormat.h"
#include "text/Csv.h"
#include "text/Text.h"

namespace tarvik {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Fields of one line split at sep (' ' stands for any run of blanks), each
// trimmed.
std::vector<std::string> SplitFields(const std::string& line, char sep) {
  CsvSplit split = SplitCsv(line, {sep, true});
  return split.records.empty() ? std::vector<std::string>() : std::move(split.records[0]);
}

std::optional<long long> ParseQuantity(const std::string& text);

std::vector<std::string> SplitLine(const std::string& line) {
  if (line.find('\t') != std::string::npos) return SplitFields(line, '\t');
  if (line.find(';') != std::string::npos) return SplitFields(line, ';');
  if (line.find(',') != std::string::npos) {
    std::vector<std::string> f = SplitFields(line, ',');
    if (f.empty() || f[0].find(' ') == std::string::npos) return f;
    // "P00010 1,200": blanks separate and the comma groups thousands; but
    // "제품 코드,수량" is split at its comma.
    std::vector<std::string> b = SplitFields(line, ' ');
    return b.size() >= 2 && ParseQuantity(b[1]) ? b : f;
  }
  return SplitFields(line, ' ');
}

// A header name: blanks dropped, ASCII letters small.
std::string HeaderName(const std::string& field) {
  std::string s;
  for (char c : AsciiLower(field))
    if (!IsBlank(c)) s += c;
  return s;
}

bool OneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (name == n) return true;
  return false;
}

bool IsKeyColumn(const std::string& name) {
  return OneOf(name, {"g_code", "g_bcode", "ol_gc", "code", "barcode", "productcode", "itemcode",
                      "partno", "partnumber", "sku", "코드", "제품코드", "상품코드", "품번",
                      "부품번호", "바코드"});
}

bool IsQuantityColumn(const std::string& name) {
  return OneOf(name, {"ol_lc", "qty", "quantity", "수량", "주문수량", "발주수량", "개수"});
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// A quantity as written, in hundredths: optional sign, digits with or without
// thousands separators in their places, at most two decimals, at most seven
// whole digits (a longer number is a barcode in the wrong column).
std::optional<long long> ParseQuantity(const std::string& text) {
  std::string s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.erase(0, 1);
  }
  std::string whole = s, frac;
  const auto dot = s.find('.');
  if (dot != std::string::npos) {
    whole = s.substr(0, dot);
    frac = s.substr(dot + 1);
    if (frac.size() > 2 || (!frac.empty() && !AllDigits(frac))) return std::nullopt;
    if (whole.empty() && frac.empty()) return std::nullopt;
    if (whole.empty()) whole = "0";
  }
  if (whole.find(',') != std::string::npos) {
    std::string digits;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
      const auto comma = whole.find(',', start);
      const std::string group = whole.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (!AllDigits(group) || (first ? group.size() > 3 : group.size() != 3)) return std::nullopt;
      digits += group;
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    whole = digits;
  }
  if (!AllDigits(whole)) return std::nullopt;
  while (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
  if (whole.size() > 7) return std::nullopt;
  while (frac.size() < 2) frac += '0';
  const long long v = std::stoll(whole) * 100 + std::stoll(frac);
  return negative ? -v : v;
}

}  // namespace

std::string DecodeListBytes(const std::string& bytes) {
  const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  // UTF-16 by its mark: low byte first ("Unicode text" as a spreadsheet
  // saves it) or high byte first.
  const bool low = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
  if (low || (bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      units.push_back(static_cast<char16_t>(low ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1)));
    return S(QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())));
  }
  // A mark that claims UTF-8 is dropped, not believed: what follows is
  // checked as any other text is.
  const std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
  return IsValidUtf8(text) ? text : Cp949ToUtf8(text);
}

bool ReadListFile(const std::string& path, std::string& text, std::string& message) {
  QFile f(Q(path));
  if (!f.open(QIODevice::ReadOnly)) {
    message = "파일을 읽을 수 없습니다.\r\r" + path;
    return false;
  }
  if (f.size() > kListFileBytes) {
    message = "파일이 너무 큽니다.\r\r1MB까지의 목록 파일을 여십시요.";
    return false;
  }
  const QByteArray data = f.read(kListFileBytes + 1);
  if (data.size() > kListFileBytes) {  // a file still growing, or a device
    message = "파일이 너무 큽니다.\r\r1MB까지의 목록 파일을 여십시요.";
    return false;
  }
  text = DecodeListBytes(data.toStdString());
  return true;
}

std::vector<ListRow> SplitListRows(const std::string& text) {
  std::vector<ListRow> rows;
  bool headerSeen = false, headed = false;
  std::vector<std::size_t> keyCols;
  int qtyCol = -1;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    ++lineNo;
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    pos = end + 1;
    const std::vector<std::string> f = SplitLine(line);
    bool blank = true;
    for (const auto& x : f) blank = blank && x.empty();
    if (blank) continue;
    if (!headerSeen) {
      headerSeen = true;
      for (std::size_t c = 0; c < f.size(); ++c) {
        const std::string name = HeaderName(f[c]);
        if (IsKeyColumn(name)) keyCols.push_back(c);
        else if (qtyCol < 0 && IsQuantityColumn(name)) qtyCol = static_cast<int>(c);
      }
      headed = !keyCols.empty();
      if (headed) continue;
      qtyCol = -1;
    }
    ListRow row;
    row.rowNo = lineNo;
    if (headed) {
      for (std::size_t c : keyCols) row.keys.push_back(c < f.size() ? f[c] : std::string());
      if (qtyCol >= 0 && static_cast<std::size_t>(qtyCol) < f.size()) row.quantity = f[qtyCol];
    } else {
      row.keys.push_back(f[0]);
      if (f.size() > 1) row.quantity = f[1];
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string PlannedRow::ResultText() const {
  switch (verdict) {
    case RowVerdict::Add:
      return after == HundredthsText(ParseQuantity(quantity).value_or(0)) ? "새 줄" : "새 줄 (합계 " + after + ")";
    case RowVerdict::Raise: return before + " → " + after;
    case RowVerdict::Merged: return std::to_string(mergedInto) + "행에 더함";
    case RowVerdict::Unknown: return key.empty() ? "제품코드가 없습니다" : "없는 제품입니다";
    case RowVerdict::NotNumber: return "수량이 숫자가 아닙니다";
    case RowVerdict::NotPositive: return "수량이 0 이하입니다";
    case RowVerdict::Full: return "99줄이 넘어 넣을 수 없습니다";
  }
  return std::string();
}

namespace {

// The products of the tables by code and by barcode: a code wins over a
// barcode within a table, an earlier table over a later one.
class ProductIndex {
 public:
  explicit ProductIndex(const std::vector<GoodsTable>& tables) {
    for (const GoodsTable& t : tables) {
      if (!t.rows) continue;
      Index ix;
      const long long n = std::min(t.count, static_cast<long long>(t.rows->size()));
      for (long long i = 0; i < n; ++i) {
        const GoodsRecord& g = (*t.rows)[static_cast<std::size_t>(i)];
        if (g.G_CODE.empty()) continue;
        ix.code.emplace(g.G_CODE, &g);
        if (!g.G_BCODE.empty()) ix.barcode.emplace(g.G_BCODE, &g);
      }
      indexes_.push_back(std::move(ix));
    }
  }
  // The product key names, or nullptr.
  const GoodsRecord* Find(const std::string& key) const {
    if (key.empty()) return nullptr;
    for (const Index& ix : indexes_) {
      if (auto it = ix.code.find(key); it != ix.code.end()) return it->second;
      if (auto it = ix.barcode.find(key); it != ix.barcode.end()) return it->second;
    }
    return nullptr;
  }

 private:
  struct Index {
    std::unordered_map<std::string, const GoodsRecord*> code, barcode;
  };
  std::vector<Index> indexes_;
};

}  // namespace

struct ListPlan::Placing {
  int free = 0;                                             // the draft's lines still free
  std::unordered_map<std::string, std::size_t> firstRowOf;  // code -> index in rows_
  std::unordered_set<std::string> full;                     // codes refused for want of a line
};

ListPlan::ListPlan(const std::vector<ListRow>& rows, const std::vector<GoodsTable>& tables,
                   const OrderDraft& draft) {
  const ProductIndex index(tables);
  Placing placing;
  placing.free = kMaxDraftLines - draft.LineCount();
  for (const ListRow& in : rows) {
    PlannedRow r;
    r.rowNo = in.rowNo;
    r.quantity = in.quantity.empty() ? "1" : in.quantity;
    const GoodsRecord* g = nullptr;
    for (const std::string& k : in.keys) {
      if (r.key.empty()) r.key = k;
      if ((g = index.Find(k))) {
        r.key = k;
        break;
      }
    }
    const auto q = ParseQuantity(r.quantity);
    if (g) {
      r.code = g->G_CODE;
      r.name = g->G_NAME;
      r.box = g->G_BOX;
    }
    if (!g) {
      r.verdict = RowVerdict::Unknown;
    } else if (!q) {
      r.verdict = RowVerdict::NotNumber;
    } else if (*q <= 0) {
      r.verdict = RowVerdict::NotPositive;
    } else {
      Place(r, *q, draft, placing);
    }
    rows_.push_back(std::move(r));
  }

  // What the lines will hold: the same operations on a copy.
  OrderDraft copy = draft;
  Apply(copy);
  for (PlannedRow& r : rows_)
    if (r.verdict == RowVerdict::Add || r.verdict == RowVerdict::Raise)
      r.after = copy.Line(copy.FindCode(r.code)).Quantity;
}

void ListPlan::Place(PlannedRow& r, long long hundredths, const OrderDraft& draft, Placing& placing) {
  if (placing.full.count(r.code)) {
    r.verdict = RowVerdict::Full;
  } else if (auto it = placing.firstRowOf.find(r.code); it != placing.firstRowOf.end()) {
    r.verdict = RowVerdict::Merged;
    r.mergedInto = rows_[it->second].rowNo;
    for (Product& p : products_)
      if (p.code == r.code) p.hundredths += hundredths;
  } else if (const int line = draft.FindCode(r.code); line >= 0) {
    r.verdict = RowVerdict::Raise;
    r.before = draft.Line(line).Quantity;
  } else if (placing.free > 0) {
    r.verdict = RowVerdict::Add;
    --placing.free;
  } else {
    r.verdict = RowVerdict::Full;
    placing.full.insert(r.code);
  }
  if (r.verdict == RowVerdict::Add || r.verdict == RowVerdict::Raise) {
    placing.firstRowOf[r.code] = rows_.size();
    products_.push_back({r.code, r.name, r.box, hundredths});
  }
}

int ListPlan::GoodRows() const {
  int n = 0;
  for (const auto& r : rows_) n += r.Good() ? 1 : 0;
  return n;
}

int ListPlan::RefusedRows() const { return static_cast<int>(rows_.size()) - GoodRows(); }

std::string ListPlan::Summary() const {
  int add = 0, raise = 0, merged = 0;
  for (const auto& r : rows_) {
    add += r.verdict == RowVerdict::Add;
    raise += r.verdict == RowVerdict::Raise;
    merged += r.verdict == RowVerdict::Merged;
  }
  return "새 줄 " + std::to_string(add) + " · 수량 더함 " + std::to_string(raise) + " · 합침 " +
         std::to_string(merged) + " · 제외 " + std::to_string(RefusedRows());
}

bool ListPlan::ConfirmQuantities(Prompter& prompter) const {
  std::string rows;
  int n = 0;
  for (const PlannedRow& r : rows_) {
    const double q = static_cast<double>(ParseQuantity(r.quantity).value_or(0)) / 100;
    if (!r.Good() || std::fabs(q) <= kPlausibleQuantity) continue;
    if (++n <= 10) rows += "\r" + std::to_string(r.rowNo) + "행 " + r.name + ": " + FormatGrouped(q, 2);
  }
  if (n == 0) return true;
  if (n > 10) rows += "\r... 모두 " + std::to_string(n) + "행";
  return prompter.AskYesNo("수량이 아주 큰 행이 있습니다." + rows +
                               "\r\r이 수량대로 넣으시겠습니까?\r\r[아니요]를 누르면 목록을 넣지 않습니다.",
                           std::string(), true);
}

int ListPlan::Apply(OrderDraft& draft) const {
  OrderDraft::ChangeBatch batch(draft);  // one journal write for the whole list
  int n = 0;
  for (const Product& p : products_)
    n += draft.AddOrRaise(p.code, p.name, p.box, HundredthsText(p.hundredths)) ? 1 : 0;
  return n;
}

}  // namespace tarvik
