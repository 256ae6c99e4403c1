#include "tests/support/DroppingProxy.h"

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
constexpr auto kMessageDeadline = std::chrono::seconds(20);

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, kPollMs) > 0;
}

// One HTTP message: the header block and a body of Content-Length bytes (to
// the peer's end when there is none); what came before the deadline or stop.
std::string ReadMessage(int fd, const std::atomic<bool>& stop) {
  std::string data;
  std::size_t want = std::string::npos;
  const auto deadline = std::chrono::steady_clock::now() + kMessageDeadline;
  char buf[16384];
  while (!stop && std::chrono::steady_clock::now() < deadline && data.size() < want) {
    if (!Readable(fd)) continue;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    data.append(buf, static_cast<std::size_t>(n));
    const auto end = data.find("\r\n\r\n");
    if (want == std::string::npos && end != std::string::npos) {
      const std::string head = AsciiLower(data.substr(0, end + 2));
      const auto at = head.find("\r\ncontent-length:");
      if (at != std::string::npos) want = end + 4 + std::strtoull(head.c_str() + at + 17, nullptr, 10);
    }
  }
  return data;
}

bool SendAll(int fd, const std::string& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t w = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (w <= 0) return false;
    sent += static_cast<std::size_t>(w);
  }
  return true;
}

int Connect(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

}  // namespace

DroppingProxy::DroppingProxy(std::uint16_t upstreamPort) : upstream_(upstreamPort) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || ::listen(listenFd_, 8) != 0) {
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
  } else {
    port_ = ntohs(addr.sin_port);
  }
  thread_ = std::thread([this] { Run(); });
}

DroppingProxy::~DroppingProxy() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) ::close(listenFd_);
}

void DroppingProxy::Run() {
  while (listenFd_ >= 0 && !stop_) {
    if (!Readable(listenFd_)) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    ::close(fd);
  }
}

void DroppingProxy::Serve(int client) {
  const std::string request = ReadMessage(client, stop_);
  if (request.empty()) return;
  const int service = Connect(upstream_);
  if (service < 0) return;  // the client sees a connection closed without a reply
  std::string reply;
  if (SendAll(service, request)) reply = ReadMessage(service, stop_);
  ::close(service);
  ++forwarded_;
  if (drops_ > 0) {
    --drops_;
    ++dropped_;
    return;  // the service did its work; its answer is lost on the way
  }
  SendAll(client, reply);
  ::shutdown(client, SHUT_WR);
}

}  // namespace tarvik::test
