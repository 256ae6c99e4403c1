#include "tests/support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Text.h"

namespace tarvik::test {

int LoopbackSocket(std::uint16_t* port, bool listen) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || (listen && ::listen(fd, 8) != 0)) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

void ServeEach(int listenFd, const std::atomic<bool>& stop, const std::function<void(int)>& serve) {
  while (listenFd >= 0 && !stop) {
    if (!Readable(listenFd)) continue;
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    serve(fd);
    ::close(fd);
  }
}

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 50) > 0;
}

std::string ReadHttpMessage(int fd, const std::atomic<bool>& stop, std::chrono::seconds deadline,
                            NoLength noLength, std::size_t maxBytes) {
  std::string data;
  std::size_t want = std::string::npos;
  const auto until = std::chrono::steady_clock::now() + deadline;
  char buf[16384];
  while (!stop && std::chrono::steady_clock::now() < until && data.size() < want) {
    if (!Readable(fd)) continue;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0 || data.size() > maxBytes) break;
    data.append(buf, static_cast<std::size_t>(n));
    const auto end = data.find("\r\n\r\n");
    if (want == std::string::npos && end != std::string::npos) {
      const std::string head = AsciiLower(data.substr(0, end + 2));
      const auto at = head.find("\r\ncontent-length:");
      if (at != std::string::npos)
        want = end + 4 + std::strtoull(head.c_str() + at + 17, nullptr, 10);
      else if (noLength == NoLength::NoBody)
        want = end + 4;
    }
  }
  return data;
}

}  // namespace tarvik::test
