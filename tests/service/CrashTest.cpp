// Concurrent order saves cut short: the service killed, the service stopped
// by SIGTERM, or a backup taken meanwhile. Afterwards every order that must
// be there is there with all its lines, and no order is there by halves.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "wire/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

std::string Note(int thread, int order) {
  return "t" + std::to_string(thread) + "-" + std::to_string(order);
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
  const std::uint16_t port = service.Port();
  // Killed or stopped, the service ends the clients; a backup does not.
  const int perClient = k.cut == Cut::kBackup ? 100000 : 80;
  struct Acked {
    int thread, order, lines;
  };
  std::mutex mutex;
  std::map<std::string, Acked> acked;  // OH_CODE -> what was sent
  std::atomic<int> count{0};
  std::atomic<bool> enough{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < k.clients; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < perClient && !enough; ++i) {
        const int lines = 1 + (i * 7 + t) % 40;
        const std::string r = Call(port, "Order", OrderSave("", Note(t, i), lines));
        if (TagValue("RESULT_CODE", r) != "1") return;  // the service is gone
        std::lock_guard<std::mutex> lock(mutex);
        acked[TagValue("OH_CODE", r)] = {t, i, lines};
        ++count;
      }
    });
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (count < 60 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_GE(count.load(), 60);

  std::map<std::string, Acked> expected;  // what the database afterwards must hold whole
  std::string backupOut;
  const std::string backup = service.Folder() + "backup.db";
  if (k.cut == Cut::kKill) {
    service.Kill();  // SIGKILL while the clients are still sending
  } else if (k.cut == Cut::kTerminate) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(service.Terminate(), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("exit_ms", static_cast<int>(seconds * 1000));
    EXPECT_LT(seconds, 12) << "beyond the stop bound";
  } else {
    {
      std::lock_guard<std::mutex> lock(mutex);
      expected = acked;  // acknowledged before the backup began
    }
    ASSERT_EQ(service.Admin({"backup", "--to", backup}, &backupOut), 0);
    RecordProperty("saved_during_backup", count.load() - static_cast<int>(expected.size()));
    enough = true;
  }
  for (auto& th : threads) th.join();
  if (k.cut != Cut::kBackup) {
    ASSERT_LT(count.load(), k.clients * perClient) << "the cut came after the last save";
    expected = acked;
  }

  // The database to look at: the same one served again, or the backup
  // restored into a new file.
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
  for (const auto& [code, a] : expected) {
    const std::string open =
        Call(after.Port(), "Order", Full("100406", "S00001", MakeTag("OH_CODE", code)));
    ASSERT_EQ(TagValue("RESULT_CODE", open), "1") << "order lost: " << code;
    const auto notes = OpenedLineNotes(open);
    ASSERT_EQ(notes.size(), static_cast<std::size_t>(a.lines)) << code;
    for (int l = 0; l < a.lines; ++l)
      EXPECT_EQ(notes[l], Note(a.thread, a.order) + "-" + std::to_string(l)) << code;
  }
  // Orders stored but not acknowledged (the reply was lost) must be whole too.
  std::string out;
  ASSERT_EQ(after.Admin({"orders"}, &out), 0);
  int stored = 0;
  for (const auto& f : OrderRows(out)) {
    ++stored;
    ASSERT_GE(f.size(), 10u);
    // The note names thread and order, so the expected line count is known.
    int t = 0, i = 0;
    ASSERT_EQ(std::sscanf(f[9].c_str(), "t%d-%d", &t, &i), 2) << f[9];
    EXPECT_EQ(f[8], std::to_string(1 + (i * 7 + t) % 40)) << f[9];
  }
  const int must = static_cast<int>(expected.size());
  RecordProperty("acknowledged", static_cast<int>(acked.size()));
  RecordProperty("stored", stored);
  EXPECT_GE(stored, must);
  if (k.cut == Cut::kKill) {
    EXPECT_LE(stored, must + k.clients);
  } else if (k.cut == Cut::kTerminate) {
    // A graceful stop answers every request it took: nothing stored unanswered.
    EXPECT_EQ(stored, must);
  } else {
    EXPECT_EQ(backupOut, backup + ": integrity ok, " + std::to_string(stored) + " orders\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, MidSave,
    ::testing::Values(MidSaveCase{"Killed", Cut::kKill, 4},
                      MidSaveCase{"TerminatedWithEightClients", Cut::kTerminate, 8},
                      MidSaveCase{"BackedUp", Cut::kBackup, 4}),
    [](const ::testing::TestParamInfo<MidSaveCase>& info) { return info.param.name; });

// Regression: Running() reaped a dead child but kept its number, and the
// destructor then sent SIGKILL to whatever process had been given it since.
TEST(Crash, ChildThatDiedOnItsOwnIsNeverSignalledAgain) {
  ServiceProcess service(false);
  REQUIRE_RUNNING(service);
  ::kill(service.Pid(), SIGKILL);
  for (int i = 0; i < 500 && service.Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(service.Running());
  EXPECT_EQ(service.Pid(), -1);
}

}  // namespace
}  // namespace tarvik::test
