#pragma once
// A loopback relay in front of a PostgreSQL server that cuts a connection
// where the outcome of a statement is unknown to its sender: once armed, the
// next connection to send the marker (a statement's text) has the message
// that runs it passed on, the server's answer awaited and swallowed, and both
// ends closed. It can also make the server unreachable for a while after the
// cut (connections closed as they come), or a black hole (nothing relayed,
// new connections held unanswered). A thread per connection; every wait bounded.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvik::test {

class CuttingProxy {
 public:
  explicit CuttingProxy(std::uint16_t upstreamPort);
  ~CuttingProxy();
  CuttingProxy(const CuttingProxy&) = delete;
  CuttingProxy& operator=(const CuttingProxy&) = delete;

  std::uint16_t Port() const { return port_; }
  // The next connection to send marker is cut after the server answered the
  // execute'th run of a statement from then on; for unreachableSeconds after
  // the cut, new connections are closed at once.
  void CutAfter(const std::string& marker, int execute = 1, double unreachableSeconds = 0);
  void BlackHole(bool on) { blackHole_ = on; }
  int Cuts() const { return cuts_; }

 private:
  void Relay(int client);

  std::uint16_t upstream_;
  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::string marker_;  // empty: not armed
  int execute_ = 1;
  std::atomic<int> cuts_{0};
  double unreachable_ = 0;  // after the next cut
  std::atomic<std::chrono::steady_clock::time_point> reachableAt_{};
  std::atomic<bool> blackHole_{false};
  std::atomic<bool> stop_{false};
  std::vector<std::thread> relays_;  // touched by the accepting thread only
  std::thread thread_;
};

}  // namespace tarvik::test
