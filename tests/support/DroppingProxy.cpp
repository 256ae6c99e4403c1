#include "tests/support/DroppingProxy.h"

#include <chrono>
#include <cstdlib>

#include "tests/support/LoopbackSocket.h"

namespace tarvik::test {
namespace {

constexpr auto kMessageDeadline = std::chrono::seconds(20);
constexpr std::size_t kMaxMessageBytes = 64u * 1024u * 1024u;

}  // namespace

DroppingProxy::DroppingProxy(std::uint16_t upstreamPort) : upstream_(upstreamPort) {
  listenFd_ = LoopbackSocket(&port_, true);
  thread_ = std::thread([this] { Run(); });
}

DroppingProxy::~DroppingProxy() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) CloseSocket(listenFd_);
}

void DroppingProxy::Run() {
  ServeEach(listenFd_, stop_, [this](int fd) { Serve(fd); });
}

void DroppingProxy::Serve(int client) {
  const std::string request = ReadHttpMessage(client, stop_, kMessageDeadline, NoLength::ToPeerEnd, kMaxMessageBytes);
  if (request.empty()) return;
  const int service = ConnectLoopback(upstream_);
  if (service < 0) return;  // the client sees a connection closed without a reply
  std::string reply;
  if (SendAll(service, request)) reply = ReadHttpMessage(service, stop_, kMessageDeadline, NoLength::ToPeerEnd, kMaxMessageBytes);
  CloseSocket(service);
  ++forwarded_;
  if (drops_ > 0) {
    --drops_;
    ++dropped_;
    return;  // the service did its work; its answer is lost on the way
  }
  SendAll(client, reply);
  ShutdownWrite(client);
}

}  // namespace tarvik::test
