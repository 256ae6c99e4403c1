// SHOP1's earlier orders and samples at DEMO, so that the order list of a
// first try is not empty: orders in each status and two samples, dated
// before the day they are written.
#include <cstdio>
#include <ctime>

#include "service/admin/DemoData.h"

namespace tarvik::service {
namespace {

// yymmdd of the local date `days` from today (negative: before).
std::string DayFromToday(int days) {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  tm.tm_mday += days;
  tm.tm_hour = 12;  // away from a daylight-saving jump
  tm.tm_isdst = -1;
  std::mktime(&tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

struct DemoLine {
  const char* code;  // a product SHOP1 has traded, or "YZ"
  const char* name;  // for "YZ" only
  const char* box;   // for "YZ" only
  const char* quantity;
  const char* note;
};

struct DemoOrder {
  int daysAgo;
  const char* time;     // OH_AT
  const char* changed;  // OH_MT
  const char* status;   // OH_IOG
  const char* sendCount;
  int deliveryIn;  // days after the order date; 0: no delivery date
  const char* note;
  int sampleOf;  // >= 0: a sample registered from that order (index), -1: an order
  std::vector<DemoLine> lines;
};

const std::vector<DemoOrder>& Orders() {
  static const std::vector<DemoOrder> orders = {
      {20, "0915", "", "O", "1", 0, "정기 주문입니다", -1,
       {{"P00002", "", "", "10", ""}, {"P00010", "", "", "4", ""}, {"P00018", "", "", "2", "좌우 한 쌍"}}},
      {13, "1040", "1105", "O", "2", 2, "", -1,
       {{"P00026", "", "", "1", ""}, {"YZ", "순정 엠블럼 (그랜저)", "EA", "1", "색상 확인"}}},
      {6, "1420", "", "O", "1", 0, "월말 정산 부탁드립니다", -1,
       {{"P00034", "", "", "20", ""}, {"P00042", "", "", "6", ""}, {"P00050", "", "", "3", ""},
        {"P00058", "", "", "12", "박스 단위"}}},
      {3, "0930", "", "I", "1", 1, "오전 중 배송 부탁드립니다", -1,
       {{"P00066", "", "", "2", ""}, {"P00074", "", "", "1", "급함"}}},
      {2, "1610", "1645", "I", "3", 0, "", -1,
       {{"P00082", "", "", "5", ""}, {"P00090", "", "", "1", ""}, {"YZ", "와이퍼 고무 (수입)", "SET", "2", ""}}},
      {1, "1115", "1340", "A", "2", 2, "급한 건입니다", -1,
       {{"P00098", "", "", "8", ""}, {"P00106", "", "", "1", ""}}},
      {1, "1630", "", "A", "1", 0, "", -1, {{"P00114", "", "", "4", ""}}},
      {1, "1750", "1805", "X", "2", 0, "수량 확인 후 전송", -1,
       {{"P00122", "", "", "3", ""}, {"P00130", "", "", "15", "재고 확인"}}},
      {4, "1005", "", "X", "1", 0, "", -1, {{"YZ", "브레이크 패드 (수입)", "SET", "2", ""}}},
      {19, "0900", "", "O", "1", 0, "정기 주문 샘플", 0, {}},
      {2, "0820", "", "I", "1", 0, "소모품 샘플", 4, {}},
  };
  return orders;
}

std::string DemoOrderCode(const std::string& date, const std::string& time, int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06d", n);
  return date + time + "00000000DEMO" + buf;  // as long as a code the service makes
}

}  // namespace

bool WriteDemoOrders(Connection& db, std::string* error) {
  Rows rows;
  if (!db.Query("SELECT COUNT(*) FROM C_ WHERE M_CODE = 'S00001' AND C_CODE = 'C00001'", {}, 1, rows,
                error))
    return false;
  if (rows.empty() || rows[0][0] != "1") {
    if (error) *error = "no demo data (SHOP1 at DEMO) in this database";
    return false;
  }
  if (!db.Query("SELECT COUNT(*) FROM OH_ WHERE M_CODE = 'S00001' AND OH_CC = 'C00001'", {}, 1, rows,
                error))
    return false;
  if (rows.empty() || rows[0][0] != "0") {
    if (error) *error = "SHOP1 has orders at DEMO already";
    return false;
  }
  const auto& orders = Orders();
  std::vector<std::string> codes;
  std::vector<std::vector<std::string>> heads(14), lines(9);
  for (std::size_t n = 0; n < orders.size(); ++n) {
    const DemoOrder& o = orders[n];
    const std::string date = DayFromToday(-o.daysAgo);
    codes.push_back(DemoOrderCode(date, o.time, static_cast<int>(n + 1)));
    const bool sample = o.sampleOf >= 0;
    const DemoOrder& source = sample ? orders[static_cast<std::size_t>(o.sampleOf)] : o;
    const std::string deliver =
        source.deliveryIn > 0 ? DayFromToday(source.deliveryIn - source.daysAgo) : std::string();
    const std::vector<std::string> head = {
        codes.back(), "S00001", date, o.time, o.changed, o.sendCount, deliver, "C00001", "C",
        o.status, sample ? "1" : "0", sample ? codes[static_cast<std::size_t>(o.sampleOf)] : "",
        std::to_string(source.lines.size()), o.note};
    for (std::size_t i = 0; i < head.size(); ++i) heads[i].push_back(head[i]);
    for (std::size_t l = 0; l < source.lines.size(); ++l) {
      const DemoLine& d = source.lines[l];
      const std::vector<std::string> line = {codes.back(), std::to_string(l), "C00001", "", d.code,
                                             d.name, d.box, d.quantity, d.note};
      for (std::size_t i = 0; i < line.size(); ++i) lines[i].push_back(line[i]);
    }
  }
  return InTransaction(
      db,
      [&] {
        return db.ExecMany("INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT, OH_DD,"
                           " OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE, OH_RCOUNT, OH_NOTE)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           heads, error) &&
               db.ExecMany("INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_OC, OL_GC, OL_GN, OL_GBOX,"
                           " OL_LC, OL_LN) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           lines, error);
      },
      error);
}

}  // namespace tarvik::service
