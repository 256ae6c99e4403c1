#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <memory>
#include <string>

#include "update/HostProbe.h"

namespace tarvik {
namespace {

struct AddrDeleter {
  void operator()(addrinfo* a) const { freeaddrinfo(a); }
};

class Socket {
 public:
  explicit Socket(SOCKET s) : s_(s) {}
  ~Socket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return s_; }

 private:
  SOCKET s_;
};

// One non-blocking connect, waited for at most waitMs.
bool ConnectOne(const addrinfo& a, int waitMs) {
  Socket s(::socket(a.ai_family, a.ai_socktype, a.ai_protocol));
  if (s.get() == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  if (ioctlsocket(s.get(), FIONBIO, &nonBlocking) != 0) return false;
  if (::connect(s.get(), a.ai_addr, static_cast<int>(a.ai_addrlen)) == 0) return true;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
  WSAPOLLFD p{s.get(), POLLWRNORM, 0};
  if (WSAPoll(&p, 1, waitMs) <= 0) return false;
  int err = 0;
  int len = sizeof err;
  if (getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0) return false;
  return err == 0 && (p.revents & POLLWRNORM) != 0;
}

}  // namespace

bool CanConnect(const std::string& host, std::uint16_t port, int timeoutMs) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  std::unique_ptr<addrinfo, AddrDeleter> list(found);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (const addrinfo* a = list.get(); a; a = a->ai_next) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    if (ConnectOne(*a, static_cast<int>(left))) return true;
  }
  return false;
}

}  // namespace tarvik
