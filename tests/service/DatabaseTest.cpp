// In-process: instances sharing one database beside the supplier's commands; a PostgreSQL link cut or black-holed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include "service/admin/Admin.h"
#include "tests/service/LocalService.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/Environment.h"
#include "tests/support/Files.h"
#include "tests/support/Postgres.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;
using service::AdminImportCatalogue;
using service::AdminMark;

constexpr int kOrders = 24, kClients = 8;
std::string Note(int order, int version) { return "o" + std::to_string(order) + "-v" + std::to_string(version); }

struct Log {  // what the clients know of one order: the writes acknowledged to them
  std::string code, status;
  int version = 0;  // of the last acknowledged re-send (0: as first saved)
  bool deleted = false, marked = false;
  Clock::time_point lastAck, markedAt;  // when the last acknowledged write was sent; after the mark
};

// Client k re-sends its orders on either instance until stop, deleting every third on its sixth round.
void Resend(LocalService* const (&instances)[2], int k, std::vector<Log>& logs, std::mutex& mutex,
            const std::atomic<bool>& stop) {
  for (int version = 1; !stop; ++version)
    for (int i = k; i < kOrders && !stop; i += kClients) {
      if (logs[i].deleted) continue;  // written by this client only, as the code is before they start
      const std::string& code = logs[i].code;
      const bool remove = i % 3 == 0 && version == 6;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the network's round trip: room for the supplier
      const auto sent = Clock::now();
      if (!Ok(instances[(k + version) % 2]->Call(remove ? OrderDelete(code) : OrderSave(code, Note(i, version), 1 + version % 3))))
        continue;
      std::lock_guard<std::mutex> lock(mutex);
      logs[i].lastAck = sent;
      if (remove) logs[i].deleted = true;
      else logs[i].version = version;
    }
}

// Clients re-send and delete on both instances while the supplier marks; codes sort by save time, never repeat.
TEST(Instances, SupplierMarkingNeverLosesToResendsAndDeletes) {
  LocalService a;
  REQUIRE_RUNNING(a);
  LocalService b(LocalSetup{a.Db(), "", {}});
  ASSERT_TRUE(b.Running());
  LocalService* const instances[2] = {&a, &b};
  std::vector<Log> logs(kOrders);
  std::set<std::string> tails;
  for (int i = 0; i < kOrders; ++i) {
    const std::string r = instances[i % 2]->Call(OrderSave("", Note(i, 0), 2));
    ASSERT_TRUE(Ok(r)) << r;
    logs[i].code = TagValue("OH_CODE", r);
    ASSERT_GE(logs[i].code.size(), 28u);
    EXPECT_TRUE(i == 0 || logs[i - 1].code < logs[i].code) << i;
    tails.insert(logs[i].code.substr(logs[i].code.size() - 10));
  }
  EXPECT_EQ(tails.size(), logs.size());
  std::mutex mutex;  // guards logs
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int k = 0; k < kClients; ++k) clients.emplace_back([&, k] { Resend(instances, k, logs, mutex, stop); });
  for (int i = 0; i < kOrders; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    const std::string status = i % 4 == 3 ? "O" : "I";
    const int rc = a.Admin(AdminMark, logs[i].code, status).code;
    std::lock_guard<std::mutex> lock(mutex);
    logs[i].marked = rc == 0;
    logs[i].status = status;
    logs[i].markedAt = Clock::now();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  stop = true;
  for (auto& c : clients) c.join();
  int marked = 0;
  for (int i = 0; i < kOrders; ++i) {
    const Log& log = logs[i];
    const std::string open = b.Call(OrderOpen(log.code));
    if (!log.marked) {  // only an order deleted before the supplier came to it
      EXPECT_TRUE(log.deleted && !Ok(open)) << i;
      continue;
    }
    ++marked;
    ASSERT_TRUE(Ok(open)) << "a marked order was deleted: " << i;
    const std::string head = TagValue("ORDERH_DATA", open);
    EXPECT_EQ(TagValue("OH_IOG", head), log.status) << i;
    EXPECT_FALSE(log.deleted) << i;
    EXPECT_LT(log.lastAck, log.markedAt) << "changed after it was marked: " << i;
    // As the last acknowledged write left it, lines included.
    EXPECT_EQ(TagValue("OH_NOTE", head), Note(i, log.version)) << i;
    EXPECT_EQ(OpenedLineNotes(open).size(), static_cast<std::size_t>(log.version ? 1 + log.version % 3 : 2)) << i;
  }
  EXPECT_GE(marked, kOrders / 2);
}

// A fresh PostgreSQL database behind a relay that can cut the connection after a chosen statement.
struct CommitOutcome : ::testing::Test {
  void SetUp() override {
    if (!OnPostgres()) GTEST_SKIP() << "a connection to PostgreSQL is cut";
    ASSERT_NE(pg = PostgresServer::Shared(), nullptr);
    ASSERT_FALSE((url = pg->CreateDatabase(true)).empty());
    proxy = std::make_unique<CuttingProxy>(static_cast<std::uint16_t>(pg->Port()));
    const std::string port = std::to_string(pg->Port());
    setup.db = url;
    setup.db.replace(url.find(port), port.size(), std::to_string(proxy->Port()));
  }
  void TearDown() override {
    if (pg && !url.empty()) pg->DropDatabase(url);
  }
  long long Sent(LocalService& svc) { return Count(svc.Call(For(protocol::kOrderList, "S00001", MakeTag("WHERE_OPTION", "OH_CC='C00001' AND OH_SG='0'")))); }
  PostgresServer* pg = nullptr;
  std::string url;
  std::unique_ptr<CuttingProxy> proxy;
  LocalSetup setup;
};

// Regression: a save whose COMMIT lost its answer may be stored; the service looks, so the clerk does not resend.
// Regression: a connection dropped mid-write fails the write, aborts nothing, and serving goes on.
// Then PostgreSQL black-holed (30 s at full size): failures bounded, /health says so, serving resumes.
TEST_F(CommitOutcome, ALinkThatFailsLosesNoOrderStoresNoneTwiceAndCostsBoundedWaits) {
  const bool full = FullSize();
  // The longest wait: a pooled connection's statement and one second, or a connect.
  const double hole = full ? 30 : 3, bound = full ? 6 : 2;
  if (!full) setup.limits = {2, 0.5, 15};
  LocalService svc(setup);
  REQUIRE_RUNNING(svc);
  const long long before = Sent(svc);
  proxy->CutAfter("COMMIT");
  const std::string saved = svc.Call(OrderSave("", "첫 번째", 3));
  EXPECT_EQ(proxy->Cuts(), 1);
  EXPECT_TRUE(Ok(saved)) << saved;
  proxy->CutAfter("COMMIT");  // a re-send of it
  std::string again = OrderSave(TagValue("OH_CODE", saved), "두 번째", 3).text;
  again.replace(again.find("<OH_MCOUNT>1<"), 13, "<OH_MCOUNT>2<");
  EXPECT_TRUE(Ok(svc.Call({protocol::EndpointPath(protocol::kOrderSave), again})));
  EXPECT_EQ(proxy->Cuts(), 2);
  EXPECT_EQ(Sent(svc), before + 1);  // stored once, served on
  EXPECT_EQ(TagValue("OH_NOTE", svc.Call(OrderOpen(TagValue("OH_CODE", saved)))), "두 번째");
  proxy->CutAfter("INSERT INTO OL_");  // the order's lines
  EXPECT_EQ(TagValue("RESULT_CODE", svc.Call(OrderSave("", "끊김", 3))), "0");
  EXPECT_EQ(proxy->Cuts(), 3);
  EXPECT_TRUE(Ok(svc.Call(OrderSave("", "다시", 3))));
  EXPECT_EQ(Sent(svc), before + 2);
  // A catalogue import cut after its first row used to end in a double free (SIGABRT).
  const std::string csv = svc.Folder() + "catalogue.csv";
  WriteFile(csv, "P90001,a,EA,,,M,N\nP90002,b,EA,,,M,N\n");
  proxy->CutAfter("INSERT INTO G_", 2);
  EXPECT_EQ(svc.Admin(AdminImportCatalogue, "S00001", csv, "").code, 1);
  EXPECT_EQ(proxy->Cuts(), 4);

  auto seconds = [](Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); };
  auto member = [&] { return Ok(svc.Call(Member("DEMO"))); };
  ASSERT_TRUE(member());
  proxy->BlackHole(true);
  const auto start = Clock::now();
  double unhealthyAt[2];  // by two balancers checking /health, the second 300 ms after the first
  std::vector<std::thread> balancers;
  for (int b = 0; b < 2; ++b)
    balancers.emplace_back([&, b] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300 * b));
      while (svc.Http(RawGet("/health")).status != 503 && seconds(start) < hole) {
      }
      unhealthyAt[b] = seconds(start);
    });
  double slowest = 0;
  int failed = 0;
  while (seconds(start) < hole) {
    const auto t0 = Clock::now();
    failed += !member();
    slowest = std::max(slowest, seconds(t0));
  }
  for (auto& b : balancers) b.join();
  const double unhealthyAfter = std::min(unhealthyAt[0], unhealthyAt[1]);
  proxy->BlackHole(false);
  const auto lifted = Clock::now();
  while (!member() && seconds(lifted) < 10) {
  }
  const double back = seconds(lifted);
  std::printf("black hole of %.0f s: /health 503 after %.1f s, %d requests failed, the slowest in %.1f s;"
              " served again %.1f s after it lifted\n", hole, unhealthyAfter, failed, slowest, back);
  EXPECT_LT(unhealthyAfter, 2);
  EXPECT_GT(failed, 0);
  EXPECT_LT(slowest, bound + 1);
  EXPECT_LT(back, 3);
  EXPECT_EQ(svc.Http(RawGet("/health")).status, 200);
}

}  // namespace
}  // namespace tarvik::test
