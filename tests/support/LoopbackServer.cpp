#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace tarvik::test {
namespace {

constexpr int kPollMs = 50;
constexpr int kRequestDeadlineMs = 10000;  // a request must arrive whole within this
constexpr std::size_t kMaxRequestBytes = 64u * 1024u * 1024u;

int BoundLoopbackSocket(std::uint16_t* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Content-Length of a header block, 0 when absent.
std::size_t ContentLength(const std::string& head) {
  const std::string lower = Lower(head);
  const auto at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<std::size_t>(std::strtoull(head.c_str() + at + 17, nullptr, 10));
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

std::string LoopbackServer::Address() const { return "127.0.0.1:" + std::to_string(port_); }

void LoopbackServer::SetReply(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mu_);
  reply_ = bytes;
  stallAfter_ = static_cast<std::size_t>(-1);
  closeWithoutReply_ = false;
}

void LoopbackServer::StallAfter(std::size_t n) {
  std::lock_guard<std::mutex> lock(mu_);
  stallAfter_ = n;
}

void LoopbackServer::CloseWithoutReply() {
  std::lock_guard<std::mutex> lock(mu_);
  closeWithoutReply_ = true;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_;
}

std::string LoopbackServer::LastRequest() const {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_.empty() ? std::string() : requests_.back();
}

bool LoopbackServer::WaitForRequests(std::size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mu_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return requests_.size() >= count; });
}

std::uint16_t LoopbackServer::ClosedPort() {
  std::uint16_t port = 0;
  const int fd = BoundLoopbackSocket(&port);
  if (fd >= 0) ::close(fd);  // bound, never listened: connections are refused
  return port;
}

std::string LoopbackServer::HttpReply(const std::vector<std::string>& headers,
                                      const std::string& body, bool withLength) {
  std::string out = "HTTP/1.1 200 OK\r\n";
  for (const auto& h : headers) out += h + "\r\n";
  if (withLength) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  out += "\r\n";
  out += body;
  return out;
}

void LoopbackServer::Run() {
  if (listenFd_ < 0) return;
  while (!stop_) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, kPollMs) <= 0) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    ::close(fd);
  }
}

std::string LoopbackServer::ReadRequest(int fd) {
  std::string data;
  std::size_t want = std::string::npos;  // total bytes once the header block is known
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestDeadlineMs);
  char buf[16384];
  while (!stop_ && std::chrono::steady_clock::now() < deadline) {
    if (want != std::string::npos && data.size() >= want) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kPollMs) <= 0) continue;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    data.append(buf, static_cast<std::size_t>(n));
    if (data.size() > kMaxRequestBytes) break;
    if (want == std::string::npos) {
      const auto end = data.find("\r\n\r\n");
      if (end != std::string::npos) want = end + 4 + ContentLength(data.substr(0, end + 2));
    }
  }
  return data;
}

void LoopbackServer::Hold(int fd) {
  char buf[4096];
  while (!stop_) {
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, kPollMs);
    if (r < 0) return;
    if (r == 0) continue;
    if (::recv(fd, buf, sizeof buf, 0) <= 0) return;  // the client gave up
  }
}

void LoopbackServer::Serve(int fd) {
  const std::string request = ReadRequest(fd);
  std::string reply;
  std::size_t stallAfter;
  bool closeNow;
  {
    std::lock_guard<std::mutex> lock(mu_);
    requests_.push_back(request);
    reply = reply_;
    stallAfter = stallAfter_;
    closeNow = closeWithoutReply_;
  }
  changed_.notify_all();
  if (closeNow) return;
  const std::size_t n = stallAfter < reply.size() ? stallAfter : reply.size();
  std::size_t sent = 0;
  while (sent < n && !stop_) {
    const ssize_t w = ::send(fd, reply.data() + sent, n - sent, MSG_NOSIGNAL);
    if (w <= 0) return;
    sent += static_cast<std::size_t>(w);
  }
  if (stallAfter != static_cast<std::size_t>(-1)) {
    Hold(fd);
    return;
  }
  ::shutdown(fd, SHUT_WR);
}

}  // namespace tarvik::test
