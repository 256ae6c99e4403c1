// The desk's reading of orders (inbox, search, one order) and its marks.
#include <map>

#include "service/desk/Audit.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

// An order's header with its shop's name and the shop's newest message that
// came after it and before the shop's next order.
const char kHead[] =
    "SELECT H.OH_CODE, H.OH_SD, H.OH_AT, H.OH_MT, H.OH_MCOUNT, H.OH_CC, COALESCE(C.C_NAME, ''),"
    " H.OH_IOG, H.OH_DD, H.OH_NOTE, COALESCE((SELECT A.OA_MSG FROM OA_ A WHERE A.OA_SC = H.M_CODE"
    " AND A.OA_CC = H.OH_CC AND A.OA_CODE > H.OH_CODE AND A.OA_CODE < COALESCE((SELECT"
    " MIN(N.OH_CODE) FROM OH_ N WHERE N.M_CODE = H.M_CODE AND N.OH_CC = H.OH_CC AND N.OH_SG = '0'"
    " AND N.OH_CODE > H.OH_CODE), '~') ORDER BY A.OA_CODE DESC LIMIT 1), '')"
    " FROM OH_ H LEFT JOIN C_ C ON C.M_CODE = H.M_CODE AND C.C_CODE = H.OH_CC";
constexpr std::size_t kHeadColumns = 11;
constexpr std::size_t kManyShops = 100;

// A whole number of at most 15 digits (blanks around allowed); -1 otherwise.
long long Amount(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return -1;
  const auto last = text.find_last_not_of(' ');
  const std::string digits = text.substr(first, last - first + 1);
  if (digits.size() > 15 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoll(digits);
}

OrderRow ToOrder(const Row& r) {
  OrderRow o;
  o.code = r[0], o.date = r[1], o.time = r[2], o.changed = r[3], o.sends = r[4];
  o.shop = r[5], o.shopName = r[6], o.status = r[7], o.delivery = r[8], o.note = r[9];
  o.message = r[10];
  return o;
}

// Line counts and amounts of the orders, in one statement.
bool AddTotals(Connection& db, std::vector<OrderRow>& orders, std::string& error) {
  if (orders.empty()) return true;
  std::string sql =
      "SELECT L.OH_CODE, L.OL_LC, COALESCE(U.U_COST, '') FROM OL_ L JOIN OH_ H"
      " ON H.OH_CODE = L.OH_CODE LEFT JOIN U_ U ON U.M_CODE = H.M_CODE AND U.U_CC = H.OH_CC"
      " AND U.U_GC = L.OL_GC WHERE L.OH_CODE IN (";
  std::vector<std::string> params;
  std::map<std::string, OrderRow*> byCode;
  for (auto& o : orders) {
    sql += params.empty() ? "?" : ", ?";
    params.push_back(o.code);
    byCode[o.code] = &o;
  }
  Rows rows;
  if (!db.Query(sql + ")", params, 3, rows, &error)) return false;
  for (const auto& r : rows) {
    OrderRow& o = *byCode[r[0]];
    ++o.lines;
    const long long quantity = Amount(r[1]), price = Amount(r[2]);
    if (quantity >= 0 && price >= 0) o.amount += quantity * price;
  }
  return true;
}

bool ReadOrders(Connection& db, const std::string& sql, const std::vector<std::string>& params,
                std::vector<OrderRow>& orders, std::string& error) {
  Rows rows;
  if (!db.Query(sql, params, kHeadColumns, rows, &error)) return false;
  orders.clear();
  for (const auto& r : rows) orders.push_back(ToOrder(r));
  return AddTotals(db, orders, error);
}

std::string Limit(int page, int rows) {
  return " LIMIT " + std::to_string(rows) + " OFFSET " + std::to_string(page * kPageRows);
}

// " IN (?, ?, ...)" for n values.
std::string InList(std::size_t n) {
  std::string sql = " IN (";
  for (std::size_t i = 0; i < n; ++i) sql += i ? ", ?" : "?";
  return sql + ")";
}

// One page of the orders `where` picks, in `order`: their codes first, then
// their rows. PostgreSQL works out a row's subqueries also for the rows an
// OFFSET skips; asked for codes alone it skips them cheaply.
bool PageOfOrders(Connection& db, const std::string& where, const std::vector<std::string>& params,
                  const std::string& order, int page, int rows, std::vector<OrderRow>& orders,
                  std::string& error) {
  Rows codes;
  if (!db.Query("SELECT H.OH_CODE FROM OH_ H" + where + order + Limit(page, rows), params, 1, codes, &error))
    return false;
  orders.clear();
  if (codes.empty()) return true;
  std::vector<std::string> keys;
  for (const auto& c : codes) keys.push_back(c[0]);
  return ReadOrders(db, kHead + std::string(" WHERE H.OH_CODE") + InList(keys.size()) + order, keys, orders,
                    error);
}

// The supplier's shops whose name holds text, or whose code or ID it is; at
// most `limit` (one more tells there are more).
bool ShopsNamed(Connection& db, const std::string& supplier, const std::string& text, std::size_t limit,
                std::vector<std::string>& shops, std::string& error);

long long CountOf(Connection& db, const std::string& supplier, const char* status,
                  std::string& error) {
  Rows rows;
  if (!db.Query("SELECT COUNT(*) FROM OH_ WHERE M_CODE = ? AND OH_SG = '0' AND OH_IOG = ?",
                {supplier, status}, 1, rows, &error))
    return -1;
  return rows.empty() ? 0 : std::atoll(rows[0][0].c_str());
}

// A LIKE pattern that finds text anywhere, its own % and _ taken literally.
std::string Contains(const std::string& text) {
  std::string out = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '!') out += '!';
    out += c;
  }
  return out + "%";
}

bool ShopsNamed(Connection& db, const std::string& supplier, const std::string& text, std::size_t limit,
                std::vector<std::string>& shops, std::string& error) {
  Rows rows;
  if (!db.Query(std::string("SELECT C_CODE FROM C_ WHERE M_CODE = ? AND (C_NAME ") + db.dialect().Like() +
                    " ? ESCAPE '!' OR C_CODE = ? OR C_ID = ?) ORDER BY C_CODE LIMIT " + std::to_string(limit),
                {supplier, Contains(text), text, text}, 1, rows, &error))
    return false;
  shops.clear();
  for (const auto& r : rows) shops.push_back(r[0]);
  return true;
}

}  // namespace

bool ReadInbox(Connection& db, const std::string& supplier, int page, InboxView& view,
               std::string& error) {
  const std::string where = " WHERE H.M_CODE = ? AND H.OH_SG = '0' AND H.OH_IOG = ?";
  const std::string order = " ORDER BY H.OH_CODE DESC";
  // One moment for the whole page, so its counts and rows agree.
  if (!db.BeginRead(&error)) return false;
  const bool ok =
      PageOfOrders(db, where, {supplier, "A"}, order, page, kPageRows, view.fresh, error) &&
      PageOfOrders(db, where, {supplier, "I"}, order, 0, kPageRows, view.taking, error) &&
      (view.freshCount = CountOf(db, supplier, "A", error)) >= 0 &&
      (view.takingCount = CountOf(db, supplier, "I", error)) >= 0;
  db.Rollback();  // nothing was written
  return ok;
}

bool SearchOrders(Connection& db, const std::string& supplier, const SearchTerms& terms,
                  std::vector<OrderRow>& rows, bool& more, std::string& error) {
  std::string where = " WHERE H.M_CODE = ? AND H.OH_SG = '0' AND H.OH_IOG <> 'X'";
  std::vector<std::string> params = {supplier};
  const auto add = [&](const char* condition, const std::string& value) {
    where += condition;
    params.push_back(value);
  };
  if (!terms.status.empty()) add(" AND H.OH_IOG = ?", terms.status);
  if (!terms.from.empty()) add(" AND H.OH_SD >= ?", terms.from);
  if (!terms.to.empty()) add(" AND H.OH_SD <= ?", terms.to);
  if (!terms.shop.empty()) {
    // A few shops by name: as values, so the planner reads each shop's
    // orders by its index; many: as a subquery, and their orders are dense.
    std::vector<std::string> shops;
    if (!ShopsNamed(db, supplier, terms.shop, kManyShops, shops, error)) return false;
    if (shops.empty()) shops.push_back(std::string());  // no shop: no order
    if (shops.size() < kManyShops) {
      where += " AND H.OH_CC" + InList(shops.size());
      params.insert(params.end(), shops.begin(), shops.end());
    } else {
      add(" AND H.OH_CC IN (SELECT C_CODE FROM C_ WHERE M_CODE = ?", supplier);
      where += std::string(" AND (C_NAME ") + db.dialect().Like() + " ? ESCAPE '!'";
      params.push_back(Contains(terms.shop));
      add(" OR C_CODE = ?", terms.shop);
      add(" OR C_ID = ?))", terms.shop);
    }
  }
  if (!terms.product.empty())
    add(" AND H.OH_CODE IN (SELECT OH_CODE FROM OL_ WHERE OL_GC = ?)", terms.product);
  if (!PageOfOrders(db, where, params, " ORDER BY H.OH_SD DESC, H.OH_CODE DESC", terms.page,
                    kPageRows + 1, rows, error))
    return false;
  more = rows.size() > static_cast<std::size_t>(kPageRows);
  if (more) rows.pop_back();
  return true;
}

bool ReadOrder(Connection& db, const std::string& supplier, const std::string& code,
               OrderView& view, bool& found, std::string& error) {
  std::vector<OrderRow> heads;
  Rows lines;
  if (!db.BeginRead(&error)) return false;
  bool ok = ReadOrders(db,
                       kHead + std::string(" WHERE H.M_CODE = ? AND H.OH_CODE = ? AND H.OH_SG = '0'"
                                           " AND H.OH_IOG <> 'X'"),
                       {supplier, code}, heads, error);
  found = ok && !heads.empty();
  if (found) {
    view.head = heads[0];
    ok = db.Query("SELECT L.OL_NO, L.OL_GC, CASE WHEN L.OL_GC = 'YZ' THEN L.OL_GN ELSE"
                  " COALESCE(G.G_NAME, '') END, CASE WHEN L.OL_GC = 'YZ' THEN L.OL_GBOX ELSE"
                  " COALESCE(G.G_BOX, '') END, L.OL_LC, L.OL_LN, COALESCE(U.U_COST, '')"
                  " FROM OL_ L LEFT JOIN G_ G ON L.OL_GC <> 'YZ' AND G.M_CODE = ? AND G.G_CODE = L.OL_GC"
                  " LEFT JOIN U_ U ON L.OL_GC <> 'YZ' AND U.M_CODE = ? AND U.U_CC = ? AND U.U_GC = L.OL_GC"
                  " WHERE L.OH_CODE = ? ORDER BY L.OL_NO",
                  {supplier, supplier, view.head.shop, code}, 7, lines, &error) &&
         ReadOrderMessages(db, supplier, view, error);
  }
  db.Rollback();  // nothing was written
  if (!ok) return false;
  view.lines.clear();
  for (const auto& l : lines) {
    OrderLine line{l[0], l[1], l[2], l[3], l[4], l[5]};
    const long long quantity = Amount(line.quantity);
    line.price = Amount(l[6]);
    if (quantity >= 0 && line.price >= 0) line.amount = quantity * line.price;
    view.lines.push_back(line);
  }
  return true;
}

MarkResult MarkOrder(Connection& db, const std::string& supplier, const std::string& code,
                     const std::string& to, const std::string& seenSends,
                     const std::string& seenChanged, const std::string& who, std::string& why) {
  if (to != "I" && to != "O") {
    why = "바꿀 수 없는 상태입니다.";
    return MarkResult::kRefused;
  }
  const std::string from = to == "I" ? "A" : "I";
  bool refused = false;
  const bool ok = InTransaction(
      db,
      [&] {
        if (!db.Exec("UPDATE OH_ SET OH_IOG = ? WHERE M_CODE = ? AND OH_CODE = ? AND OH_SG = '0'"
                     " AND OH_IOG = ? AND OH_MCOUNT = ? AND OH_MT = ?",
                     {to, supplier, code, from, seenSends, seenChanged}, &why))
          return false;
        if (db.Changed() == 1)
          return Audit(db, supplier, who, to == "I" ? audit::kMarkI : audit::kMarkO, code, "", &why);
        refused = true;
        Rows rows;
        if (!db.Query("SELECT OH_IOG FROM OH_ WHERE M_CODE = ? AND OH_CODE = ? AND OH_SG = '0'",
                      {supplier, code}, 1, rows, &why))
          return refused = false;
        const std::string now = rows.empty() ? "" : rows[0][0];
        if (now.empty() || now == "X") why = "이 주문은 지금 볼 수 없습니다 (거래처에서 작성중).";
        else if (now == to) why = to == "I" ? "이미 접수중입니다." : "이미 접수되었습니다.";
        else if (now == "O") why = "이미 접수된 주문입니다.";
        else if (now == from) why = "거래처에서 주문을 고쳐 보냈습니다. 바뀐 내용을 확인하고 다시 누르십시오.";
        else why = "먼저 접수중으로 바꾸십시오.";
        return false;
      },
      &why);
  if (ok) return MarkResult::kDone;
  return refused ? MarkResult::kRefused : MarkResult::kFailed;
}

}  // namespace tarvik::service::desk
