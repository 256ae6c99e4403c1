#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "platform/Text.h"

namespace tarvik::test {
namespace {

constexpr int kPollMs = 50;
constexpr auto kRequestDeadline = std::chrono::seconds(10);  // a request must arrive whole within this
constexpr std::size_t kMaxRequestBytes = 64u * 1024u * 1024u;

int BoundLoopbackSocket(std::uint16_t* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

// Waits at most kPollMs for fd to be readable.
bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, kPollMs) > 0;
}

// The request line to the end of the body (Content-Length decides), or what
// came before the peer stopped, the deadline passed or stop was set.
std::string ReadRequest(int fd, const std::atomic<bool>& stop) {
  std::string data;
  std::size_t want = std::string::npos;
  const auto deadline = std::chrono::steady_clock::now() + kRequestDeadline;
  char buf[16384];
  while (!stop && std::chrono::steady_clock::now() < deadline && data.size() < want) {
    if (!Readable(fd)) continue;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0 || data.size() > kMaxRequestBytes) break;
    data.append(buf, static_cast<std::size_t>(n));
    const auto end = data.find("\r\n\r\n");
    if (want == std::string::npos && end != std::string::npos) {
      const std::string head = AsciiLower(data.substr(0, end + 2));
      const auto at = head.find("\r\ncontent-length:");
      want = end + 4 + (at == std::string::npos ? 0 : std::strtoull(head.c_str() + at + 17, nullptr, 10));
    }
  }
  return data;
}

}  // namespace

LoopbackServer::LoopbackServer() {
  listenFd_ = BoundLoopbackSocket(&port_);
  if (listenFd_ >= 0 && ::listen(listenFd_, 8) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
  }
  reply_ = HttpReply({"Content-Type: text/html"}, "OK");
  thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) ::close(listenFd_);
}

void LoopbackServer::SetReply(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mu_);
  reply_ = bytes;
  stallAfter_ = static_cast<std::size_t>(-1);
  trickleMs_ = 0;
}

void LoopbackServer::QueueReplies(std::vector<std::string> replies) {
  std::lock_guard<std::mutex> lock(mu_);
  queued_.assign(replies.begin(), replies.end());
}

void LoopbackServer::StallAfter(std::size_t n) {
  std::lock_guard<std::mutex> lock(mu_);
  stallAfter_ = n;
  trickleMs_ = 0;
}

void LoopbackServer::TrickleAfter(std::size_t n, int intervalMs) {
  std::lock_guard<std::mutex> lock(mu_);
  stallAfter_ = n;
  trickleMs_ = intervalMs;
}

std::string LoopbackServer::LastRequest() const {
  std::lock_guard<std::mutex> lock(mu_);
  return lastRequest_;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_;
}

std::uint16_t LoopbackServer::ClosedPort() {
  std::uint16_t port = 0;
  const int fd = BoundLoopbackSocket(&port);
  if (fd >= 0) ::close(fd);  // bound, never listened: connections are refused
  return port;
}

std::string LoopbackServer::HttpReply(const std::vector<std::string>& headers, const std::string& body,
                                      bool withLength) {
  std::string out = "HTTP/1.1 200 OK\r\n";
  for (const auto& h : headers) out += h + "\r\n";
  if (withLength) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return out + "\r\n" + body;
}

void LoopbackServer::Run() {
  while (listenFd_ >= 0 && !stop_) {
    if (!Readable(listenFd_)) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    ::close(fd);
  }
}

void LoopbackServer::Serve(int fd) {
  const std::string request = ReadRequest(fd, stop_);
  std::string reply;
  std::size_t stallAfter;
  int trickleMs;
  {
    std::lock_guard<std::mutex> lock(mu_);
    lastRequest_ = request;
    requests_.push_back(request);
    if (queued_.empty()) {
      reply = reply_;
    } else {
      reply = std::move(queued_.front());
      queued_.pop_front();
    }
    stallAfter = stallAfter_;
    trickleMs = trickleMs_;
  }
  const std::size_t n = stallAfter < reply.size() ? stallAfter : reply.size();
  for (std::size_t sent = 0; sent < n && !stop_;) {
    const ssize_t w = ::send(fd, reply.data() + sent, n - sent, MSG_NOSIGNAL);
    if (w <= 0) return;
    sent += static_cast<std::size_t>(w);
  }
  if (stallAfter == static_cast<std::size_t>(-1)) {
    ::shutdown(fd, SHUT_WR);
    return;
  }
  char buf[4096];  // hold (or trickle) until the client gives up
  auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(trickleMs);
  std::size_t sent = n;
  while (!stop_) {
    if (Readable(fd) && ::recv(fd, buf, sizeof buf, 0) <= 0) return;
    if (trickleMs > 0 && sent < reply.size() && std::chrono::steady_clock::now() >= next) {
      if (::send(fd, reply.data() + sent, 1, MSG_NOSIGNAL) != 1) return;
      ++sent;
      next += std::chrono::milliseconds(trickleMs);
    }
  }
}

}  // namespace tarvik::test
