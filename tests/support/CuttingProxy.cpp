#include "tests/support/CuttingProxy.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "tests/support/LoopbackSocket.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;

// Whether bytes, whole messages of PostgreSQL's protocol (a type byte and a
// length that counts itself), hold an Execute: a prepared statement is sent
// once and run by a later message.
bool HoldsExecute(const std::string& bytes) {
  for (std::size_t at = 0; at + 5 <= bytes.size();) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    const std::size_t length = (std::size_t{b[1]} << 24) | (b[2] << 16) | (b[3] << 8) | b[4];
    if (b[0] == 'E') return true;
    if (length < 4) return false;
    at += 1 + length;
  }
  return false;
}

}  // namespace

CuttingProxy::CuttingProxy(std::uint16_t upstreamPort) : upstream_(upstreamPort) {
  listenFd_ = LoopbackSocket(&port_, true);
  thread_ = std::thread([this] {
    while (listenFd_ >= 0 && !stop_) {
      const int fd = Readable(listenFd_) ? ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
      if (fd >= 0 && Clock::now() < reachableAt_.load()) CloseSocket(fd);
      else if (fd >= 0) relays_.emplace_back([this, fd] { Relay(fd); });
    }
  });
}

CuttingProxy::~CuttingProxy() {
  stop_ = true;
  thread_.join();
  for (auto& t : relays_) t.join();
  CloseSocket(listenFd_);
}

void CuttingProxy::CutAfter(const std::string& marker, int execute, double unreachableSeconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  marker_ = marker;
  execute_ = execute;
  unreachable_ = unreachableSeconds;
}

void CuttingProxy::Relay(int client) {
  while (blackHole_ && !stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const int server = ConnectLoopback(upstream_);
  char buf[65536];
  int runs = 0;  // once the marker was sent on this connection: the runs still to pass, plus one
  while (server >= 0 && !stop_) {
    if (blackHole_) {  // what is sent meanwhile waits in the sockets
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (::poll(p, 2, 50) <= 0) continue;
    if (p[1].revents) {
      const long n = ReceiveSome(server, buf, sizeof buf);
      if (n <= 0 || !SendAll(client, std::string(buf, static_cast<std::size_t>(n)))) break;
    }
    if (!p[0].revents) continue;
    const long n = ReceiveSome(client, buf, sizeof buf);
    if (n <= 0) break;
    const std::string bytes(buf, static_cast<std::size_t>(n));
    bool cut = false;
    double unreachable = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!marker_.empty() && bytes.find(marker_) != std::string::npos) {
        marker_.clear();
        runs = execute_;
      }
      cut = runs > 0 && HoldsExecute(bytes) && --runs == 0;
      unreachable = unreachable_;
    }
    if (!SendAll(server, bytes)) break;
    if (cut) {  // the server has acted once it answers; the answer never arrives
      const auto until = Clock::now() + std::chrono::seconds(10);
      while (!stop_ && Clock::now() < until && !Readable(server)) {
      }
      ++cuts_;
      const std::chrono::duration<double> closedFor(unreachable);
      reachableAt_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(closedFor);
      break;
    }
  }
  CloseSocket(server);
  CloseSocket(client);
}

}  // namespace tarvik::test
