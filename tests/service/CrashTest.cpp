// Concurrent saves cut short (kill, SIGTERM, backup, an instance killed): orders whole, once.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceCluster.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;
using Acked = std::map<std::string, std::pair<int, int>>;  // OH_CODE -> (client, order)

// Clients saving to port until stopped: order i of client t has LinesOf(t, i) lines, noted "kT-I".
class Savers {
 public:
  static std::string Note(int t, int i) { return "k" + std::to_string(t) + "-" + std::to_string(i); }
  static int LinesOf(int t, int i) { return 1 + (i * 7 + t) % 40; }

  Savers(std::uint16_t port, int clients, int perClient) {
    for (int t = 0; t < clients; ++t)
      clients_.emplace_back([this, t, perClient, port] {
        for (int i = 0; i < perClient && !stop_; ++i) {
          const std::string r = Call(port, OrderSave("", Note(t, i), LinesOf(t, i)));
          if (!Ok(r)) continue;  // failed, or lost with its instance: not acknowledged
          std::lock_guard<std::mutex> lock(mutex_);
          acked_[TagValue("OH_CODE", r)] = {t, i};
          ++count;
        }
      });
  }
  ~Savers() { Finish(); }
  bool Reach(int n) {  // n saves acknowledged in all, within a minute
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (count < n && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return count >= n;
  }
  void Finish(bool stop = true) {  // stop: after the save in hand
    stop_ = stop;
    for (auto& c : clients_) c.join();
    clients_.clear();
  }
  Acked Snapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    return acked_;
  }
  std::atomic<int> count{0};

 private:
  std::mutex mutex_;
  Acked acked_;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> clients_;
};

// Every order of acked is stored; every stored one is whole and there once. The number stored.
int ExpectWhole(const ServiceProcess& admin, const Acked& acked) {
  std::string out;
  EXPECT_EQ(admin.Admin({"orders"}, &out), 0);
  std::map<std::string, std::vector<std::string>> stored;  // by OH_CODE
  std::set<std::string> notes;
  for (const auto& f : OrderRows(out)) {
    int t = 0, i = 0;
    if (f.size() < 10 || std::sscanf(f[9].c_str(), "k%d-%d", &t, &i) != 2) {
      ADD_FAILURE() << "not a saver's order: " << out;
      continue;
    }
    EXPECT_TRUE(notes.insert(f[9]).second) << "stored twice: " << f[9];
    EXPECT_EQ(f[8], std::to_string(Savers::LinesOf(t, i))) << "not whole: " << f[9];
    stored[f[0]] = f;
  }
  for (const auto& [code, who] : acked)
    EXPECT_EQ(stored.count(code) ? stored[code][9] : "lost", Savers::Note(who.first, who.second)) << code;
  ::testing::Test::RecordProperty("stored", static_cast<int>(notes.size()));
  return static_cast<int>(notes.size());
}

enum class Cut { kKill, kTerminate, kBackup };
struct MidSaveCase {
  const char* name;
  Cut cut;
  int clients;
};
class MidSave : public ::testing::TestWithParam<MidSaveCase> {};

TEST_P(MidSave, EveryOrderThatMustBeThereIsWhole) {
  const MidSaveCase& k = GetParam();
  if (k.cut == Cut::kBackup && OnPostgres()) GTEST_SKIP() << "PostgreSQL is backed up with pg_dump";
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  // Killed or stopped, the service ends the clients; a backup does not.
  const int perClient = k.cut == Cut::kBackup ? 100000 : 80;
  Savers savers(service.Port(), k.clients, perClient);
  ASSERT_TRUE(savers.Reach(60));
  const std::string backup = service.Folder() + "backup.db";
  std::string backupOut;
  Acked must;  // what the database afterwards must hold whole
  if (k.cut == Cut::kKill) {
    service.Kill();  // SIGKILL while the clients are still sending
  } else if (k.cut == Cut::kTerminate) {
    const auto start = Clock::now();
    EXPECT_EQ(service.Terminate(), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(12)) << "beyond the stop bound";
  } else {
    must = savers.Snapshot();  // acknowledged before the backup began
    ASSERT_EQ(service.Admin({"backup", "--to", backup}, &backupOut), 0);
  }
  savers.Finish(k.cut == Cut::kBackup);
  if (k.cut != Cut::kBackup) {
    ASSERT_LT(savers.count.load(), k.clients * perClient) << "the cut came after the last save";
    must = savers.Snapshot();
  }
  // The same database served again, or the backup restored into a new file.
  std::unique_ptr<ServiceProcess> restored;
  if (k.cut == Cut::kBackup) {
    const std::string db = service.Folder() + "restored.db";
    ASSERT_EQ(service.Admin({"restore", "--from", backup, "--db", db}, nullptr, false), 0);
    restored = std::make_unique<ServiceProcess>(ServiceSetup{false, "", {}, db, TestDb::kSQLite});
    REQUIRE_RUNNING(*restored);
  } else {
    ASSERT_TRUE(service.Restart());
  }
  ServiceProcess& after = restored ? *restored : service;
  const int stored = ExpectWhole(after, must), acked = static_cast<int>(must.size());
  EXPECT_GE(stored, acked);
  // A graceful stop answers every request it took: nothing stored unanswered.
  const int most = k.cut == Cut::kKill ? acked + k.clients : k.cut == Cut::kTerminate ? acked : stored;
  EXPECT_LE(stored, most);
  if (k.cut == Cut::kBackup) {
    EXPECT_EQ(backupOut, backup + ": integrity ok, " + std::to_string(stored) + " orders\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Cuts, MidSave,
                         ::testing::Values(MidSaveCase{"Killed", Cut::kKill, 4},
                                           MidSaveCase{"TerminatedWithEightClients", Cut::kTerminate, 8},
                                           MidSaveCase{"BackedUp", Cut::kBackup, 4}),
                         [](const ::testing::TestParamInfo<MidSaveCase>& info) { return info.param.name; });

// Regression: Running() reaped a dead child but kept its pid, which the destructor later SIGKILLed.
TEST(Crash, ChildThatDiedOnItsOwnIsNeverSignalledAgain) {
  ServiceProcess service(false);
  REQUIRE_RUNNING(service);
  ::kill(service.Pid(), SIGKILL);
  for (int i = 0; i < 500 && service.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(service.Running());
  EXPECT_EQ(service.Pid(), -1);
}

TEST(Cluster, InstanceKilledDuringConcurrentSavesLosesNoAcknowledgedOrder) {
  ServiceCluster cluster(2);
  REQUIRE_RUNNING(cluster);
  Savers savers(cluster.Port(), 8, 40);  // 320 saves from 8 clients at once
  ASSERT_TRUE(savers.Reach(60));
  cluster.Instance(0).Kill();  // SIGKILL in the middle of the saves
  const int atKill = savers.count;
  savers.Finish(false);
  EXPECT_GT(savers.count - atKill, 100) << "the survivor took over";
  EXPECT_TRUE(cluster.Instance(1).Running());
  // At most the saves in flight on the killed instance are stored unacknowledged.
  const int stored = ExpectWhole(cluster.Instance(1), savers.Snapshot());
  EXPECT_GE(stored, savers.count.load());
  EXPECT_LE(stored, savers.count + 8);
}

}  // namespace
}  // namespace tarvik::test
