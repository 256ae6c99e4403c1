#pragma once
// Request texts of the service's commands, built through the protocol table as the client does, and reply readings.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/CommandTable.h"
#include "wire/MessageFormat.h"

// A service (or cluster) that must run: skipped where PostgreSQL or HAProxy is missing, a failure otherwise.
#define REQUIRE_RUNNING(s)                                     \
  do {                                                         \
    if (!(s).Skipped().empty()) GTEST_SKIP() << (s).Skipped(); \
    ASSERT_TRUE((s).Running());                                \
  } while (0)

namespace tarvik::test {

// A command's request as the client posts it: its path and text (elements, without envelope).
struct Req {
  std::string path, text;
};

// A request of command for supplier dbKey: its table row's header (a fixed CALL_INDEX), extras, then rest.
inline Req For(const protocol::Command& command, const std::string& dbKey, const std::string& rest = "",
               const std::vector<std::string>& extras = {}) {
  return {protocol::EndpointPath(command), protocol::RequestText(command, "240131-2", dbKey, extras, rest)};
}
inline std::string Same(const std::string& field, const std::string& key) {
  return MakeTag("SAME_FIELD", field) + MakeTag("SAME_KEY", key);
}
inline std::string Like(const std::string& field, const std::string& key) {
  return MakeTag("LIKE_FIELD", field) + MakeTag("LIKE_KEY", key);
}
inline std::string OrderBy(const std::string& list) { return MakeTag("ORDERBY", list); }
inline Req Member(const std::string& id) { return For(protocol::kMember, "", Same("M_ID", id)); }
inline bool Ok(const std::string& reply) { return TagValue("RESULT_CODE", reply) == "1"; }
inline long long Count(const std::string& reply) { return TagInt("RESULT_RECORD_COUNT", reply); }
inline std::string Record(const std::string& reply, std::size_t i) { return TagValue("RDC_" + std::to_string(i), reply); }

struct LineSpec {
  std::string code, name, box, qty, note;
};

// A save's ORDERH_DATA and ORDERL_DATA as the client writes them; a "YZ" line carries its own name and unit.
inline std::string OrderBody(const std::string& ohCode, const std::string& iog, const std::vector<LineSpec>& lines,
                             const std::string& note = "빠른 배송 부탁", const std::string& cc = "C00001",
                             int rcount = -1) {
  const std::string count = std::to_string(rcount < 0 ? static_cast<int>(lines.size()) : rcount);
  const std::string head = protocol::Elements(
      protocol::kOrderHeader, {ohCode, "", "", "", "1", "240215", cc, "C", iog, "0", "", count, note});
  std::string body;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineSpec& l = lines[i];
    const bool yz = l.code == "YZ";
    body += MakeTag("OLD_" + std::to_string(i),
                    protocol::Elements(protocol::kOrderLine, {std::to_string(i), cc, "", l.code, yz ? l.name : "",
                                                              yz ? l.box : "", l.qty, l.note}));
  }
  return protocol::Elements(protocol::kOrderSave.carries, {head, body});
}
inline Req Save(const std::string& body, const std::string& supplier = "S00001") {
  return For(protocol::kOrderSave, supplier, body);
}

// A save for C00001 of `lines` lines (every third "YZ"), line i noted note + "-" + i.
inline Req OrderSave(const std::string& code, const std::string& note, int lines, const std::string& iog = "A") {
  std::vector<LineSpec> specs;
  for (int l = 0; l < lines; ++l)
    specs.push_back({l % 3 ? "P0" + std::to_string(1000 + l) : "YZ", "수기", "EA", "1", note + "-" + std::to_string(l)});
  return Save(OrderBody(code, iog, specs, note));
}
inline Req OrderOpen(const std::string& code, const std::string& supplier = "S00001") {
  return For(protocol::kOrderOpen, supplier, "", {code});
}
inline Req OrderDelete(const std::string& code) { return For(protocol::kOrderDelete, "S00001", "", {code}); }

inline const char* kGoodsOrder = "G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC";
// Every product of the supplier with cc's prices, and C00001's traded products, as the log-in loads them.
inline Req AllGoods(const std::string& supplier = "S00001", const std::string& cc = "C00001") {
  return For(protocol::kGoods, supplier, MakeTag("C_CODE", cc) + Like("G_NAME", "%") + OrderBy(kGoodsOrder));
}
inline Req Traded() { return For(protocol::kUnitCosts, "S00001", Same("U_CC", "C00001") + OrderBy(kGoodsOrder)); }

// The notes of the lines of an order as read back (RequestOrderOpen), in order.
inline std::vector<std::string> OpenedLineNotes(const std::string& openReply) {
  std::vector<std::string> notes;
  const std::string lines = TagValue("ORDERL_DATA", openReply);
  ReplyReader reader(lines);
  for (std::string rec; !(rec = reader.Record(notes.size())).empty();) notes.push_back(TagValue("OL_LN", rec));
  return notes;
}

// The rows of `tarvik-service orders`, each split at its tabs.
inline std::vector<std::vector<std::string>> OrderRows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string>& row = rows.emplace_back();
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, '\t');) row.push_back(f);
    if (line.empty() || line.back() == '\t') row.emplace_back();
  }
  return rows;
}

// Each major (G_GPN1) and (major, minor) pair must come in one run: the first pair that broke it ("" when none),
// and the number of majors.
inline std::pair<std::string, std::size_t> BrokenCategoryRun(const std::string& reply) {
  std::string broken;
  std::set<std::string> majors, pairs;
  std::string lastMajor = "\x01", lastPair = "\x01";
  ReplyReader reader(reply);
  for (long long i = 0, n = Count(reply); i < n; ++i) {
    const std::string rec = reader.Record(static_cast<std::size_t>(i));
    const std::string major = TagValue("G_GPN1", rec), pair = major + "/" + TagValue("G_GPN2", rec);
    if (((major != lastMajor && !majors.insert(major).second) || (pair != lastPair && !pairs.insert(pair).second)) &&
        broken.empty())
      broken = pair;
    lastMajor = major;
    lastPair = pair;
  }
  return {broken, majors.size()};
}

}  // namespace tarvik::test
