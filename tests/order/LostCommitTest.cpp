// PostgreSQL out of reach right after COMMIT: the service or the next F7 finds the order, stored once.
#include "tests/order/DeskFixture.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/Environment.h"
#include "tests/support/Postgres.h"
#include "tests/support/ServiceFixture.h"

#include <chrono>
#include <thread>

namespace tarvik::test {
namespace {

struct Outage {
  const char* name;
  double unreachable, lookup;  // seconds PostgreSQL is out of reach; --db-commit-lookup
};

class LostCommit : public DeskTest, public ::testing::WithParamInterface<Outage> {
 protected:
  void TearDown() override {
    if (pg && !url.empty()) pg->DropDatabase(url);
  }
  PostgresServer* pg = nullptr;
  std::string url;
};

TEST_P(LostCommit, TheOrderIsStoredOnceAndTheProgramSaysSo) {
  if (!PostgresServer::Installed()) GTEST_SKIP() << "PostgreSQL is not installed";
  const Outage& k = GetParam();
  ASSERT_NE(pg = PostgresServer::Shared(), nullptr);
  ASSERT_FALSE((url = pg->CreateDatabase(true)).empty());
  CuttingProxy proxy(static_cast<std::uint16_t>(pg->Port()));
  ServiceSetup setup;
  setup.sharedDb = url;
  const std::string pgPort = std::to_string(pg->Port());
  setup.sharedDb.replace(url.find(pgPort), pgPort.size(), std::to_string(proxy.Port()));
  setup.serveArgs = {"--db-commit-lookup", std::to_string(k.lookup)};
  ServiceProcess service(setup);
  ASSERT_TRUE(service.Running());
  seams.service.server = ParseServerAddress(service.Address());

  OrderDraft& d = desk.Draft();
  AddThreeLines(d);
  d.SetNote("답을 잃은 발주");
  proxy.CutAfter("COMMIT", 1, k.unreachable);
  const auto cut = std::chrono::steady_clock::now();
  desk.SendOrder();
  EXPECT_EQ(proxy.Cuts(), 1);
  const bool lookedLongEnough = k.lookup > k.unreachable;
  if (!lookedLongEnough) {
    // No result: the program runs its check of an unsure send on the next F7.
    EXPECT_EQ(prompter.Texts(), Texts{kUnsureSendMessage});
    std::this_thread::sleep_until(cut + std::chrono::milliseconds(static_cast<int>(k.unreachable * 1000) + 200));
    prompter.Clear();
    prompter.answers = {true};
    desk.SendOrder();
  }
  const std::string told = prompter.Texts().empty() ? "" : prompter.Texts()[0];
  EXPECT_EQ(told.substr(0, told.find("\r\r")),
            lookedLongEnough ? "발주 내용을 전송하였습니다." : "조금 전에 전송한 발주가 이미 접수되어 있습니다.");
  std::string out;
  ASSERT_EQ(service.Admin({"orders"}, &out), 0);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_NE(out.find("답을 잃은 발주"), std::string::npos) << out;
  if (!lookedLongEnough) {
    EXPECT_EQ(out.find(d.OpenedCode), 0u) << "the basket holds the order found";
  }
}

// Full size: out of reach 10 s (a restart), looked up for the default 15 s; and longer.
INSTANTIATE_TEST_SUITE_P(Outages, LostCommit,
                         FullSize() ? ::testing::Values(Outage{"Shorter", 10, 15}, Outage{"Longer", 20, 15})
                                    : ::testing::Values(Outage{"Shorter", 0.5, 2}, Outage{"Longer", 2.5, 1}),
                         [](const ::testing::TestParamInfo<Outage>& info) { return info.param.name; });

}  // namespace
}  // namespace tarvik::test
