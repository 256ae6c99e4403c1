// Orders, samples, supplier messages and the other writing commands, through
// the client's own request functions against a fresh demo service per test.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/Postgres.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

std::string ListCondition(const std::string& cc, const std::string& sg) {
  return " OH_CC = '" + cc + "' AND OH_SG='" + sg + "' ";
}

std::string List(const std::string& sg, const std::string& cc = "C00001") {
  const std::string cond = ListCondition(cc, sg);
  return RequestOrderList("S00001",
                          cond + MakeTag("WHERE_OPTION", cond) + OrderBy("OH_SD DESC,OH_CODE DESC"));
}

const std::vector<LineSpec> kThreeLines = {{"P00001", "", "", "2", "급함"},
                                           {"P00100", "", "", "1200", ""},
                                           {"YZ", "수기 입력 부품", "EA", "3", "확인 요망"}};

class Orders : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_RUNNING(service); }
  int StoredOrders() {
    std::string out;
    EXPECT_EQ(service.Admin({"orders"}, &out), 0);
    int n = 0;
    for (char c : out) n += c == '\n';
    return n;
  }
  std::string SaveNew(const std::vector<LineSpec>& lines = kThreeLines, const std::string& iog = "A") {
    const std::string r = RequestOrderSave("S00001", OrderBody("", iog, lines));
    EXPECT_EQ(TagValue("RESULT_CODE", r), "1") << r;
    return TagValue("OH_CODE", r);
  }
  ServiceProcess service;
};

TEST_F(Orders, SavedOrderIsListedOpenedResavedAndDeleted) {
  const std::string code = SaveNew();
  ASSERT_FALSE(code.empty());

  const std::string list = List("0");
  ASSERT_EQ(TagValue("RESULT_CODE", list), "1");
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", list), 1);
  const std::string row = TagValue("RDC_0", list);
  ExpectTags(row, {{"OH_CODE", code}, {"OH_IOG", "A"}, {"OH_MT", ""}, {"OH_DD", "240215"}, {"OH_NOTE", "빠른 배송 부탁"}});
  EXPECT_EQ(TagValue("OH_SD", row).size(), 6u);
  EXPECT_EQ(TagValue("OH_AT", row).size(), 4u);
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", List("1")), 0);  // no samples
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", List("0", "C00002")), 0);  // not another orderer's

  const std::string open = RequestOrderOpen("S00001", code);
  ASSERT_EQ(TagValue("RESULT_CODE", open), "1");
  const std::string head = TagValue("ORDERH_DATA", open);
  ExpectTags(head, {{"OH_CODE", code}, {"OH_MCOUNT", "1"}, {"OH_RCOUNT", "3"}, {"OH_IOG", "A"}});
  const std::string lines = TagValue("ORDERL_DATA", open);
  ExpectTags(TagValue("RDC_0", lines), {{"OL_GC", "P00001"}, {"G_NAME", "피스톤 앞 (쏘나타)"}, {"G_BOX", "SET"}, {"OL_LN", "급함"}});
  EXPECT_EQ(TagValue("OL_LC", TagValue("RDC_1", lines)), "1200");
  ExpectTags(TagValue("RDC_2", lines), {{"OL_GC", "YZ"}, {"OL_GN", "수기 입력 부품"}, {"OL_GBOX", "EA"}, {"G_NAME", ""}});
  EXPECT_EQ(TagValue("RDC_3", lines), "");

  // Re-sent as being written with one line: lines replaced whole, dates kept.
  std::string body = OrderBody(code, "X", {{"P00002", "", "", "5", ""}});
  const std::string resend = RequestOrderSave("S00001", body);
  ASSERT_EQ(TagValue("RESULT_CODE", resend), "1") << resend;
  EXPECT_EQ(TagValue("OH_CODE", resend), code);
  const std::string reopened = RequestOrderOpen("S00001", code);
  const std::string head2 = TagValue("ORDERH_DATA", reopened);
  ExpectTags(head2, {{"OH_IOG", "X"}, {"OH_SD", TagValue("OH_SD", head)}, {"OH_AT", TagValue("OH_AT", head)}});
  EXPECT_EQ(TagValue("OH_MT", head2).size(), 4u);
  const std::string lines2 = TagValue("ORDERL_DATA", reopened);
  EXPECT_EQ(TagValue("OL_GC", TagValue("RDC_0", lines2)), "P00002");
  EXPECT_EQ(TagValue("RDC_1", lines2), "");
  EXPECT_EQ(StoredOrders(), 1);

  EXPECT_EQ(TagValue("RESULT_CODE", RequestOrderDelete("S00001", code)), "1");
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", List("0")), 0);
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderOpen("S00001", code)), "1");
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderDelete("S00001", code)), "1");
  EXPECT_EQ(StoredOrders(), 0);
}

TEST_F(Orders, RefusedSavesStoreNothing) {
  const std::string code = SaveNew();
  auto refused = [&](const std::string& body, const char* what) {
    const std::string r = RequestOrderSave("S00001", body);
    EXPECT_NE(TagValue("RESULT_CODE", r), "1") << what;
    EXPECT_EQ(StoredOrders(), 1) << what;
  };
  refused(OrderBody("", "A", {{"NOPE1", "", "", "1", ""}}), "unknown product");
  refused(OrderBody("", "A", {{"P00001", "", "", "1", ""}, {"P09999", "", "", "1", ""}}),
          "one unknown product among good ones");
  refused(OrderBody("", "A", kThreeLines, "", "C00001", 2), "OH_RCOUNT differs");
  refused(OrderBody("", "O", kThreeLines), "status received sent by the client");
  refused(OrderBody("", "A", kThreeLines, "", "C09999"), "unknown orderer");
  refused(OrderBody("", "A", {}), "no lines");
  refused(OrderBody("20010101000000000000ABCDEFGHJK", "A", kThreeLines), "unknown order code");
  std::vector<LineSpec> hundred(100, {"YZ", "부품", "EA", "1", ""});
  refused(OrderBody("", "A", hundred), "100 lines");
  // Another supplier's DB_KEY does not reach this supplier's order.
  EXPECT_NE(TagValue("RESULT_CODE",
                     RequestOrderSave("S00002", OrderBody(code, "A", kThreeLines))), "1");
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderOpen("S00002", code)), "1");
  // A supplier that takes no orders (CLOSED) gets none, even past the log-in.
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderSave("S00003", OrderBody("", "A", {kThreeLines[2]}))),
            "1");
  EXPECT_EQ(StoredOrders(), 1);

  std::vector<LineSpec> full(99, {"YZ", "부품", "EA", "1", ""});
  EXPECT_FALSE(SaveNew(full).empty());  // 99 lines is the most
}

// The client lets a delivery date of only blanks pass as no date and sends
// it as typed; refusing it told the clerk to check the internet connection.
TEST_F(Orders, DeliveryDateOfOnlyBlanksIsStoredAsNoDate) {
  const std::string typed = OrderBody("", "A", kThreeLines);
  const struct {
    std::string dd;
    bool stored;
  } cases[] = {{"      ", true}, {" ", true}, {"", true}, {" 24021", false}, {"2402 5", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE("[" + c.dd + "]");
    std::string body = typed;
    body.replace(body.find("<OH_DD>240215</OH_DD>"), 21, MakeTag("OH_DD", c.dd));
    const std::string r = RequestOrderSave("S00001", body);
    ASSERT_EQ(TagValue("RESULT_CODE", r), c.stored ? "1" : "0") << r;
    if (c.stored) {
      EXPECT_EQ(TagValue("OH_DD", TagValue("ORDERH_DATA", RequestOrderOpen("S00001", TagValue("OH_CODE", r)))), "");
    }
  }
}

TEST_F(Orders, ReceivingOrdersCannotBeChangedOrDeletedButBecomeSamples) {
  const std::string code = SaveNew();
  const std::string other = SaveNew({{"P00003", "", "", "1", ""}}, "X");
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderSample("S00001", "NOPE", MakeTag("ORDERH_DATA",
                                      MakeTag("OH_CODE", "NOPE") + MakeTag("OH_SG", "1")))),
            "1");
  ASSERT_EQ(service.Admin({"mark", code, "I"}), 0);
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderSave("S00001", OrderBody(code, "A", kThreeLines))),
            "1");
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderDelete("S00001", code)), "1");
  ASSERT_EQ(service.Admin({"mark", code, "O"}), 0);
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderDelete("S00001", code)), "1");
  EXPECT_NE(service.Admin({"mark", "NOPE", "O"}), 0);
  EXPECT_NE(service.Admin({"mark", code, "Z"}), 0);

  const std::string sample = RequestOrderSample(
      "S00001", code, MakeTag("ORDERH_DATA", MakeTag("OH_CODE", code) + MakeTag("OH_SG", "1")));
  ASSERT_EQ(TagValue("RESULT_CODE", sample), "1") << sample;
  const std::string samples = List("1");
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", samples), 1);
  const std::string sampleCode = TagValue("OH_CODE", TagValue("RDC_0", samples));
  EXPECT_NE(sampleCode, code);
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", List("0")), 2);  // the original stays listed
  const std::string opened = RequestOrderOpen("S00001", sampleCode);
  EXPECT_EQ(TagValue("OL_GC", TagValue("RDC_2", TagValue("ORDERL_DATA", opened))), "YZ");
  EXPECT_EQ(TagValue("OH_SG", TagValue("ORDERH_DATA", opened)), "1");

  // Newest first: the "X" order was saved after the first one.
  const std::string list = List("0");
  EXPECT_EQ(TagValue("OH_CODE", TagValue("RDC_0", list)), other);
  EXPECT_EQ(TagValue("OH_CODE", TagValue("RDC_1", list)), code);
}

TEST_F(Orders, OrderCodesSortByTimeAndDoNotRepeat) {
  std::vector<std::string> codes;
  for (int i = 0; i < 12; ++i) codes.push_back(SaveNew({{"P00001", "", "", "1", ""}}));
  std::set<std::string> tails;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    ASSERT_GE(codes[i].size(), 28u);
    if (i) {
      EXPECT_LT(codes[i - 1], codes[i]);
    }
    tails.insert(codes[i].substr(codes[i].size() - 10));
  }
  EXPECT_EQ(tails.size(), codes.size());
}

TEST_F(Orders, SupplierMessageIsStoredWithTheServiceClock) {
  const std::string msg = "거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 왔습니다.";
  const std::string body = MakeTag("OA_CODE", "") + MakeTag("OA_SC", "S00001") +
                           MakeTag("OA_CC", "C00001") + MakeTag("OA_IOG", "O") +
                           MakeTag("OA_STATUS", "W") + MakeTag("OA_WDATE", "") +
                           MakeTag("OA_WTIME", "") + MakeTag("OA_RTIME", "") + MakeTag("OA_MSG", msg);
  EXPECT_EQ(TagValue("RESULT_CODE", RequestOrderAuth(body)), "1");
  std::string out;
  ASSERT_EQ(service.Admin({"messages"}, &out), 0);
  EXPECT_NE(out.find("S00001\tC00001\tO\tW\t"), std::string::npos) << out;
  EXPECT_NE(out.find("발주가 왔습니다."), std::string::npos);
  // yymmdd and HHMM filled in by the service.
  const auto tab = out.find("\tW\t");
  ASSERT_NE(tab, std::string::npos);
  EXPECT_EQ(out.substr(tab + 3, 7).find('\t'), 6u);

  std::string unknown = body;
  unknown.replace(unknown.find("S00001"), 6, "S09999");
  EXPECT_NE(TagValue("RESULT_CODE", RequestOrderAuth(unknown)), "1");
  ASSERT_EQ(service.Admin({"messages"}, &out), 0);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}

TEST_F(Orders, PasswordChangeAndTradedProductRemoval) {
  auto setPassword = [](const std::string& cc, const std::string& pass) {
    return TagValue("RESULT_CODE", RequestCustomerPassword("S00001", cc, MakeTag("C_SS", pass)));
  };
  auto password = [](const std::string& id) {
    return TagValue("C_SS", TagValue("RDC_0", RequestCustomer("S00001", Same("C_ID", id))));
  };
  // A first password only: knowing an orderer's code is not enough to take
  // its account over.
  EXPECT_EQ(setPassword("C00003", "ABCD"), "1");
  EXPECT_EQ(password("NEWSHOP"), "ABCD");
  EXPECT_NE(setPassword("C00003", "EFGH"), "1");
  EXPECT_NE(setPassword("C00001", "EFGH"), "1");
  EXPECT_EQ(password("NEWSHOP"), "ABCD");
  EXPECT_EQ(password("SHOP1"), "1234");
  EXPECT_NE(setPassword("C09999", "ABCD"), "1");
  // The supplier clears one; the orderer registers a new one.
  EXPECT_EQ(service.Admin({"password-reset", "C00001"}), 0);
  EXPECT_EQ(password("SHOP1"), "");
  EXPECT_NE(setPassword("C00001", ""), "1");
  EXPECT_NE(setPassword("C00001", "123456789012"), "1");
  EXPECT_EQ(setPassword("C00001", "4321"), "1");
  EXPECT_EQ(password("SHOP1"), "4321");
  EXPECT_NE(service.Admin({"password-reset", "C09999"}), 0);

  EXPECT_EQ(TagValue("RESULT_CODE", RequestUnitCostDelete("S00001", "C00001", "P00002")), "1");
  EXPECT_NE(TagValue("RESULT_CODE", RequestUnitCostDelete("S00001", "C00001", "P00002")), "1");
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   RequestUnitCosts("S00001", Same("U_CC", "C00001") + OrderBy(kGoodsOrder))),
            299);
  // The product itself stays in the catalogue.
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", RequestGoodByCode("S00001", Same("G_CODE", "P00002"))), 1);
}

// A service on a fresh PostgreSQL database of its own, reached through a
// relay that can cut the connection after a chosen statement.
struct CommitOutcome : ::testing::Test {
  void SetUp() override {
    if (!OnPostgres()) return;
    pg = PostgresServer::Shared();
    if (!pg) return;
    url = pg->CreateDatabase(true);
    proxy = std::make_unique<CuttingProxy>(static_cast<std::uint16_t>(pg->Port()));
    const std::string port = std::to_string(pg->Port());
    setup.sharedDb = url;
    setup.sharedDb.replace(url.find(port), port.size(), std::to_string(proxy->Port()));
  }
  void TearDown() override {
    if (pg && !url.empty()) pg->DropDatabase(url);
  }
  PostgresServer* pg = nullptr;
  std::string url;
  std::unique_ptr<CuttingProxy> proxy;
  ServiceSetup setup;
};

// PostgreSQL may have stored a transaction whose COMMIT lost its connection;
// the service looks before it answers, so the clerk does not send it again.
TEST_F(CommitOutcome, ASaveStoredByACommitWhoseAnswerWasLostIsAnsweredAsStored) {
  if (!OnPostgres()) GTEST_SKIP() << "a connection to PostgreSQL is cut";
  ASSERT_TRUE(pg != nullptr && !url.empty());
  {
    ServiceProcess service(setup);
    REQUIRE_RUNNING(service);
    const long long before = TagInt("RESULT_RECORD_COUNT", List("0"));
    proxy->CutAfter("COMMIT");
    const std::string saved = RequestOrderSave("S00001", OrderBody("", "A", kThreeLines));
    EXPECT_EQ(proxy->Cuts(), 1);
    EXPECT_EQ(TagValue("RESULT_CODE", saved), "1") << saved;
    const std::string code = TagValue("OH_CODE", saved);
    proxy->CutAfter("COMMIT");  // a re-send of it
    std::string again = OrderBody(code, "A", kThreeLines, "두 번째");
    again.replace(again.find("<OH_MCOUNT>1<"), 13, "<OH_MCOUNT>2<");
    EXPECT_EQ(TagValue("RESULT_CODE", RequestOrderSave("S00001", again)), "1");
    EXPECT_EQ(proxy->Cuts(), 2);
    const std::string list = List("0");
    ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", list), before + 1) << list;  // stored once, served on
    EXPECT_EQ(TagValue("OH_NOTE", list), "두 번째");
  }
}

// The connection drops in the middle of a write (the database restarts): the
// write fails, nothing aborts, and the service goes on serving.
TEST_F(CommitOutcome, AConnectionLostInTheMiddleOfAWriteAbortsNothing) {
  if (!OnPostgres()) GTEST_SKIP() << "a connection to PostgreSQL is cut";
  ASSERT_TRUE(pg != nullptr && !url.empty());
  {
    ServiceProcess service(setup);
    REQUIRE_RUNNING(service);
    const long long before = TagInt("RESULT_RECORD_COUNT", List("0"));
    proxy->CutAfter("INSERT INTO OL_");  // the order's lines
    EXPECT_EQ(TagValue("RESULT_CODE", RequestOrderSave("S00001", OrderBody("", "A", kThreeLines))), "0");
    EXPECT_EQ(proxy->Cuts(), 1);
    const std::string saved = RequestOrderSave("S00001", OrderBody("", "A", kThreeLines));
    EXPECT_EQ(TagValue("RESULT_CODE", saved), "1") << saved;
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", List("0")), before + 1);
    // A catalogue import writes row after row: cut after the first. It used
    // to end in Poco freeing the failed run's result twice (SIGABRT).
    const std::string csv = service.Folder() + "catalogue.csv";
    std::ofstream(csv) << "P90001,a,EA,,,M,N\nP90002,b,EA,,,M,N\n";
    proxy->CutAfter("INSERT INTO G_", 2);
    EXPECT_EQ(service.Admin({"import-catalogue", "--supplier", "S00001", csv}), 1);
    EXPECT_EQ(proxy->Cuts(), 2);
  }
}

}  // namespace
}  // namespace tarvik::test
