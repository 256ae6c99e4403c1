#include "tests/support/DroppingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "tests/support/LoopbackSocket.h"

namespace tarvik::test {
namespace {

constexpr auto kMessageDeadline = std::chrono::seconds(20);
constexpr std::size_t kMaxMessageBytes = 64u * 1024u * 1024u;

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
  listenFd_ = LoopbackSocket(&port_, true);
  thread_ = std::thread([this] { Run(); });
}

DroppingProxy::~DroppingProxy() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) ::close(listenFd_);
}

void DroppingProxy::Run() {
  ServeEach(listenFd_, stop_, [this](int fd) { Serve(fd); });
}

void DroppingProxy::Serve(int client) {
  const std::string request = ReadHttpMessage(client, stop_, kMessageDeadline, NoLength::ToPeerEnd, kMaxMessageBytes);
  if (request.empty()) return;
  const int service = Connect(upstream_);
  if (service < 0) return;  // the client sees a connection closed without a reply
  std::string reply;
  if (SendAll(service, request)) reply = ReadHttpMessage(service, stop_, kMessageDeadline, NoLength::ToPeerEnd, kMaxMessageBytes);
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
