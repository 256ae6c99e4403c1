// Two instances on one database, behind HAProxy or side by side:
// one killed during concurrent saves, the supplier's marking racing re-sends
// and deletes, and catalogue writes seen by both at once.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "wire/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/Files.h"
#include "tests/support/Postgres.h"
#include "tests/support/ServiceCluster.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;

bool Ok(const std::string& reply) { return TagValue("RESULT_CODE", reply) == "1"; }

// Clients saving orders to port until stopped: order i of client t has
// LinesOf(t, i) lines, noted "kT-I" (its lines "kT-I-L").
class Savers {
 public:
  static constexpr int kThreads = 8;
  static std::string Note(int t, int i) { return "k" + std::to_string(t) + "-" + std::to_string(i); }
  static int LinesOf(int t, int i) { return 1 + (i * 5 + t) % 30; }

  Savers(std::uint16_t port, int perThread) {
    for (int t = 0; t < kThreads; ++t) {
      clients_.emplace_back([this, t, perThread, port] {
        for (int i = 0; i < perThread && !stop_; ++i) {
          const std::string r = Call(port, "Order", OrderSave("", Note(t, i), LinesOf(t, i)));
          if (!Ok(r)) continue;  // failed, or lost with its instance: not acknowledged
          std::lock_guard<std::mutex> lock(mutex_);
          acked_[TagValue("OH_CODE", r)] = {t, i};
          ackedAt_.push_back(Clock::now());
          ++count;
        }
      });
    }
  }
  // Waits until n saves in all were acknowledged (at most a minute).
  bool Reach(int n) {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (count < n && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return count >= n;
  }
  // Waits for the clients to end their saves (stop: after the one in hand).
  void Finish(bool stop = true) {
    stop_ = stop;
    for (auto& c : clients_) c.join();
    clients_.clear();
  }
  ~Savers() { Finish(); }

  // Every acknowledged order is stored whole, none twice; besides them at most
  // inFlight saves whose answer was lost.
  void ExpectStoredOnceAndWhole(std::uint16_t port, const ServiceProcess& admin, int inFlight) {
    Finish();
    for (const auto& [code, who] : acked_) {
      const std::string open = Call(port, "Order", Full("100406", "S00001", MakeTag("OH_CODE", code)));
      ASSERT_TRUE(Ok(open)) << "acknowledged order lost: " << code;
      const auto notes = OpenedLineNotes(open);
      ASSERT_EQ(notes.size(), static_cast<std::size_t>(LinesOf(who.first, who.second))) << code;
      for (std::size_t l = 0; l < notes.size(); ++l)
        EXPECT_EQ(notes[l], Note(who.first, who.second) + "-" + std::to_string(l)) << code;
    }
    std::string out;
    ASSERT_EQ(admin.Admin({"orders"}, &out), 0);
    std::set<std::string> notes;
    int stored = 0;
    for (const auto& f : OrderRows(out)) {
      ASSERT_GE(f.size(), 10u);
      ++stored;
      EXPECT_TRUE(notes.insert(f[9]).second) << "stored twice: " << f[9];
      int t = 0, i = 0;
      ASSERT_EQ(std::sscanf(f[9].c_str(), "k%d-%d", &t, &i), 2) << f[9];
      EXPECT_EQ(f[8], std::to_string(LinesOf(t, i))) << "not whole: " << f[9];
    }
    ::testing::Test::RecordProperty("stored", stored);
    EXPECT_GE(stored, count.load());
    EXPECT_LE(stored, count.load() + inFlight);
  }

  // The first acknowledgement at or after t.
  Clock::time_point FirstAckFrom(Clock::time_point t) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& at : ackedAt_)
      if (at >= t) return at;
    return Clock::time_point::max();
  }

  std::atomic<int> count{0};

 private:
  std::mutex mutex_;
  std::map<std::string, std::pair<int, int>> acked_;  // OH_CODE -> (client, order)
  std::vector<Clock::time_point> ackedAt_;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> clients_;
};

TEST(Cluster, InstanceKilledDuringConcurrentSavesLosesNoAcknowledgedOrder) {
  ServiceCluster cluster(2);
  REQUIRE_RUNNING(cluster);
  Savers savers(cluster.Port(), 40);  // 320 saves from 8 clients at once
  ASSERT_TRUE(savers.Reach(60));
  cluster.Instance(0).Kill();  // SIGKILL in the middle of the saves
  const int atKill = savers.count;
  savers.Finish(false);
  RecordProperty("acknowledged", savers.count.load());
  EXPECT_GT(savers.count - atKill, 100) << "the survivor took over";
  EXPECT_TRUE(cluster.Instance(1).Running());
  // At most the saves in flight on the killed instance are stored unacknowledged.
  savers.ExpectStoredOnceAndWhole(cluster.Port(), cluster.Instance(1), Savers::kThreads);
}

// PostgreSQL restarted twice while clients save: no instance dies, the saves
// in the gap fail, and serving resumes by itself.
TEST(Cluster, PostgresRestartedDuringSavesKillsNoInstance) {
  if (!OnPostgres()) GTEST_SKIP() << "PostgreSQL is restarted";
  ServiceCluster cluster(2);
  REQUIRE_RUNNING(cluster);
  PostgresServer* pg = PostgresServer::Shared();
  ASSERT_NE(pg, nullptr);
  Savers savers(cluster.Port(), 1000);
  for (int restart = 1; restart <= 2; ++restart) {
    ASSERT_TRUE(savers.Reach(savers.count + 40));
    ASSERT_TRUE(pg->Restart());
    const auto back = Clock::now();
    ASSERT_TRUE(savers.Reach(savers.count + 40)) << "serving did not resume";
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(savers.FirstAckFrom(back) - back).count();
    std::printf("restart %d: saves acknowledged again within %lld ms of PostgreSQL answering\n", restart,
                static_cast<long long>(ms));
    for (std::size_t i = 0; i < cluster.Size(); ++i) EXPECT_TRUE(cluster.Instance(i).Running()) << i;
  }
  savers.ExpectStoredOnceAndWhole(cluster.Port(), cluster.Instance(0), 2 * Savers::kThreads);
  for (std::size_t i = 0; i < cluster.Size(); ++i) EXPECT_TRUE(cluster.Instance(i).Running()) << i;
}

// What one client knows of one order: the writes acknowledged to it.
struct OrderLog {
  std::string code;
  int version = 0;           // of the last acknowledged re-send (0: as first saved)
  bool deleted = false;      // a delete was acknowledged
  Clock::time_point lastAck; // when the last acknowledged write was sent
  bool marked = false;
  std::string status;
  Clock::time_point markedAt;  // after `mark` returned
};

TEST(Cluster, SupplierMarkingNeverLosesToResendsAndDeletesOnTwoInstances) {
  ServiceCluster cluster(2);
  REQUIRE_RUNNING(cluster);
  constexpr int kOrders = 24, kClients = 8;
  const std::uint16_t ports[2] = {cluster.Instance(0).Port(), cluster.Instance(1).Port()};
  auto note = [](int order, int version) {
    return "o" + std::to_string(order) + "-v" + std::to_string(version);
  };
  std::vector<OrderLog> logs(kOrders);
  for (int i = 0; i < kOrders; ++i) {
    const std::string r = Call(ports[i % 2], "Order", OrderSave("", note(i, 0), 2));
    ASSERT_TRUE(Ok(r)) << r;
    logs[i].code = TagValue("OH_CODE", r);
  }
  std::mutex mutex;  // guards logs
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int k = 0; k < kClients; ++k) {
    clients.emplace_back([&, k] {
      for (int version = 1; !stop; ++version) {
        for (int i = k; i < kOrders && !stop; i += kClients) {
          std::string code;
          {
            std::lock_guard<std::mutex> lock(mutex);
            if (logs[i].deleted) continue;
            code = logs[i].code;
          }
          // Every third order is deleted on its sixth round; the others re-sent.
          const bool remove = i % 3 == 0 && version == 6;
          const auto sent = Clock::now();
          const std::string r =
              remove ? Call(ports[(k + version) % 2], "Order",
                            Full("100403", "S00001", MakeTag("OH_CODE", code)))
                     : Call(ports[(k + version) % 2], "Order",
                            OrderSave(code, note(i, version), 1 + version % 3));
          if (!Ok(r)) continue;
          std::lock_guard<std::mutex> lock(mutex);
          logs[i].lastAck = sent;
          if (remove) logs[i].deleted = true;
          else logs[i].version = version;
        }
      }
    });
  }
  for (int i = 0; i < kOrders; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    const std::string status = i % 4 == 3 ? "O" : "I";
    const int rc = cluster.Admin({"mark", logs[i].code, status});
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
    const OrderLog& log = logs[i];
    const std::string open =
        Call(ports[0], "Order", Full("100406", "S00001", MakeTag("OH_CODE", log.code)));
    if (!log.marked) {  // only an order deleted before the supplier came to it
      EXPECT_TRUE(log.deleted) << i;
      EXPECT_FALSE(Ok(open)) << i;
      continue;
    }
    ++marked;
    ASSERT_TRUE(Ok(open)) << "a marked order was deleted: " << i;
    const std::string head = TagValue("ORDERH_DATA", open);
    EXPECT_EQ(TagValue("OH_IOG", head), log.status) << i;
    EXPECT_FALSE(log.deleted) << i;
    EXPECT_LT(log.lastAck, log.markedAt) << "changed after it was marked: " << i;
    // As the last acknowledged write left it, lines included.
    EXPECT_EQ(TagValue("OH_NOTE", head), note(i, log.version)) << i;
    EXPECT_EQ(OpenedLineNotes(open).size(),
              static_cast<std::size_t>(log.version ? 1 + log.version % 3 : 2))
        << i;
  }
  RecordProperty("marked", marked);
  EXPECT_GE(marked, kOrders / 2);
}

TEST(Cluster, CatalogueWritesAreSeenAtTheNextRequestOnEveryInstance) {
  ServiceCluster cluster(2);
  REQUIRE_RUNNING(cluster);
  const std::uint16_t a = cluster.Instance(0).Port(), b = cluster.Instance(1).Port();
  auto traded = [](std::uint16_t port) {
    return TagInt("RESULT_RECORD_COUNT",
                  Call(port, "UCost",
                       Short("100300", "S00001", Same("U_CC", "C00001") + OrderBy(kGoodsOrder))));
  };
  auto all = [](std::uint16_t port) {
    return TagInt("RESULT_RECORD_COUNT",
                  Call(port, "Good",
                       Full("100106", "S00001",
                            MakeTag("C_CODE", "C00001") + Like("G_NAME", "%") + OrderBy(kGoodsOrder))));
  };
  for (auto port : {a, b, a, b}) {  // the second round comes from the caches
    EXPECT_EQ(traded(port), 300);
    EXPECT_EQ(all(port), 2525);
  }
  EXPECT_TRUE(Ok(Call(a, "UCost", Short("100303", "S00001",
                                         MakeTag("U_CC", "C00001") + MakeTag("U_GC", "P00002")))));
  EXPECT_EQ(traded(b), 299);
  EXPECT_EQ(traded(a), 299);
  const std::string csv = cluster.Instance(0).Folder() + "new.csv";
  WriteFile(csv, "N00001,새 제품,EA,8809999000015,1,신상품,기타\n");
  ASSERT_EQ(cluster.Admin({"import-catalogue", "--supplier", "S00001", csv}), 0);
  EXPECT_EQ(all(b), 2526);
  EXPECT_EQ(all(a), 2526);
}

}  // namespace
}  // namespace tarvik::test
