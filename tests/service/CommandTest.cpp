// The commands in-process on a fresh demo database: what the client's screens never ask or never see.
#include <gtest/gtest.h>

#include <algorithm>

#include "service/admin/Admin.h"
#include "tests/service/LocalService.h"

namespace tarvik::test {
namespace {

using namespace protocol;
using service::AdminMark;
using service::AdminMessages;
using service::AdminOrders;
using service::AdminPasswordReset;

constexpr long long kRefused = -1;
struct Case {
  std::string what;
  Req request;
  long long count;  // RESULT_RECORD_COUNT, or kRefused
};

const std::vector<LineSpec> kThreeLines = {
    {"P00001", "", "", "2", "급함"}, {"P00100", "", "", "1200", ""}, {"YZ", "수기 입력 부품", "EA", "3", "확인 요망"}};

Req Goods(const std::string& conditions, const std::string& supplier = "S00001") {
  return For(kGoods, supplier, conditions);
}
Req Customer(const std::string& conditions, const std::string& supplier = "S00001") {
  return For(kCustomer, supplier, conditions);
}
Req List(const std::string& where, const std::string& untagged) {
  return For(kOrderList, "S00001", untagged + MakeTag("WHERE_OPTION", where) + OrderBy("OH_SD DESC,OH_CODE DESC"));
}
Req List(const std::string& where) { return List(where, where); }

// Reads the client may make, and conditions it never sends: broken, of fields it may not ask by, hostile.
std::vector<Case> ReadCases() {
  const std::string pads = Same("CPN_GROUP", "01") + Same("CPN_MAKE", "02");  // BMW brake pads
  std::vector<Case> cases = {
      {"the supplier list is not handed out", For(kMember, ""), kRefused},
      {"another supplier's orderer", Customer(Same("C_ID", "SHOP2"), "S00002"), 0},
      {"no orderer ID", Customer(""), kRefused},  // the record holds the password
      {"an unknown DB_KEY", Customer(Same("C_ID", "SHOP1"), "S09999"), kRefused},
      {"products of an unknown supplier", Goods(Like("G_NAME", "%"), "S09999"), kRefused},
      {"%(쏘나타)%", Goods(Like("G_NAME", "%(쏘나타)%")), 208},  // only '%' is a wildcard
      {"a whole name", Goods(Like("G_NAME", "피스톤 앞 (쏘나타)")), 1},
      {"'_' is no wildcard", Goods(Like("G_NAME", "피스톤_앞%")), 0},
      {"a prefix", Goods(Like("G_NAME", "브레이크 패드%")), 11},
      {"blanks and case in ORDERBY", Goods(MakeTag("C_CODE", "C00001") + OrderBy(" G_NAME desc , G_CODE ")), 2525},
      {"C00003 has none", For(kUnitCosts, "S00001", Same("U_CC", "C00003")), 0},
      {"not everybody's prices at once", For(kUnitCosts, "S00001"), kRefused},
      {"an unknown code", For(kGoodByCode, "S00001", Same("G_CODE", "NOPE")), 0},
      {"a product without a code", For(kGoodByCode, "S00001"), kRefused},
      {"notes without GM_GC", For(kGoodsMemo, "S00001", OrderBy("GM_NO ASC")), kRefused},
      {"car makes by a group's field", For(kCarMakes, "S00001", Like("CG_NAME", "%")), kRefused},
      {"car groups ordered by a make's field",
       For(kCarGroups, "S00001", Like("CG_NAME", "%") + OrderBy("CM_CODE ASC")), kRefused},
      {"part numbers by product", For(kCarPartNums, "S00001", pads + Like("CPN_GCODE", "%")), kRefused},
      {"SAME_KEY before its field", Customer(MakeTag("SAME_KEY", "SHOP1") + Same("C_ID", "SHOP1")), kRefused},
      {"SAME_FIELD with a LIKE_KEY", Customer(MakeTag("SAME_FIELD", "C_ID") + MakeTag("LIKE_KEY", "%")), kRefused},
      {"the order list", List(" OH_CC = 'C00001' AND OH_SG='0' "), 1},
      {"another orderer's list", List(" OH_CC = 'C00002' AND OH_SG='0' "), 0},
      // The untagged copy of the condition is never read.
      {"a hostile untagged condition", List("OH_CC='C00001'", "'; DELETE FROM OH_; -- OH_CC = 'C00002'"), 1},
  };
  // Field names come from a list; that values are bound is the service_request fuzz target's (key_with_*).
  for (const std::string field : {"C_ID OR 1=1 OR C_ID", "1=1 --", "C_SS", "C_ID;", "c_id"}) {
    cases.push_back({"field " + field, Customer(Same(field, "SHOP1")), kRefused});
    cases.push_back({"field " + field, Goods(MakeTag("C_CODE", "C00001") + Like(field, "%")), kRefused});
  }
  for (const std::string order : {"G_NAME; DROP TABLE G_", "G_NAME ASC; DELETE FROM G_", "(SELECT C_SS FROM C_)",
                                  "G_NAME ASC -- ", "G_NAME ASC UNION SELECT 1", "G_NAME ASC,/**/G_CODE", "C_SS ASC",
                                  "G_NAME SIDEWAYS", "G_NAME ASC,,G_CODE", "1", "RANDOM()"}) {
    cases.push_back({"ORDERBY " + order, Goods(Like("G_NAME", "%") + OrderBy(order)), kRefused});
    cases.push_back({"ORDERBY " + order, For(kUnitCosts, "S00001", Same("U_CC", "C00001") + OrderBy(order)), kRefused});
  }
  for (const std::string where :
       {"OH_CC = 'C00001' OR '1'='1'", "OH_CC = 'C00001'; DELETE FROM OH_", "OH_CC = 'C00001' -- ",
        "OH_CC = 'C00001' UNION SELECT C_SS FROM C_", "OH_CC = 'C00001' AND 1=1", "OH_SG='0'",
        "OH_CC = 'x'' OR ''1''=''1'", "OH_CC = 'C00001' AND OH_CC = 'C00002'", "OH_CC = C00001", "OH_CC LIKE '%'",
        "OH_CC = 'C00001' AND", "M_CODE = 'S00002' AND OH_CC = 'C00001'", ""})
    cases.push_back({"WHERE_OPTION " + where, List(where), kRefused});
  return cases;
}

// Orders refused beside a stored one (`order`): what a client may send but must not get stored, or never writes.
std::vector<Case> OrderCases(const std::string& order) {
  auto refused = [](const char* what, const std::string& body, const std::string& supplier = "S00001") {
    return Case{what, Save(body, supplier), kRefused};
  };
  const std::string head =
      MakeTag("OH_CODE", "") + MakeTag("OH_CC", "C00001") + MakeTag("OH_IOG", "A") + MakeTag("OH_RCOUNT", "2");
  const std::string l0 = MakeTag("OLD_0", MakeTag("OL_GC", "P00001") + MakeTag("OL_LC", "1"));
  const std::string l1 = MakeTag("OLD_1", MakeTag("OL_GC", "P00002") + MakeTag("OL_LC", "1"));
  auto written = [](const std::string& h, const std::string& lines) {
    return MakeTag("ORDERH_DATA", h) + MakeTag("ORDERL_DATA", lines);
  };
  return {
      {"a sample of no order",
       For(kOrderSample, "S00001", MakeTag("ORDERH_DATA", MakeTag("OH_CODE", "NOPE") + MakeTag("OH_SG", "1")), {"NOPE"}),
       kRefused},
      {"another supplier's order opened", OrderOpen(order, "S00002"), kRefused},
      refused("an unknown product", OrderBody("", "A", {{"NOPE1", "", "", "1", ""}})),
      refused("an unknown one among good ones", OrderBody("", "A", {{"P00001", "", "", "1", ""}, {"P09999", "", "", "1", ""}})),
      refused("OH_RCOUNT differs", OrderBody("", "A", kThreeLines, "", "C00001", 2)),
      refused("status received sent by the client", OrderBody("", "O", kThreeLines)),
      refused("an unknown orderer", OrderBody("", "A", kThreeLines, "", "C09999")),
      refused("no lines", OrderBody("", "A", {})),
      refused("an unknown order code", OrderBody("20010101000000000000ABCDEFGHJK", "A", kThreeLines)),
      refused("100 lines", OrderBody("", "A", std::vector<LineSpec>(100, {"YZ", "부품", "EA", "1", ""}))),
      refused("another supplier's DB_KEY", OrderBody(order, "A", kThreeLines), "S00002"),
      // A supplier that takes no orders (CLOSED) gets none, even past the log-in.
      refused("a closed supplier", OrderBody("", "A", {kThreeLines[2]}), "S00003"),
      refused("lines out of order", written(head, l1 + l0)),
      refused("a gap", written(head, l0 + MakeTag("OLD_5", "<OL_GC>P00002</OL_GC>"))),
      refused("a line not closed", written(head, l0 + "<OLD_1><OL_GC>P00002</OL_GC>")),
      refused("another orderer's line", written(head, l0 + MakeTag("OLD_1", MakeTag("OL_GC", "P00002") + MakeTag("OL_CC", "C00002")))),
      refused("no ORDERL_DATA", MakeTag("ORDERH_DATA", head)),
      refused("a short delivery date", written(head + MakeTag("OH_DD", "2402"), l0 + l1)),
      refused("a sample sent as an order", written(head + MakeTag("OH_SG", "1"), l0 + l1)),
  };
}

class Commands : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_RUNNING(svc); }
  std::string SaveNew(const std::vector<LineSpec>& lines = kThreeLines) {
    const std::string r = svc.Call(Save(OrderBody("", "A", lines)));
    EXPECT_TRUE(Ok(r)) << r;
    return TagValue("OH_CODE", r);
  }
  std::vector<std::vector<std::string>> Stored() { return OrderRows(svc.Admin(AdminOrders).out); }
  std::string Password(const std::string& id) { return TagValue("C_SS", Record(svc.Call(Customer(Same("C_ID", id))), 0)); }
  LocalService svc;
};

TEST_F(Commands, AnswerWhatTheClientMayAskWithItsOwnPricesAndRefuseTheRestStoringNothing) {
  const std::string order = SaveNew();
  std::vector<Case> cases = ReadCases();
  for (Case& c : OrderCases(order)) cases.push_back(std::move(c));
  for (const Case& c : cases) {
    const std::string r = svc.Call(c.request);
    EXPECT_EQ(Ok(r), c.count != kRefused) << c.what << ": " << r.substr(0, 200);
    EXPECT_EQ(c.count == kRefused ? kRefused : Count(r), c.count) << c.what;
  }
  // Nothing changed, and the service still answers: the prices of the orderer asking only; the traded
  // products in whole category runs (counts: LoginScreen's).
  const std::string all = svc.Call(AllGoods()), newshop = svc.Call(AllGoods("S00001", "C00003"));
  ASSERT_EQ(Count(all), 2525);
  ReplyReader reader(all);
  int priced = 0;
  for (int i = 0; i < 2525; ++i) {
    const std::string rec = reader.Record(i);
    priced += !TagValue("U_COST", rec).empty() && TagValue("U_DATE", rec).size() == 6;
  }
  EXPECT_EQ(priced, 300);
  EXPECT_EQ(newshop.find("<U_COST>1"), std::string::npos);
  EXPECT_EQ(BrokenCategoryRun(svc.Call(Traded())).first, "");
  EXPECT_EQ(Password("SHOP1"), "1234");
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Stored()[0][0], order);
  EXPECT_EQ(OpenedLineNotes(svc.Call(OrderOpen(order))), (std::vector<std::string>{"급함", "", "확인 요망"}));
  EXPECT_FALSE(SaveNew(std::vector<LineSpec>(99, {"YZ", "부품", "EA", "1", ""})).empty());  // 99 lines is the most
  // The older system's makes come padded to 20 bytes (the part search trims them).
  const std::string make = Record(svc.Call(For(kCarMakes, "S00001", Like("CM_NAME", "%") + OrderBy("CM_CODE ASC"))), 10);
  EXPECT_EQ(TagValue("CM_CODE", make) + "|" + TagValue("CM_NAME", make), "11|포르쉐" + std::string(14, ' '));
}

// The clerk's own saves are the ordering screen's tests; here the dates it never shows and refusals it never asks.
TEST_F(Commands, AReSendKeepsTheDatesAndOnlyAnOrderNotYetReceivedChangesOrGoes) {
  const std::string code = SaveNew(), head = TagValue("ORDERH_DATA", svc.Call(OrderOpen(code)));
  EXPECT_EQ(TagValue("OH_SD", head).size(), 6u);
  EXPECT_EQ(TagValue("OH_AT", head).size(), 4u);
  // Re-sent with one line: the lines replaced whole, the dates kept.
  ASSERT_TRUE(Ok(svc.Call(Save(OrderBody(code, "X", {{"P00002", "", "", "5", ""}})))));
  const std::string reopened = svc.Call(OrderOpen(code)), head2 = TagValue("ORDERH_DATA", reopened);
  EXPECT_EQ(TagValue("OL_GC", TagValue("RDC_0", TagValue("ORDERL_DATA", reopened))), "P00002");
  EXPECT_EQ(TagValue("RDC_1", TagValue("ORDERL_DATA", reopened)), "");
  EXPECT_EQ(TagValue("OH_SD", head2) + TagValue("OH_AT", head2), TagValue("OH_SD", head) + TagValue("OH_AT", head));
  EXPECT_EQ(TagValue("OH_MT", head2).size(), 4u);
  // Being received, then received: not deleted (re-sends refused: Ordering.OrdersTheSupplierHasMarked...).
  ASSERT_EQ(svc.Admin(AdminMark, code, "I").code, 0);
  EXPECT_FALSE(Ok(svc.Call(OrderDelete(code))));
  ASSERT_EQ(svc.Admin(AdminMark, code, "O").code, 0);
  EXPECT_FALSE(Ok(svc.Call(OrderDelete(code))));
  EXPECT_NE(svc.Admin(AdminMark, "NOPE", "O").code, 0);
  EXPECT_NE(svc.Admin(AdminMark, code, "Z").code, 0);
  const std::string other = SaveNew();
  EXPECT_TRUE(Ok(svc.Call(OrderDelete(other))));
  EXPECT_FALSE(Ok(svc.Call(OrderDelete(other))));
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Stored()[0][6], "O");
}

// Regression: a delivery date of only blanks (sent as typed) was refused, as if the connection had failed.
TEST_F(Commands, DeliveryDateOfOnlyBlanksIsStoredAsNoDate) {
  for (const auto& [dd, stored] : std::vector<std::pair<std::string, bool>>{
           {"      ", true}, {" ", true}, {"", true}, {" 24021", false}, {"2402 5", false}}) {
    std::string body = OrderBody("", "A", kThreeLines);
    body.replace(body.find("<OH_DD>240215</OH_DD>"), 21, MakeTag("OH_DD", dd));
    const std::string r = svc.Call(Save(body));
    ASSERT_EQ(Ok(r), stored) << "[" << dd << "] " << r;
    if (stored) {
      EXPECT_EQ(TagValue("OH_DD", TagValue("ORDERH_DATA", svc.Call(OrderOpen(TagValue("OH_CODE", r))))), "");
    }
  }
}

// The kind and text stored are the ordering screen's; the clock is the service's.
TEST_F(Commands, SupplierMessageIsStoredWithTheServiceClock) {
  const std::string msg = "거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 왔습니다.";
  auto send = [&](const std::string& supplier) {
    return Ok(svc.Call(For(kOrderAuth, "", Elements(kOrderAuth.carries, {"", supplier, "C00001", "O", "W", "", "", "", msg}))));
  };
  EXPECT_TRUE(send("S00001"));
  EXPECT_FALSE(send("S09999"));
  const std::string out = svc.Admin(AdminMessages).out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
  // yymmdd and HHMM filled in by the service, the text kept whole.
  const auto at = out.find("S00001\tC00001\tO\tW\t");
  ASSERT_NE(at, std::string::npos) << out;
  EXPECT_EQ(out.substr(at + 18, 7).find('\t'), 6u);
  EXPECT_NE(out.find("거래처\\n\\n한빛카센터 에서\\n\\n발주가 왔습니다."), std::string::npos) << out;
}

TEST_F(Commands, PasswordChangeAndTradedProductRemoval) {
  auto set = [&](const std::vector<std::tuple<std::string, std::string, bool>>& cases) {
    for (const auto& [cc, pass, ok] : cases)
      EXPECT_EQ(Ok(svc.Call(For(kCustomerPassword, "S00001", MakeTag("C_SS", pass), {cc}))), ok) << cc << " " << pass;
  };
  // A first password only (registering one is LoginScreen's): knowing a code is not enough to take an account over.
  set({{"C00003", "ABCD", true}, {"C00003", "EFGH", false}, {"C00001", "EFGH", false}, {"C09999", "ABCD", false}});
  // The supplier clears one; the orderer registers a new one.
  EXPECT_EQ(svc.Admin(AdminPasswordReset, "S00001", "C00001").code, 0);
  EXPECT_EQ(Password("SHOP1"), "");
  set({{"C00001", "", false}, {"C00001", "123456789012", false}, {"C00001", "4321", true}});
  EXPECT_EQ(Password("SHOP1"), "4321");
  EXPECT_NE(svc.Admin(AdminPasswordReset, "S00001", "C09999").code, 0);
  // A removal and the traded list after it are MainScreen.DeletingATradedProduct...'s; here what it never sends.
  const Req remove = For(kUnitCostDelete, "S00001", "", {"C00001", "P00002"});
  EXPECT_TRUE(Ok(svc.Call(remove)));
  EXPECT_FALSE(Ok(svc.Call(remove)));
  EXPECT_EQ(Count(svc.Call(For(kGoodByCode, "S00001", Same("G_CODE", "P00002")))), 1);  // the product stays
}

}  // namespace
}  // namespace tarvik::test
