// The front over real connections: deadlines, caps, body budget, pieces, pipelining, refusals from the head.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "service/front/Reactor.h"
#include "tests/service/WireClient.h"
#include "tests/support/Environment.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Reads until the peer closes (true) or the time is up (false); the bytes read in *got.
bool ClosedBy(int fd, Clock::time_point deadline, std::size_t* got = nullptr) {
  char buf[65536];
  for (long left; (left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count()) > 0;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return true;
    if (got) *got += static_cast<std::size_t>(n);
  }
  return false;
}

// The supplier a member request on fd (in `pieces` pieces 20 ms apart) is answered with, "" when none came.
std::string AnsweredMember(int fd, const std::string& id, std::size_t pieces = 1) {
  const std::string request = RawCall(Member(id));
  const std::size_t step = request.size() / pieces + 1;
  for (std::size_t at = 0; at < request.size(); at += step) {
    if (!SendAll(fd, request.substr(at, step))) return "";
    if (pieces > 1) std::this_thread::sleep_for(milliseconds(20));
  }
  std::string pending;
  Answer a;
  return NextReply(fd, pending, a) ? TagValue("M_ID", Record(a.text, 0)) : "";
}

ServiceSetup Serving(std::vector<std::string> args) {
  ServiceSetup s;
  s.serveArgs = std::move(args);
  return s;
}

// In-process front, every deadline 0.4 s: clients idle, trickling a head line every 50 ms, or reading
// none of a large reply are all closed by then; the others are served at once meanwhile.
TEST(Connections, IdleTricklingAndNonReadingClientsAreClosedAtTheirDeadlines) {
  std::uint16_t port = 0;
  const int listenFd = LoopbackSocket(&port, true);
  ASSERT_EQ(::listen(listenFd, 128), 0);  // the held clients connect at once
  ::fcntl(listenFd, F_SETFL, O_NONBLOCK);
  constexpr std::size_t kBig = 32u << 20;  // far more than both sockets hold
  service::ReactorLimits limits;
  limits.idleSeconds = limits.requestSeconds = limits.writeSeconds = 0.4;
  service::ConnectionCounts counts;
  {
    service::Reactor reactor(listenFd, limits, 2, [&](const service::HttpHead& head, const std::string&) {
      service::HttpReply r;
      r.contentType = "text/plain";
      r.body = head.path == "/big" ? std::string(kBig, 'x') : "small";
      return r;
    });
    reactor.Observe(nullptr, &counts);
    ASSERT_TRUE(reactor.Start(nullptr));
    std::vector<int> held(100);  // 0-79 idle, 80-98 trickling, 99 the reader
    for (int& fd : held) ASSERT_GE(fd = ConnectLoopback(port), 0);
    for (std::size_t i = 80; i < held.size(); ++i)
      SendAll(held[i], i == 99 ? RawGet("/big") : "POST / HTTP/1.1\r\n");
    const auto start = Clock::now();
    for (int n = 0; Clock::now() - start < milliseconds(800); ++n) {
      for (std::size_t i = 80; i < 99; ++i) SendAll(held[i], "X-Slow-" + std::to_string(n) + ": a\r\n");
      const auto t0 = Clock::now();
      EXPECT_EQ(Get(port, "/small").body, "small");
      EXPECT_LT(Clock::now() - t0, milliseconds(400));
      std::this_thread::sleep_for(milliseconds(50));
    }
    while (counts.open > 0 && Clock::now() - start < milliseconds(2000))
      std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(counts.open.load(), 0u) << "a client still holds its connection";
    std::size_t got = 0;
    for (int fd : held) {
      EXPECT_TRUE(ClosedBy(fd, Clock::now() + milliseconds(1000), &got));
      ::close(fd);
    }
    EXPECT_LT(got, kBig);
  }
  ::close(listenFd);
}

// Regression: requests pipelined before a half-close were dropped after the first reply (a large file reply first).
TEST(Connections, PipelinedRequestsBeforeAHalfCloseAreAllAnswered) {
  const QTemporaryDir folder;
  const std::string big = folder.filePath("big.bin").toStdString();
  std::ofstream(big).close();
  ASSERT_EQ(::truncate(big.c_str(), 32 << 20), 0);
  ServiceProcess service(true, folder.path().toStdString());
  REQUIRE_RUNNING(service);
  const int fd = ConnectLoopback(service.Port());
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(SendAll(fd, RawGet("/update/big.bin")));
  std::this_thread::sleep_for(milliseconds(100));
  ASSERT_TRUE(SendAll(fd, RawCall(Member("BIG")) + RawCall(Member("DEMO"))));
  ::shutdown(fd, SHUT_WR);
  std::string pending;
  Answer a;
  ASSERT_TRUE(NextReply(fd, pending, a));
  EXPECT_EQ(a.line, "HTTP/1.1 200 OK");
  for (const char* expected : {"BIG", "DEMO"}) {
    ASSERT_TRUE(NextReply(fd, pending, a)) << expected;
    EXPECT_EQ(TagValue("M_ID", Record(a.text, 0)), expected);
  }
  EXPECT_TRUE(ClosedBy(fd, Clock::now() + std::chrono::seconds(5)));
  ::close(fd);
}

// Regression: one client took the whole cap. Started with a low open-file limit, which the service raises.
// Past the cap a connection is closed; one that goes frees its place.
TEST(Connections, OnePeerOpeningManyConnectionsLeavesRoomForOthersWithinTheCap) {
  rlimit low{}, was{};
  ::getrlimit(RLIMIT_NOFILE, &was);
  low = was;
  low.rlim_cur = 128;
  ::setrlimit(RLIMIT_NOFILE, &low);
  ServiceProcess service(Serving({"--connections", "16", "--peer-connections", "10"}));
  ::setrlimit(RLIMIT_NOFILE, &was);
  REQUIRE_RUNNING(service);
  rlimit raised{};
  ASSERT_EQ(::prlimit(service.Pid(), RLIMIT_NOFILE, nullptr, &raised), 0);
  EXPECT_GT(raised.rlim_cur, low.rlim_cur);  // room for the connections beside the service's own files

  std::vector<int> flood, others;
  for (int i = 0; i < 30; ++i) flood.push_back(ConnectLoopback(service.Port()));
  for (int i = 0; i < 6; ++i) ASSERT_GE(others.emplace_back(ConnectLoopback(service.Port(), "127.0.0.2")), 0);
  EXPECT_EQ(AnsweredMember(others[0], "DEMO", 3), "DEMO");  // a request in pieces
  // Accepted before the other peer's: those beyond the peer's share are closed.
  int open = 0;
  for (int fd : flood) {
    pollfd p{fd, POLLIN, 0};
    char byte;
    open += ::poll(&p, 1, 0) == 0 || ::recv(fd, &byte, 1, MSG_DONTWAIT) > 0;
  }
  EXPECT_EQ(open, 10);
  const int past = ConnectLoopback(service.Port(), "127.0.0.3");  // the 17th
  EXPECT_TRUE(ClosedBy(past, Clock::now() + milliseconds(1000)));
  ::close(past);
  std::string answered;  // one goes: its place is free again, once the service saw it go
  for (int attempt = 0; attempt < 20 && answered.empty(); ++attempt) {
    ::close(others[0]);
    std::this_thread::sleep_for(milliseconds(20));
    answered = AnsweredMember(others[0] = ConnectLoopback(service.Port(), "127.0.0.3"), "BIG");
  }
  EXPECT_EQ(answered, "BIG");
  for (int fd : others) {
    EXPECT_EQ(AnsweredMember(fd, "DEMO"), "DEMO") << "within the cap";
    ::close(fd);
  }
  for (int fd : flood) ::close(fd);
}

// The most memory the process has held, in kB.
long PeakKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Regression: 1,500 clients sending 2 MB bodies took the service to 1 GB; past the budget they are refused at once.
TEST(Connections, LargeBodiesPastTheBudgetAreRefusedAndMemoryStaysWithinIt) {
  const int clients = FullSize() ? 1500 : 150, budgetMb = FullSize() ? 64 : 16;
  ServiceProcess service(Serving({"--body-memory-mb", std::to_string(budgetMb), "--peer-connections", "4096"}));
  REQUIRE_RUNNING(service);
  const long before = PeakKb(service.Pid());
  constexpr std::size_t kBody = 2u << 20;
  const std::string head = "POST /NET/Good.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=b\r\n"
                           "Content-Length: " + std::to_string(kBody) + "\r\n\r\n";
  const std::string body(kBody - 1, 'x');  // one byte short: each waits for its last
  std::vector<int> fds;
  for (int i = 0; i < clients; ++i) {
    fds.push_back(ConnectLoopback(service.Port()));
    if (SendAll(fds.back(), head)) SendAll(fds.back(), body);  // a refused one may be closed meanwhile
  }
  // The first budgetMb / 2 were admitted and wait: the others are refused within 2 s.
  int refused = 0;
  const auto until = Clock::now() + milliseconds(2000);
  for (auto it = fds.rbegin(); it != fds.rend() && refused < clients - budgetMb / 2; ++it) {
    const int fd = *it;
    char status[12] = "";
    pollfd p{fd, POLLIN, 0};
    const auto left = std::max<long>(0, std::chrono::duration_cast<milliseconds>(until - Clock::now()).count());
    refused += ::poll(&p, 1, static_cast<int>(left)) == 1 && ::recv(fd, status, 12, 0) == 12 &&
               std::string(status, 12) == "HTTP/1.1 503";
  }
  const long grown = PeakKb(service.Pid()) - before;
  std::printf("%d bodies of 2 MB, budget %d MB: %d refused, peak grown by %ld kB\n", clients, budgetMb, refused, grown);
  EXPECT_GE(refused, clients - budgetMb / 2);
  // Under AddressSanitizer freed memory waits in its quarantine first.
  if (!std::getenv("ASAN_OPTIONS")) {
    EXPECT_LT(grown, (budgetMb + 16) * 1024L);
  }
  EXPECT_EQ(Count(Call(service.Port(), Member("DEMO"))), 1);  // small requests still go
  for (int fd : fds) ::close(fd);
  // Bodies refused from the head alone get a failure reply (Respond's answers are SupplierTest's).
  for (const auto& [head, line] : std::vector<std::pair<std::string, std::string>>{
           {"POST /NET/Good.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "HTTP/1.1 411 Length Required"},
           {"POST /NET/Good.php HTTP/1.1\r\nContent-Length: 3145728\r\n\r\n", "HTTP/1.1 413 Request Entity Too Large"}}) {
    const Answer a = Exchange(service.Port(), head);
    EXPECT_EQ(a.line, line);
    EXPECT_EQ(TagValue("RESULT_CODE", a.text), "0") << line;
  }
}

}  // namespace
}  // namespace tarvik::test
