#pragma once
// A loopback proxy in front of a service that can lose replies: a dropped
// reply is read whole (the service has done its work), then the client's
// connection is closed without a byte. One connection and request at a time,
// in a thread of its own; every wait bounded.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace tarvik::test {

class DroppingProxy {
 public:
  explicit DroppingProxy(std::uint16_t upstreamPort);  // the service's port on 127.0.0.1
  ~DroppingProxy();
  DroppingProxy(const DroppingProxy&) = delete;
  DroppingProxy& operator=(const DroppingProxy&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  void DropNextReplies(int n) { drops_ = n; }  // the replies to the next n requests
  int Forwarded() const { return forwarded_; }  // requests passed on so far
  int Dropped() const { return dropped_; }

 private:
  void Serve(int client);

  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<std::uint16_t> upstream_;
  std::atomic<int> drops_{0};
  std::atomic<int> forwarded_{0};
  std::atomic<int> dropped_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tarvik::test
