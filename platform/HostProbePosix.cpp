#include "platform/HostProbeSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace tarvik {
namespace {

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

}  // namespace

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

// POSIX sockets need no start.
bool SocketsReady() { return true; }

}  // namespace tarvik
