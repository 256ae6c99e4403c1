#pragma once
// A raw HTTP server on 127.0.0.1 for protocol tests: it records the exact
// bytes of each request and answers with canned exact bytes, or stalls (sends
// part of the reply, or nothing, then holds the connection until the client
// gives up or the server stops), or trickles (part of the reply, then one
// byte at a time). One connection at a time, one request per connection, in
// its own thread from construction to destruction; every wait bounded.
#include <atomic>
#include <cstdint>
#include <deque>
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
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  // The bytes sent back to every later request; ends a stall set before.
  void SetReply(const std::string& bytes);
  // Replies for the next requests, one each in order; later ones get the
  // SetReply bytes again.
  void QueueReplies(std::vector<std::string> replies);
  void StallAfter(std::size_t n);  // send the first n bytes, then hold the connection
  // Send the first n bytes of the reply, then one byte every intervalMs.
  void TrickleAfter(std::size_t n, int intervalMs);

  // The raw last request (request line to end of body), recorded before the
  // answer goes out; empty before the first.
  std::string LastRequest() const;
  std::vector<std::string> Requests() const;  // every request so far, in order

  // A loopback port that nothing listens on (connecting to it is refused).
  static std::uint16_t ClosedPort();
  // A complete reply: status 200, the header lines (each without CR LF) and
  // body; Content-Length is added unless withLength is false.
  static std::string HttpReply(const std::vector<std::string>& headers, const std::string& body,
                               bool withLength = true);

 private:
  void Serve(int fd);

  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mu_;
  std::string reply_;
  std::size_t stallAfter_ = static_cast<std::size_t>(-1);  // -1: never stall
  int trickleMs_ = 0;  // > 0: after stallAfter_ bytes, one byte per interval
  std::string lastRequest_;
  std::vector<std::string> requests_;
  std::deque<std::string> queued_;
  std::thread thread_;
};

}  // namespace tarvik::test
