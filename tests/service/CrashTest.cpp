// The service killed in the middle of concurrent order saves: after a restart on
// the same file every acknowledged order is there with all its lines, and no
// order is there by halves.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "net/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

std::string Note(int thread, int order) {
  return "t" + std::to_string(thread) + "-" + std::to_string(order);
}

TEST(Crash, KilledMidSaveKeepsEveryAcknowledgedOrderWhole) {
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  const std::uint16_t port = service.Port();
  constexpr int kThreads = 4, kPerThread = 80;
  struct Acked {
    int thread, order, lines;
  };
  std::mutex mutex;
  std::map<std::string, Acked> acked;  // OH_CODE -> what was sent
  std::atomic<int> count{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
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
  service.Kill();  // SIGKILL while the threads are still sending
  for (auto& th : threads) th.join();
  ASSERT_GE(count.load(), 60);
  ASSERT_LT(count.load(), kThreads * kPerThread) << "the kill came after the last save";

  ASSERT_TRUE(service.Restart());
  for (const auto& [code, a] : acked) {
    const std::string open = Call(service.Port(), "Order",
                                  Full("100406", "S00001", MakeTag("OH_CODE", code)));
    ASSERT_EQ(TagValue("RESULT_CODE", open), "1") << "acknowledged order lost: " << code;
    const auto notes = OpenedLineNotes(open);
    ASSERT_EQ(notes.size(), static_cast<std::size_t>(a.lines)) << code;
    for (int l = 0; l < a.lines; ++l)
      EXPECT_EQ(notes[l], Note(a.thread, a.order) + "-" + std::to_string(l)) << code;
  }
  // Orders stored but not acknowledged (the reply was lost) must be whole too.
  std::string out;
  ASSERT_EQ(service.Admin({"orders"}, &out), 0);
  int stored = 0;
  for (const auto& f : OrderRows(out)) {
    ++stored;
    ASSERT_GE(f.size(), 10u);
    // The note names thread and order, so the expected line count is known.
    int t = 0, i = 0;
    ASSERT_EQ(std::sscanf(f[9].c_str(), "t%d-%d", &t, &i), 2) << f[9];
    EXPECT_EQ(f[8], std::to_string(1 + (i * 7 + t) % 40)) << f[9];
  }
  RecordProperty("acknowledged", static_cast<int>(acked.size()));
  RecordProperty("stored", stored);
  EXPECT_GE(stored, static_cast<int>(acked.size()));
  EXPECT_LE(stored, static_cast<int>(acked.size()) + kThreads);
}

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
