#include "tests/support/LoopbackSocket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "text/Text.h"

namespace tarvik::test {
namespace {

#ifdef _WIN32
// Winsock handles are small numbers in practice; the tests keep them as int.
using socklen_t = int;
constexpr int kSendFlags = 0;
int NewSocket() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  const SOCKET s = started ? ::socket(AF_INET, SOCK_STREAM, 0) : INVALID_SOCKET;
  return s == INVALID_SOCKET ? -1 : static_cast<int>(s);
}
int AcceptOne(int fd) {
  const SOCKET s = ::accept(static_cast<SOCKET>(fd), nullptr, nullptr);
  return s == INVALID_SOCKET ? -1 : static_cast<int>(s);
}
int PollOne(int fd, int ms) {
  WSAPOLLFD p{static_cast<SOCKET>(fd), POLLRDNORM, 0};
  return WSAPoll(&p, 1, ms);
}
#else
constexpr int kSendFlags = MSG_NOSIGNAL;
int NewSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
int AcceptOne(int fd) { return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC); }
int PollOne(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms);
}
#endif

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  return addr;
}

}  // namespace

void CloseSocket(int fd) {
#ifdef _WIN32
  ::closesocket(static_cast<SOCKET>(fd));
#else
  ::close(fd);
#endif
}

void ShutdownWrite(int fd) {
#ifdef _WIN32
  ::shutdown(static_cast<SOCKET>(fd), SD_SEND);
#else
  ::shutdown(fd, SHUT_WR);
#endif
}

long SendSome(int fd, const char* data, std::size_t n) {
  return static_cast<long>(::send(fd, data, static_cast<int>(n), kSendFlags));
}

long ReceiveSome(int fd, char* data, std::size_t n) { return static_cast<long>(::recv(fd, data, static_cast<int>(n), 0)); }

bool SendAll(int fd, const std::string& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const long w = SendSome(fd, bytes.data() + sent, bytes.size() - sent);
    if (w <= 0) return false;
    sent += static_cast<std::size_t>(w);
  }
  return true;
}

int ConnectLoopback(std::uint16_t port, const std::string& from) {
  const int fd = NewSocket();
  sockaddr_in addr = Loopback(port), source = Loopback(0);
  bool ok = fd >= 0;
  if (ok && !from.empty()) {
#ifdef IP_BIND_ADDRESS_NO_PORT
    // The port is chosen at connect: one bound before is lost to every other
    // connection of this machine, HAProxy's to its instances included.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
#endif
    ok = ::inet_pton(AF_INET, from.c_str(), &source.sin_addr) == 1 &&
         ::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) == 0;
  }
  if (ok && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
  CloseSocket(fd);
  return -1;
}

int LoopbackSocket(std::uint16_t* port, bool listen) {
  const int fd = NewSocket();
  if (fd < 0) return -1;
  sockaddr_in addr = Loopback(0);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || (listen && ::listen(fd, 8) != 0)) {
    CloseSocket(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

void ServeEach(int listenFd, const std::atomic<bool>& stop, const std::function<void(int)>& serve) {
  while (listenFd >= 0 && !stop) {
    const int fd = Readable(listenFd) ? AcceptOne(listenFd) : -1;
    if (fd < 0) continue;
    serve(fd);
    CloseSocket(fd);
  }
}

bool Readable(int fd) { return PollOne(fd, 50) > 0; }

std::string ReadHttpMessage(int fd, const std::atomic<bool>& stop, std::chrono::seconds deadline,
                            NoLength noLength, std::size_t maxBytes) {
  std::string data;
  std::size_t want = std::string::npos;
  const auto until = std::chrono::steady_clock::now() + deadline;
  char buf[16384];
  while (!stop && std::chrono::steady_clock::now() < until && data.size() < want) {
    if (!Readable(fd)) continue;
    const long n = ReceiveSome(fd, buf, sizeof buf);
    if (n <= 0 || data.size() > maxBytes) break;
    data.append(buf, static_cast<std::size_t>(n));
    const auto end = data.find("\r\n\r\n");
    if (want != std::string::npos || end == std::string::npos) continue;
    const std::string head = AsciiLower(data.substr(0, end + 2));
    const auto at = head.find("\r\ncontent-length:");
    if (at != std::string::npos) want = end + 4 + std::strtoull(head.c_str() + at + 17, nullptr, 10);
    else if (noLength == NoLength::NoBody) want = end + 4;
  }
  return data;
}

}  // namespace tarvik::test
