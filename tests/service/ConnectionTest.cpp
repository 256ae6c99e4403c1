// The service's connections: idle and trickling clients cannot hold it,
// keep-alive and pipelined requests are answered in order, and failure
// replies carry their own reason phrase.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "wire/Gzip.h"
#include "wire/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;

// A connection to the service from another loopback address than 127.0.0.1.
int ConnectFrom(std::uint16_t port, const char* from) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  ::inet_pton(AF_INET, from, &a.sin_addr);
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (bound && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  ::close(fd);
  return -1;
}

// Reads until the peer closes (true) or the time is up (false).
bool ClosedBy(int fd, Clock::time_point deadline) {
  char buf[4096];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    if (::recv(fd, buf, sizeof buf, 0) <= 0) return true;
  }
}

// One whole reply from fd: its status line and gunzipped body.
bool ReadReply(int fd, std::string& pending, std::string& statusLine, std::string& text) {
  char buf[65536];
  auto fill = [&] {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) <= 0) return false;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return false;
    pending.append(buf, static_cast<std::size_t>(n));
    return true;
  };
  std::size_t end;
  while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
    if (!fill()) return false;
  }
  const std::string head = pending.substr(0, end);
  statusLine = head.substr(0, head.find("\r\n"));
  const auto cl = head.find("Content-Length: ");
  if (cl == std::string::npos) return false;
  const std::size_t length = std::stoul(head.substr(cl + 16));
  while (pending.size() < end + 4 + length) {
    if (!fill()) return false;
  }
  const std::string body = pending.substr(end + 4, length);
  pending.erase(0, end + 4 + length);
  return GzipDecompress(body, text);
}

std::string MemberRequest(const std::string& id) {
  const std::string boundary = "--------DHC013124153045123";
  const std::string body = MultipartBody(
      boundary, GzipCompress(WrapPostData(MakeTag("COMMAND", "100000") + Same("M_ID", id))));
  return "POST /NET/KorvanMember.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
         "Content-Type: multipart/form-data; boundary=" +
         boundary + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(Connections, IdleAndTricklingClientsDoNotHoldTheService) {
  // Deadlines of 0.8 s idle and per request, so the test takes two seconds.
  ServiceProcess service(ServiceSetup{true, "", {"--idle-timeout", "0.8", "--request-timeout", "0.8"}});
  REQUIRE_RUNNING(service);
  const auto start = Clock::now();
  std::vector<int> idle, slow;
  for (int i = 0; i < 200; ++i) idle.push_back(ConnectLoopback(service.Port()));
  for (int i = 0; i < 20; ++i) {
    slow.push_back(ConnectLoopback(service.Port()));
    SendAll(slow.back(), "POST /NET/KorvanMember.php HTTP/1.1\r\n");
  }
  for (int fd : idle) ASSERT_GE(fd, 0);
  for (int fd : slow) ASSERT_GE(fd, 0);
  std::atomic<bool> stop{false};
  std::thread trickle([&] {  // a header line every 100 ms on each slow connection
    for (int n = 0; !stop; ++n) {
      for (int fd : slow) SendAll(fd, "X-Slow-" + std::to_string(n) + ": a\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  for (int round = 0; round < 4; ++round) {
    const auto t0 = Clock::now();
    const std::string r =
        Call(service.Port(), "KorvanMember", MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO"));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", r), 1) << "round " << round;
    EXPECT_LT(ms, 1000) << "round " << round;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  // Both kinds end by their deadline (0.8 s from the first byte or from the
  // connect), with time to spare for the sweep and a busy machine.
  const auto by = start + std::chrono::milliseconds(2500);
  int slowOpen = 0, idleOpen = 0;
  for (int fd : slow) slowOpen += !ClosedBy(fd, by);
  for (int fd : idle) idleOpen += !ClosedBy(fd, by);
  stop = true;
  trickle.join();
  EXPECT_EQ(slowOpen, 0);
  EXPECT_EQ(idleOpen, 0);
  for (int fd : idle) ::close(fd);
  for (int fd : slow) ::close(fd);
  // And it still serves.
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   Call(service.Port(), "KorvanMember",
                        MakeTag("COMMAND", "100000") + Same("M_ID", "BIG"))),
            1);
}

TEST(Connections, RequestsInPiecesAndPipelinedAreAnsweredInOrder) {
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  const int fd = ConnectLoopback(service.Port());
  ASSERT_GE(fd, 0);
  const std::string demo = MemberRequest("DEMO"), big = MemberRequest("BIG");
  // One request in three pieces, then two at once on the same connection.
  for (const std::string& piece :
       {demo.substr(0, 20), demo.substr(20, demo.size() - 27), demo.substr(demo.size() - 7)}) {
    ASSERT_TRUE(SendAll(fd, piece));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(SendAll(fd, big + demo));
  std::string pending, status, text;
  for (const char* expected : {"DEMO", "BIG", "DEMO"}) {
    ASSERT_TRUE(ReadReply(fd, pending, status, text)) << expected;
    EXPECT_EQ(status, "HTTP/1.1 200 OK");
    EXPECT_EQ(TagValue("M_ID", TagValue("RDC_0", text)), expected);
  }
  ::close(fd);
}

TEST(Connections, PipelinedRequestsBeforeAHalfCloseAreAllAnswered) {
  // A file reply larger than the sockets hold keeps the service writing, not
  // reading, while two more requests and the half-close arrive: it then
  // reads them at once.
  char folder[] = "/tmp/tarvik-pipelined.XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::string big = std::string(folder) + "/big.bin";
  std::ofstream(big).close();
  ASSERT_EQ(::truncate(big.c_str(), 32 << 20), 0);
  ServiceProcess service(true, folder);
  REQUIRE_RUNNING(service);
  const int fd = ConnectLoopback(service.Port());
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(SendAll(fd, "GET /update/big.bin HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(SendAll(fd, MemberRequest("BIG") + MemberRequest("DEMO")));
  ::shutdown(fd, SHUT_WR);
  std::string pending, status, text;
  ReadReply(fd, pending, status, text);  // not gzip: only its status counts
  EXPECT_EQ(status, "HTTP/1.1 200 OK");
  for (const char* expected : {"BIG", "DEMO"}) {
    ASSERT_TRUE(ReadReply(fd, pending, status, text)) << expected;
    EXPECT_EQ(TagValue("M_ID", TagValue("RDC_0", text)), expected);
  }
  EXPECT_TRUE(ClosedBy(fd, Clock::now() + std::chrono::seconds(5)));
  ::close(fd);
  std::filesystem::remove_all(folder);
}

TEST(Connections, OnePeerOpeningManyConnectionsLeavesRoomForOthers) {
  // Started with a small open-file limit, which the service raises to what
  // its connections need.
  rlimit low{}, was{};
  ::getrlimit(RLIMIT_NOFILE, &was);
  low = was;
  low.rlim_cur = 128;
  ::setrlimit(RLIMIT_NOFILE, &low);
  ServiceSetup setup;
  setup.serveArgs = {"--connections", "400", "--peer-connections", "10"};
  ServiceProcess service(setup);
  ::setrlimit(RLIMIT_NOFILE, &was);
  REQUIRE_RUNNING(service);
  std::ifstream limits("/proc/" + std::to_string(service.Pid()) + "/limits");
  std::string line;
  while (std::getline(limits, line) && line.rfind("Max open files", 0) != 0) {
  }
  EXPECT_GE(std::stoul(line.substr(26)), 400u) << line;

  std::vector<int> flood;
  for (int i = 0; i < 30; ++i) flood.push_back(ConnectLoopback(service.Port()));
  const int other = ConnectFrom(service.Port(), "127.0.0.2");
  ASSERT_GE(other, 0);
  ASSERT_TRUE(SendAll(other, MemberRequest("DEMO")));
  std::string pending, status, text;
  ASSERT_TRUE(ReadReply(other, pending, status, text));
  EXPECT_EQ(TagValue("M_ID", TagValue("RDC_0", text)), "DEMO");
  // Accepted before the other peer's: those beyond the peer's share are closed.
  int open = 0;
  for (int fd : flood) {
    pollfd p{fd, POLLIN, 0};
    char byte;
    open += ::poll(&p, 1, 0) == 0 || ::recv(fd, &byte, 1, MSG_DONTWAIT) > 0;
  }
  EXPECT_EQ(open, 10);
  for (int fd : flood) ::close(fd);
  ::close(other);
}

TEST(Connections, FailureRepliesCarryTheirOwnReasonPhrase) {
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  const auto port = service.Port();
  const std::string boundary = "b";
  const std::string multipart = "multipart/form-data; boundary=" + boundary;
  struct Case {
    const char* what;
    RawReply reply;
    int status;
    const char* reason;
  };
  const Case cases[] = {
      {"health", Get(port, "/health"), 200, "OK"},
      {"not gzip", PostRaw(port, "/NET/KorvanMember.php", multipart, MultipartBody(boundary, "x")),
       400, "Bad Request"},
      {"GET of an endpoint", Get(port, "/NET/Good.php"), 405, "Method Not Allowed"},
      {"unknown endpoint", PostRaw(port, "/NET/Nothing.php", multipart, "x"), 404, "Not Found"},
      {"too large", PostRaw(port, "/NET/Good.php", multipart, std::string(3 << 20, 'x')), 413,
       "Request Entity Too Large"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.reply.status, c.status) << c.what;
    EXPECT_EQ(c.reply.reason, c.reason) << c.what;
  }
  // A body without a length is refused, not waited for.
  const int fd = ConnectLoopback(port);
  ASSERT_TRUE(SendAll(fd, "POST /NET/Good.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"));
  std::string pending, status, text;
  ASSERT_TRUE(ReadReply(fd, pending, status, text));
  EXPECT_EQ(status, "HTTP/1.1 411 Length Required");
  EXPECT_NE(TagValue("RESULT_CODE", text), "1");
  ::close(fd);
}

}  // namespace
}  // namespace tarvik::test
