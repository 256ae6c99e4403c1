#include "platform/HostProbeSocket.h"

namespace tarvik {
namespace {

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

}  // namespace

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

bool SocketsReady() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

}  // namespace tarvik
