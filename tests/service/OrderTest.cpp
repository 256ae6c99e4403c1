// Orders, samples, supplier messages and the other writing commands, through
// the client's own request functions against a fresh demo service per test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <thread>

#include "net/ServiceRequests.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/Environment.h"
#include "tests/support/Files.h"
#include "tests/support/Postgres.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

// The service the test started: ServiceProcess names it in TARVIK_SERVER.
ServiceLink Link() { return ServiceLinkAtStart(); }

std::string List(const std::string& sg, const std::string& cc = "C00001") {
  const std::string cond = " OH_CC = '" + cc + "' AND OH_SG='" + sg + "' ";
  return RequestOrderList(Link(), "S00001", cond + MakeTag("WHERE_OPTION", cond) + OrderBy("OH_SD DESC,OH_CODE DESC"))
      .reply;
}
bool Saved(const std::string& body, const std::string& supplier = "S00001") {
  return Ok(RequestOrderSave(Link(), supplier, body).reply);
}

const std::vector<LineSpec> kThreeLines = {
    {"P00001", "", "", "2", "급함"}, {"P00100", "", "", "1200", ""}, {"YZ", "수기 입력 부품", "EA", "3", "확인 요망"}};

class Orders : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_RUNNING(service); }
  int StoredOrders() {
    std::string out;
    EXPECT_EQ(service.Admin({"orders"}, &out), 0);
    return static_cast<int>(std::count(out.begin(), out.end(), '\n'));
  }
  std::string SaveNew(const std::vector<LineSpec>& lines = kThreeLines, const std::string& iog = "A") {
    const std::string r = RequestOrderSave(Link(), "S00001", OrderBody("", iog, lines)).reply;
    EXPECT_TRUE(Ok(r)) << r;
    return TagValue("OH_CODE", r);
  }
  ServiceProcess service;
};

// Saving, listing, opening, re-sending, copying and deleting as the clerk does
// them are the ordering screen's tests (tests/order/OrderingScreenTest.cpp);
// here what it never looks at.
TEST_F(Orders, AReSendKeepsTheDatesAndADeletedOrderIsGone) {
  const std::string code = SaveNew();
  ASSERT_FALSE(code.empty());
  EXPECT_EQ(Count(List("0", "C00002")), 0);  // not another orderer's
  const std::string open = RequestOrderOpen(Link(), "S00001", code).reply;
  const std::string head = TagValue("ORDERH_DATA", open);
  EXPECT_EQ(TagValue("OH_SD", head).size(), 6u);
  EXPECT_EQ(TagValue("OH_AT", head).size(), 4u);
  EXPECT_EQ(TagValue("G_BOX", TagValue("RDC_0", TagValue("ORDERL_DATA", open))), "SET");
  // Re-sent with one line: lines replaced whole, dates kept.
  ASSERT_TRUE(Saved(OrderBody(code, "X", {{"P00002", "", "", "5", ""}})));
  const std::string reopened = RequestOrderOpen(Link(), "S00001", code).reply;
  const std::string head2 = TagValue("ORDERH_DATA", reopened);
  ExpectTags(head2, {{"OH_SD", TagValue("OH_SD", head)}, {"OH_AT", TagValue("OH_AT", head)}});
  EXPECT_EQ(TagValue("OH_MT", head2).size(), 4u);
  EXPECT_EQ(TagValue("RDC_1", TagValue("ORDERL_DATA", reopened)), "");
  EXPECT_EQ(StoredOrders(), 1);
  EXPECT_TRUE(Ok(RequestOrderDelete(Link(), "S00001", code).reply));
  EXPECT_FALSE(Ok(RequestOrderOpen(Link(), "S00001", code).reply));
  EXPECT_FALSE(Ok(RequestOrderDelete(Link(), "S00001", code).reply));
  EXPECT_EQ(StoredOrders(), 0);
}

TEST_F(Orders, RefusedSavesStoreNothing) {
  const std::string code = SaveNew();
  const std::vector<LineSpec> hundred(100, {"YZ", "부품", "EA", "1", ""});
  const struct {
    const char* what;
    std::string body, supplier;
  } cases[] = {
      {"unknown product", OrderBody("", "A", {{"NOPE1", "", "", "1", ""}}), "S00001"},
      {"one unknown among good ones", OrderBody("", "A", {{"P00001", "", "", "1", ""}, {"P09999", "", "", "1", ""}}), "S00001"},
      {"OH_RCOUNT differs", OrderBody("", "A", kThreeLines, "", "C00001", 2), "S00001"},
      {"status received sent by the client", OrderBody("", "O", kThreeLines), "S00001"},
      {"unknown orderer", OrderBody("", "A", kThreeLines, "", "C09999"), "S00001"},
      {"no lines", OrderBody("", "A", {}), "S00001"},
      {"unknown order code", OrderBody("20010101000000000000ABCDEFGHJK", "A", kThreeLines), "S00001"},
      {"100 lines", OrderBody("", "A", hundred), "S00001"},
      {"another supplier's DB_KEY", OrderBody(code, "A", kThreeLines), "S00002"},
      // A supplier that takes no orders (CLOSED) gets none, even past the log-in.
      {"a closed supplier", OrderBody("", "A", {kThreeLines[2]}), "S00003"},
  };
  for (const auto& c : cases) EXPECT_FALSE(Saved(c.body, c.supplier)) << c.what;
  EXPECT_FALSE(Ok(RequestOrderOpen(Link(), "S00002", code).reply));
  EXPECT_EQ(StoredOrders(), 1);
  EXPECT_FALSE(SaveNew(std::vector<LineSpec>(99, {"YZ", "부품", "EA", "1", ""})).empty());  // 99 lines is the most
}

// Regression: the client lets a delivery date of only blanks pass as no date
// and sends it as typed; refusing it told the clerk to check the connection.
TEST_F(Orders, DeliveryDateOfOnlyBlanksIsStoredAsNoDate) {
  for (const auto& [dd, stored] : std::vector<std::pair<std::string, bool>>{
           {"      ", true}, {" ", true}, {"", true}, {" 24021", false}, {"2402 5", false}}) {
    std::string body = OrderBody("", "A", kThreeLines);
    body.replace(body.find("<OH_DD>240215</OH_DD>"), 21, MakeTag("OH_DD", dd));
    const std::string r = RequestOrderSave(Link(), "S00001", body).reply;
    ASSERT_EQ(TagValue("RESULT_CODE", r), stored ? "1" : "0") << "[" << dd << "] " << r;
    if (stored) {
      const std::string open = RequestOrderOpen(Link(), "S00001", TagValue("OH_CODE", r)).reply;
      EXPECT_EQ(TagValue("OH_DD", TagValue("ORDERH_DATA", open)), "");
    }
  }
}

// A marked order refused on sending, and its sample, are the ordering screen's;
// the client itself refuses to delete one, so the service's refusal is here.
TEST_F(Orders, ReceivingOrdersCannotBeChangedOrDeleted) {
  const std::string code = SaveNew();
  const std::string sample = MakeTag("ORDERH_DATA", MakeTag("OH_CODE", "NOPE") + MakeTag("OH_SG", "1"));
  EXPECT_FALSE(Ok(RequestOrderSample(Link(), "S00001", "NOPE", sample).reply));
  ASSERT_EQ(service.Admin({"mark", code, "I"}), 0);
  EXPECT_FALSE(Saved(OrderBody(code, "A", kThreeLines)));
  EXPECT_FALSE(Ok(RequestOrderDelete(Link(), "S00001", code).reply));
  ASSERT_EQ(service.Admin({"mark", code, "O"}), 0);
  EXPECT_FALSE(Ok(RequestOrderDelete(Link(), "S00001", code).reply));
  EXPECT_NE(service.Admin({"mark", "NOPE", "O"}), 0);
  EXPECT_NE(service.Admin({"mark", code, "Z"}), 0);
  EXPECT_EQ(StoredOrders(), 1);
}

TEST_F(Orders, OrderCodesSortByTimeAndDoNotRepeat) {
  std::vector<std::string> codes;
  std::set<std::string> tails;
  for (int i = 0; i < 12; ++i) {
    codes.push_back(SaveNew({{"P00001", "", "", "1", ""}}));
    ASSERT_GE(codes.back().size(), 28u);
    if (i) {
      EXPECT_LT(codes[i - 1], codes[i]);
    }
    tails.insert(codes.back().substr(codes.back().size() - 10));
  }
  EXPECT_EQ(tails.size(), codes.size());
}

// The kind and text stored are the ordering screen's; the clock is the service's.
TEST_F(Orders, SupplierMessageIsStoredWithTheServiceClock) {
  const std::string msg = "거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 왔습니다.";
  std::string body;
  for (const auto& [tag, value] : std::vector<std::pair<std::string, std::string>>{
           {"OA_CODE", ""}, {"OA_SC", "S00001"}, {"OA_CC", "C00001"}, {"OA_IOG", "O"}, {"OA_STATUS", "W"},
           {"OA_WDATE", ""}, {"OA_WTIME", ""}, {"OA_RTIME", ""}, {"OA_MSG", msg}})
    body += MakeTag(tag, value);
  EXPECT_TRUE(Ok(RequestOrderAuth(Link(), body).reply));
  std::string out;
  ASSERT_EQ(service.Admin({"messages"}, &out), 0);
  // yymmdd and HHMM filled in by the service.
  const auto at = out.find("S00001\tC00001\tO\tW\t");
  ASSERT_NE(at, std::string::npos) << out;
  EXPECT_EQ(out.substr(at + 18, 7).find('\t'), 6u);
  EXPECT_NE(out.find("거래처\\n\\n한빛카센터 에서\\n\\n발주가 왔습니다."), std::string::npos) << out;  // kept whole
  body.replace(body.find("S00001"), 6, "S09999");
  EXPECT_FALSE(Ok(RequestOrderAuth(Link(), body).reply));
  ASSERT_EQ(service.Admin({"messages"}, &out), 0);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}

TEST_F(Orders, PasswordChangeAndTradedProductRemoval) {
  auto set = [](const std::string& cc, const std::string& pass) {
    return Ok(RequestCustomerPassword(Link(), "S00001", cc, MakeTag("C_SS", pass)).reply);
  };
  auto password = [](const std::string& id) {
    return TagValue("C_SS", TagValue("RDC_0", RequestCustomer(Link(), "S00001", Same("C_ID", id)).reply));
  };
  // A first password only: knowing an orderer's code is not enough to take its account over.
  EXPECT_TRUE(set("C00003", "ABCD"));
  EXPECT_FALSE(set("C00003", "EFGH"));
  EXPECT_FALSE(set("C00001", "EFGH"));
  EXPECT_FALSE(set("C09999", "ABCD"));
  EXPECT_EQ(password("NEWSHOP"), "ABCD");
  EXPECT_EQ(password("SHOP1"), "1234");
  // The supplier clears one; the orderer registers a new one.
  EXPECT_EQ(service.Admin({"password-reset", "C00001"}), 0);
  EXPECT_EQ(password("SHOP1"), "");
  EXPECT_FALSE(set("C00001", ""));
  EXPECT_FALSE(set("C00001", "123456789012"));
  EXPECT_TRUE(set("C00001", "4321"));
  EXPECT_EQ(password("SHOP1"), "4321");
  EXPECT_NE(service.Admin({"password-reset", "C09999"}), 0);

  // The first removal is the main screen's (tests/catalog/MainScreenTest.cpp).
  EXPECT_TRUE(Ok(RequestUnitCostDelete(Link(), "S00001", "C00001", "P00002").reply));
  EXPECT_FALSE(Ok(RequestUnitCostDelete(Link(), "S00001", "C00001", "P00002").reply));
  EXPECT_EQ(Count(RequestGoodByCode(Link(), "S00001", Same("G_CODE", "P00002")).reply), 1);  // the product stays
}

// A service on a fresh PostgreSQL database of its own, reached through a
// relay that can cut the connection after a chosen statement.
struct CommitOutcome : ::testing::Test {
  void SetUp() override {
    if (!OnPostgres()) GTEST_SKIP() << "a connection to PostgreSQL is cut";
    ASSERT_NE(pg = PostgresServer::Shared(), nullptr);
    ASSERT_FALSE((url = pg->CreateDatabase(true)).empty());
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

// Regression: PostgreSQL may have stored a transaction whose COMMIT lost its
// connection; the service looks before it answers, so the clerk does not
// send it again.
TEST_F(CommitOutcome, ASaveStoredByACommitWhoseAnswerWasLostIsAnsweredAsStored) {
  ServiceProcess service(setup);
  REQUIRE_RUNNING(service);
  const long long before = Count(List("0"));
  proxy->CutAfter("COMMIT");
  const std::string saved = RequestOrderSave(Link(), "S00001", OrderBody("", "A", kThreeLines)).reply;
  EXPECT_EQ(proxy->Cuts(), 1);
  EXPECT_TRUE(Ok(saved)) << saved;
  proxy->CutAfter("COMMIT");  // a re-send of it
  std::string again = OrderBody(TagValue("OH_CODE", saved), "A", kThreeLines, "두 번째");
  again.replace(again.find("<OH_MCOUNT>1<"), 13, "<OH_MCOUNT>2<");
  EXPECT_TRUE(Saved(again));
  EXPECT_EQ(proxy->Cuts(), 2);
  const std::string list = List("0");
  ASSERT_EQ(Count(list), before + 1) << list;  // stored once, served on
  EXPECT_EQ(TagValue("OH_NOTE", list), "두 번째");
}

// Regression: the connection drops in the middle of a write (the database
// restarts): the write fails, nothing aborts, and the service goes on serving.
TEST_F(CommitOutcome, AConnectionLostInTheMiddleOfAWriteAbortsNothing) {
  ServiceProcess service(setup);
  REQUIRE_RUNNING(service);
  const long long before = Count(List("0"));
  proxy->CutAfter("INSERT INTO OL_");  // the order's lines
  EXPECT_EQ(TagValue("RESULT_CODE", RequestOrderSave(Link(), "S00001", OrderBody("", "A", kThreeLines)).reply), "0");
  EXPECT_EQ(proxy->Cuts(), 1);
  EXPECT_TRUE(Saved(OrderBody("", "A", kThreeLines)));
  EXPECT_EQ(Count(List("0")), before + 1);
  // A catalogue import writes row after row: cut after the first. It used
  // to end in Poco freeing the failed run's result twice (SIGABRT).
  const std::string csv = service.Folder() + "catalogue.csv";
  WriteFile(csv, "P90001,a,EA,,,M,N\nP90002,b,EA,,,M,N\n");
  proxy->CutAfter("INSERT INTO G_", 2);
  EXPECT_EQ(service.Admin({"import-catalogue", "--supplier", "S00001", csv}), 1);
  EXPECT_EQ(proxy->Cuts(), 2);
}

// A network black hole between the service and PostgreSQL (30 s at full
// size, with the default bounds): every request fails within the bound,
// /health says so, and serving resumes by itself once it lifts.
TEST_F(CommitOutcome, ABlackHoledDatabaseCostsBoundedWaitsAndServingResumes) {
  using Clock = std::chrono::steady_clock;
  const bool full = FullSize();
  // The longest wait: a pooled connection's statement and one second, or a connect.
  const double hole = full ? 30 : 4, bound = full ? 6 : 2;
  if (!full) setup.serveArgs = {"--db-statement-timeout", "0.5", "--db-connect-timeout", "2"};
  ServiceProcess service(setup);
  REQUIRE_RUNNING(service);
  const auto port = service.Port();
  auto seconds = [](Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); };
  ASSERT_TRUE(Ok(Call(port, Member("DEMO"))));
  proxy->BlackHole(true);
  const auto start = Clock::now();
  // Two balancers check /health, the second 300 ms after the first.
  std::atomic<long long> unhealthyMs{-1};
  std::vector<std::thread> balancers;
  for (int b = 0; b < 2; ++b)
    balancers.emplace_back([&, b] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300 * b));
      while (Get(port, "/health").status != 503 && seconds(start) < hole) {
      }
      const long long ms = static_cast<long long>(seconds(start) * 1000);
      for (long long was = unhealthyMs; (was < 0 || ms < was) && !unhealthyMs.compare_exchange_weak(was, ms);) {
      }
    });
  double slowest = 0;
  int failed = 0;
  while (seconds(start) < hole) {
    const auto t0 = Clock::now();
    failed += !Ok(Call(port, Member("DEMO")));
    slowest = std::max(slowest, seconds(t0));
  }
  for (auto& b : balancers) b.join();
  const double unhealthyAfter = unhealthyMs / 1000.0;
  proxy->BlackHole(false);
  const auto lifted = Clock::now();
  while (!Ok(Call(port, Member("DEMO"))) && seconds(lifted) < 10) {
  }
  const double back = seconds(lifted);
  std::printf("black hole of %.0f s: /health 503 after %.1f s, %d requests failed, the slowest in %.1f s;"
              " served again %.1f s after it lifted\n", hole, unhealthyAfter, failed, slowest, back);
  EXPECT_GE(unhealthyAfter, 0);
  EXPECT_LT(unhealthyAfter, 2);
  EXPECT_GT(failed, 0);
  EXPECT_LT(slowest, bound + 1);
  EXPECT_LT(back, 3);
  EXPECT_EQ(Get(port, "/health").status, 200);
}

}  // namespace
}  // namespace tarvik::test
