#include "update/HostProbe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>

namespace tarvik {
namespace {

struct AddrDeleter {
  void operator()(addrinfo* a) const { freeaddrinfo(a); }
};

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// One non-blocking connect, waited for at most waitMs.
bool ConnectOne(const addrinfo& a, int waitMs) {
  Socket s(::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol));
  if (s.fd() < 0) return false;
  if (::connect(s.fd(), a.ai_addr, a.ai_addrlen) == 0) return true;
  if (errno != EINPROGRESS) return false;
  pollfd p{s.fd(), POLLOUT, 0};
  int r;
  do {
    r = ::poll(&p, 1, waitMs);
  } while (r < 0 && errno == EINTR);
  if (r <= 0) return false;
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) return false;
  return err == 0;
}

}  // namespace

bool CanConnect(const std::string& host, std::uint16_t port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
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
