#include "platform/HostProbe.h"

#include <chrono>
#include <memory>
#include <string>

#include "platform/HostProbeSocket.h"

namespace tarvik {
namespace {

struct AddrDeleter {
  void operator()(addrinfo* a) const { freeaddrinfo(a); }
};

}  // namespace

bool CanConnect(const std::string& host, std::uint16_t port, int timeoutMs) {
  if (!SocketsReady()) return false;
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
