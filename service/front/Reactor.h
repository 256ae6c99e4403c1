#pragma once
// Connections of one listening socket, driven by one epoll thread, and a fixed
// set of workers that answer whole requests.
//
// A connection waits for a request at most idleSeconds (also right after
// accept), reads one request (head and body) in at most requestSeconds from
// its first byte, and is closed when a reply makes no progress for
// writeSeconds. Only a whole request reaches a worker, so idle, partial and
// trickling connections never hold one. Keep-alive and pipelined requests are
// answered in order, one at a time per connection; those read whole before
// the peer half-closed are answered before the connection closes.
//
// Stop() is the graceful stop: it takes the connections the kernel has
// queued, stops listening (new connections are refused from then on), and
// answers every request that has arrived whole by then, pipelined ones
// included; connections without one are closed. It waits at most
// stopSeconds for the replies.
#include <sys/socket.h>
#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "service/requests/HttpFraming.h"
#include "service/operations/RequestLog.h"

namespace tarvik::service {

struct ReactorLimits {
  std::size_t maxConnections = 4096;
  // Of those, what one peer address may hold, so that one client opening
  // thousands leaves room for the others.
  std::size_t maxPerPeer = 512;
  // Request bodies: each may bring bodyAllowance bytes unasked (three times
  // the largest order the program sends); a larger one takes its announced
  // length from bodyBudget, shared by every connection from its head until
  // its reply, and is refused at once (503) when that is spent. So the front
  // holds at most about maxConnections x (kMaxHeadBytes + bodyAllowance) +
  // bodyBudget of requests.
  std::size_t bodyAllowance = 32u << 10;
  std::size_t bodyBudget = 64u << 20;
  double requestSeconds = 5;  // from the first byte of a request to its last
  // ... and beyond that, the time its announced body takes at this many bytes
  // a second: an honest upload on a slow line is not cut.
  double bodyBytesPerSecond = 8192;
  double idleSeconds = 5;     // a connection without a request in progress
  double writeSeconds = 30;   // a reply the peer does not take any of
  std::size_t requestsPerConnection = 1000;
  double stopSeconds = 10;  // Stop(): the longest wait for replies being built and written
};

// Connection numbers kept by the reactor, readable from any thread.
struct ConnectionCounts {
  std::atomic<std::uint64_t> open{0};
  std::atomic<std::uint64_t> refused{0};  // accepted and closed at once: a limit was reached
};

// What the per-peer limit counts for an address: an IPv4 address, or the /64
// of an IPv6 one (a site is given a /64 and may use every address in it).
std::string PeerGroup(const sockaddr_storage& addr);

// Called on the loop thread as each reply starts out (the request log, the metrics).
using ExchangeObserver = std::function<void(const Exchange&)>;

// Called on a worker thread, concurrently with itself.
using RequestHandler = std::function<HttpReply(const HttpHead&, const std::string& body)>;

class Reactor {
 public:
  // listenFd: a listening, non-blocking socket owned by the caller.
  Reactor(int listenFd, const ReactorLimits& limits, std::size_t workers, RequestHandler handler);
  ~Reactor();
  Reactor(const Reactor&) = delete;
  Reactor& operator=(const Reactor&) = delete;

  // Before Start(): who hears of every reply, and where the connection
  // numbers go (either may be null).
  void Observe(ExchangeObserver observer, ConnectionCounts* counts);
  bool Start(std::string* error);
  // The graceful stop (above), then joins every thread. Requests still queued
  // for a worker when stopSeconds are up are dropped unanswered, never run.
  void Stop();

 private:
  struct Conn;
  struct Job {
    int fd;
    std::uint64_t id;
    HttpHead head;
    std::string body;
  };
  struct Done {
    int fd;
    std::uint64_t id;
    HttpReply reply;
  };

  void Loop();
  void Work();
  void Accept();
  void Read(Conn& c);
  void Advance(Conn& c);
  void Dispatch(Conn& c);
  void Refuse(Conn& c, int status, const std::string& why);
  void StartWriting(Conn& c, HttpReply reply);
  void Write(Conn& c);
  // After a send or sendfile of n bytes: true to go on writing; false once
  // the connection waits for the socket to take more, or is closed.
  bool Progressed(Conn& c, ssize_t n);
  void Close(Conn& c);
  void Release(Conn& c);  // its share of the body budget
  std::size_t ReadLimit(const Conn& c) const;
  void SetInterest(Conn& c, std::uint32_t events);
  void TakeReplies();
  void Sweep(bool stopping);
  void BeginStop();
  bool Busy() const;

  int listen_;
  ReactorLimits limits_;
  std::size_t workerCount_;
  RequestHandler handler_;
  ExchangeObserver observer_;
  ConnectionCounts* counts_ = nullptr;
  int epoll_ = -1;
  int wake_ = -1;
  bool acceptPaused_ = false;
  std::uint64_t nextId_ = 0;
  std::unordered_map<int, std::unique_ptr<Conn>> conns_;  // loop thread only
  std::unordered_map<std::string, std::size_t> perPeer_;   // open connections by PeerGroup
  std::size_t bodyReserved_ = 0;  // of the body budget

  std::mutex mutex_;  // guards everything below
  std::condition_variable workAvailable_;
  std::deque<Job> jobs_;
  std::vector<Done> done_;
  bool workersStop_ = false;

  std::atomic<bool> stopping_{false};

  std::thread loop_;
  std::vector<std::thread> workers_;
};

}  // namespace tarvik::service
