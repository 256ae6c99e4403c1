#pragma once
// A raw HTTP server on 127.0.0.1 for protocol tests: it records the exact
// bytes of every request and answers each with canned exact bytes. It can
// also stall (answer part of the reply, or nothing, and then hold the
// connection until the client gives up or the server stops) or close without
// a word. One connection at a time, one request per connection; the server
// closes the connection after answering. Runs in its own thread from
// construction to destruction; every wait in it is bounded.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvik::test {

class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "127.0.0.1:PORT", the TARVIK_SERVER value that points at this server.
  std::string Address() const;

  // The bytes sent back to every later request (exactly as given).
  void SetReply(const std::string& bytes);
  // Send only the first n bytes of the reply, then hold the connection.
  void StallAfter(std::size_t n);
  // Hold the connection after reading the request without answering at all.
  void StallBeforeReply() { StallAfter(0); }
  // Close the connection right after reading the request.
  void CloseWithoutReply();

  // The raw request of each connection so far (request line to end of body).
  std::vector<std::string> Requests() const;
  // The last request, or empty.
  std::string LastRequest() const;
  // Waits at most timeoutMs for count requests; true when they are there.
  bool WaitForRequests(std::size_t count, int timeoutMs) const;

  // A loopback port that nothing listens on (connecting to it is refused).
  static std::uint16_t ClosedPort();

  // A complete reply: status 200, the given header lines (each without CR LF)
  // and body; Content-Length is added unless withLength is false.
  static std::string HttpReply(const std::vector<std::string>& headers, const std::string& body,
                               bool withLength = true);

 private:
  void Run();
  void Serve(int fd);
  std::string ReadRequest(int fd);
  void Hold(int fd);

  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mu_;
  mutable std::condition_variable changed_;
  std::string reply_;
  std::size_t stallAfter_ = static_cast<std::size_t>(-1);  // -1: never stall
  bool closeWithoutReply_ = false;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace tarvik::test
