// The service killed in the middle of concurrent order saves: after a restart on
// the same file every acknowledged order is there with all its lines, and no
// order is there by halves.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "net/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

std::string LineNote(int thread, int order, int line) {
  return "t" + std::to_string(thread) + "-" + std::to_string(order) + "-" + std::to_string(line);
}

std::string Order(int thread, int order, int lines) {
  const std::string head = MakeTag("OH_CODE", "") + MakeTag("OH_MCOUNT", "1") +
                           MakeTag("OH_CC", "C00001") + MakeTag("OH_IOG", "A") +
                           MakeTag("OH_SG", "0") + MakeTag("OH_RCOUNT", std::to_string(lines)) +
                           MakeTag("OH_NOTE", LineNote(thread, order, -1));
  std::string body;
  for (int l = 0; l < lines; ++l) {
    body += MakeTag("OLD_" + std::to_string(l),
                    MakeTag("OL_NO", std::to_string(l)) + MakeTag("OL_CC", "C00001") +
                        MakeTag("OL_GC", l % 3 ? "P0" + std::to_string(1000 + l) : "YZ") +
                        MakeTag("OL_GN", "수기") + MakeTag("OL_LC", "1") +
                        MakeTag("OL_LN", LineNote(thread, order, l)));
  }
  return Full("100401", "S00001", MakeTag("ORDERH_DATA", head) + MakeTag("ORDERL_DATA", body));
}

TEST(Crash, KilledMidSaveKeepsEveryAcknowledgedOrderWhole) {
  ServiceProcess service;
  ASSERT_TRUE(service.Running());
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
        const std::string r = Call(port, "Order", Order(t, i, lines));
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
    const std::string lines = TagValue("ORDERL_DATA", open);
    ReplyReader reader(lines);
    for (int l = 0; l < a.lines; ++l)
      EXPECT_EQ(TagValue("OL_LN", reader.Record(l)), LineNote(a.thread, a.order, l)) << code;
    EXPECT_EQ(reader.Record(a.lines), "") << code;
  }
  // Orders stored but not acknowledged (the reply was lost) must be whole too.
  std::string out;
  ASSERT_EQ(service.Admin({"orders"}, &out), 0);
  std::istringstream in(out);
  std::string row;
  int stored = 0;
  while (std::getline(in, row)) {
    ++stored;
    std::vector<std::string> f;
    std::istringstream cells(row);
    for (std::string c; std::getline(cells, c, '\t');) f.push_back(c);
    ASSERT_GE(f.size(), 10u) << row;
    // The note names thread and order, so the expected line count is known.
    int t = 0, i = 0;
    ASSERT_EQ(std::sscanf(f[9].c_str(), "t%d-%d", &t, &i), 2) << row;
    EXPECT_EQ(f[8], std::to_string(1 + (i * 7 + t) % 40)) << row;
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
  ASSERT_TRUE(service.Running());
  ::kill(service.Pid(), SIGKILL);
  for (int i = 0; i < 500 && service.Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(service.Running());
  EXPECT_EQ(service.Pid(), -1);
}

}  // namespace
}  // namespace tarvik::test
