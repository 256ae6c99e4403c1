#pragma once
// A loopback proxy in front of a service that can lose replies: it passes
// each request whole to the service, reads the service's whole reply and
// hands it back, except for the replies it was told to drop: those it reads
// (so the service has done its work) and then closes the client's connection
// without a byte, as a connection cut after the request went out does. One
// connection at a time, one request per connection; runs in its own thread
// from construction to destruction, every wait bounded.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace tarvik::test {

class DroppingProxy {
 public:
  // upstreamPort: the service's port on 127.0.0.1.
  explicit DroppingProxy(std::uint16_t upstreamPort);
  ~DroppingProxy();
  DroppingProxy(const DroppingProxy&) = delete;
  DroppingProxy& operator=(const DroppingProxy&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  // The replies to the next n requests are dropped.
  void DropNextReplies(int n) { drops_ = n; }
  // Requests passed on so far, and replies dropped.
  int Forwarded() const { return forwarded_; }
  int Dropped() const { return dropped_; }

 private:
  void Run();
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
