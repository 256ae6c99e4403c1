// The loopback server and the dropping proxy: one thread each, serving one
// connection at a time.
#include "tests/support/LoopbackServer.h"

#include <chrono>

#include "tests/support/DroppingProxy.h"
#include "tests/support/LoopbackSocket.h"

namespace tarvik::test {
namespace {
constexpr std::size_t kMaxMessageBytes = 64u * 1024u * 1024u;
}  // namespace

LoopbackServer::LoopbackServer() {
  listenFd_ = LoopbackSocket(&port_, true);
  reply_ = HttpReply({"Content-Type: text/html"}, "OK");
  thread_ = std::thread([this] { ServeEach(listenFd_, stop_, [this](int fd) { Serve(fd); }); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) CloseSocket(listenFd_);
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

void LoopbackServer::StallAfter(std::size_t n) { TrickleAfter(n, 0); }

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
  const int fd = LoopbackSocket(&port, false);
  if (fd >= 0) CloseSocket(fd);  // bound, never listened: connections are refused
  return port;
}

std::string LoopbackServer::HttpReply(const std::vector<std::string>& headers, const std::string& body,
                                      bool withLength) {
  std::string out = "HTTP/1.1 200 OK\r\n";
  for (const auto& h : headers) out += h + "\r\n";
  if (withLength) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return out + "\r\n" + body;
}

void LoopbackServer::Serve(int fd) {
  // A request must arrive whole within 10 s.
  const std::string request = ReadHttpMessage(fd, stop_, std::chrono::seconds(10), NoLength::NoBody, kMaxMessageBytes);
  std::string reply;
  std::size_t stallAfter;
  int trickleMs;
  {
    std::lock_guard<std::mutex> lock(mu_);
    lastRequest_ = request;
    requests_.push_back(request);
    reply = queued_.empty() ? reply_ : std::move(queued_.front());
    if (!queued_.empty()) queued_.pop_front();
    stallAfter = stallAfter_;
    trickleMs = trickleMs_;
  }
  const std::size_t n = stallAfter < reply.size() ? stallAfter : reply.size();
  for (std::size_t sent = 0; sent < n && !stop_;) {
    const long w = SendSome(fd, reply.data() + sent, n - sent);
    if (w <= 0) return;
    sent += static_cast<std::size_t>(w);
  }
  if (stallAfter == static_cast<std::size_t>(-1)) return ShutdownWrite(fd);
  char buf[4096];  // hold (or trickle) until the client gives up
  auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(trickleMs);
  for (std::size_t sent = n; !stop_;) {
    if (Readable(fd) && ReceiveSome(fd, buf, sizeof buf) <= 0) return;
    if (trickleMs > 0 && sent < reply.size() && std::chrono::steady_clock::now() >= next) {
      if (SendSome(fd, reply.data() + sent++, 1) != 1) return;
      next += std::chrono::milliseconds(trickleMs);
    }
  }
}

DroppingProxy::DroppingProxy(std::uint16_t upstreamPort) : upstream_(upstreamPort) {
  listenFd_ = LoopbackSocket(&port_, true);
  thread_ = std::thread([this] { ServeEach(listenFd_, stop_, [this](int fd) { Serve(fd); }); });
}

DroppingProxy::~DroppingProxy() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) CloseSocket(listenFd_);
}

void DroppingProxy::Serve(int client) {
  constexpr auto kDeadline = std::chrono::seconds(20);
  const std::string request = ReadHttpMessage(client, stop_, kDeadline, NoLength::ToPeerEnd, kMaxMessageBytes);
  const int service = request.empty() ? -1 : ConnectLoopback(upstream_);
  if (service < 0) return;  // the client sees a connection closed without a reply
  std::string reply;
  if (SendAll(service, request)) reply = ReadHttpMessage(service, stop_, kDeadline, NoLength::ToPeerEnd, kMaxMessageBytes);
  CloseSocket(service);
  ++forwarded_;
  if (drops_ > 0) {  // the service did its work; its answer is lost on the way
    --drops_;
    ++dropped_;
    return;
  }
  SendAll(client, reply);
  ShutdownWrite(client);
}

}  // namespace tarvik::test
