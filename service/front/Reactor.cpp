#include "service/front/Reactor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>

#include "service/front/Endpoints.h"
#include "service/front/ReactorConnection.h"

namespace tarvik::service {

using reactor::After;
using reactor::SteadyClock;

namespace {

// The peer's address as the request log shows it.
std::string PeerText(const sockaddr_storage& addr) {
  char text[INET6_ADDRSTRLEN] = "";
  if (addr.ss_family == AF_INET)
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(addr).sin_addr, text, sizeof text);
  else if (addr.ss_family == AF_INET6)
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(addr).sin6_addr, text, sizeof text);
  return text;
}

}  // namespace

std::string PeerGroup(const sockaddr_storage& addr) {
  if (addr.ss_family == AF_INET) {
    const auto& a = reinterpret_cast<const sockaddr_in&>(addr).sin_addr;
    return std::string(reinterpret_cast<const char*>(&a), sizeof a);
  }
  if (addr.ss_family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(addr).sin6_addr;
    const char* bytes = reinterpret_cast<const char*>(&a);
    // An IPv4 client of a dual-stack socket counts as that IPv4 address.
    return IN6_IS_ADDR_V4MAPPED(&a) ? std::string(bytes + 12, 4) : std::string(bytes, 8);
  }
  return std::string();
}

Reactor::Reactor(int listenFd, const ReactorLimits& limits, std::size_t workers,
                 RequestHandler handler)
    : listen_(listenFd), limits_(limits), workerCount_(workers), handler_(std::move(handler)) {}

Reactor::~Reactor() {
  Stop();
  if (wake_ >= 0) ::close(wake_);
  if (epoll_ >= 0) ::close(epoll_);
}

void Reactor::Observe(ExchangeObserver observer, ConnectionCounts* counts) {
  observer_ = std::move(observer);
  counts_ = counts;
}

bool Reactor::Start(std::string* error) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  bool ok = epoll_ >= 0 && wake_ >= 0;
  ev.data.fd = listen_;
  ok = ok && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, listen_, &ev) == 0;
  ev.data.fd = wake_;
  ok = ok && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &ev) == 0;
  if (!ok) {
    if (error) *error = std::string("epoll: ") + std::strerror(errno);
    return false;
  }
  for (std::size_t i = 0; i < workerCount_; ++i) workers_.emplace_back([this] { Work(); });
  loop_ = std::thread([this] { Loop(); });
  return true;
}

void Reactor::Stop() {
  if (!loop_.joinable()) return;
  stopping_ = true;
  const std::uint64_t one = 1;
  if (::write(wake_, &one, sizeof one) < 0) {
  }  // the loop also wakes by its timer
  loop_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Past the stop bound: what no worker has started is neither stored nor answered.
    jobs_.clear();
    workersStop_ = true;
  }
  workAvailable_.notify_all();
  for (auto& w : workers_) w.join();
  workers_.clear();
  while (!conns_.empty()) Close(*conns_.begin()->second);
}

void Reactor::Loop() {
  epoll_event events[128];
  auto nextSweep = After(0.1);
  bool stopSeen = false;
  SteadyClock::time_point stopBy;
  for (;;) {
    const int n = ::epoll_wait(epoll_, events, 128, 100);
    for (int i = 0; i < n; ++i) {
      const int fd = events[i].data.fd;
      const std::uint32_t ev = events[i].events;
      if (fd == listen_) {
        Accept();
        continue;
      }
      if (fd == wake_) {
        std::uint64_t count;
        while (::read(wake_, &count, sizeof count) > 0) {
        }
        TakeReplies();
        continue;
      }
      const auto it = conns_.find(fd);
      if (it == conns_.end()) continue;
      Conn& c = *it->second;
      if (c.state == Conn::State::kWriting) {
        if (ev & (EPOLLERR | EPOLLHUP)) Close(c);
        else if (ev & EPOLLOUT) Write(c);
      } else if (c.state != Conn::State::kWorking) {
        Read(c);
      }
    }
    if (stopping_ && !stopSeen) {
      stopSeen = true;
      stopBy = After(limits_.stopSeconds);
      BeginStop();
    }
    if (stopSeen && (!Busy() || SteadyClock::now() > stopBy)) return;
    if (SteadyClock::now() >= nextSweep) {
      Sweep(stopSeen);
      nextSweep = After(0.1);
    }
  }
}

void Reactor::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workAvailable_.wait(lock, [&] { return workersStop_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    HttpReply reply;
    try {
      reply = handler_(job.head, job.body);
    } catch (const std::exception& e) {
      reply = Refusal(500, job.head.path, std::string("internal error: ") + e.what());
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_.push_back({job.fd, job.id, std::move(reply)});
    }
    const std::uint64_t one = 1;
    if (::write(wake_, &one, sizeof one) < 0) {
    }  // already signalled: the counter is not zero
  }
}

void Reactor::Accept() {
  for (;;) {
    sockaddr_storage addr{};
    socklen_t addrLength = sizeof addr;
    const int fd = ::accept4(listen_, reinterpret_cast<sockaddr*>(&addr), &addrLength,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        // Out of descriptors or memory: stop listening until the next sweep
        // instead of spinning on a socket that stays readable.
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, listen_, nullptr);
        acceptPaused_ = true;
      }
      return;
    }
    const std::string peer = PeerGroup(addr);
    std::size_t& held = perPeer_[peer];
    if (conns_.size() >= limits_.maxConnections || held >= limits_.maxPerPeer) {
      if (held == 0) perPeer_.erase(peer);
      ::close(fd);
      if (counts_) ++counts_->refused;
      continue;
    }
    ++held;
    if (counts_) ++counts_->open;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto conn = std::make_unique<Conn>();
    conn->fd = fd;
    conn->peer = peer;
    conn->peerText = PeerText(addr);
    conn->id = ++nextId_;
    conn->deadline = After(limits_.idleSeconds);
    Conn& c = *conn;
    conns_[fd] = std::move(conn);
    SetInterest(c, EPOLLIN);
  }
}


void Reactor::Close(Conn& c) {
  Release(c);
  const auto held = perPeer_.find(c.peer);
  if (held != perPeer_.end() && --held->second == 0) perPeer_.erase(held);
  const int fd = c.fd;
  ::close(fd);  // also removes it from the epoll set
  conns_.erase(fd);
  if (counts_) --counts_->open;
}

void Reactor::Release(Conn& c) {
  bodyReserved_ -= c.reserved;
  c.reserved = 0;
}

void Reactor::SetInterest(Conn& c, std::uint32_t events) {
  if (events == c.interest) return;
  epoll_event ev{};
  ev.events = events;
  ev.data.fd = c.fd;
  if (events == 0) ::epoll_ctl(epoll_, EPOLL_CTL_DEL, c.fd, &ev);
  else ::epoll_ctl(epoll_, c.interest == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, c.fd, &ev);
  c.interest = events;
}

void Reactor::TakeReplies() {
  std::vector<Done> done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done.swap(done_);
  }
  for (auto& d : done) {
    const auto it = conns_.find(d.fd);
    if (it == conns_.end() || it->second->id != d.id) continue;
    StartWriting(*it->second, std::move(d.reply));
  }
}

void Reactor::Sweep(bool stopping) {
  using State = Conn::State;
  const auto now = SteadyClock::now();
  std::vector<Conn*> expired;
  for (auto& [fd, conn] : conns_) {
    const State s = conn->state;
    const bool waiting = s == State::kIdle || s == State::kHead || s == State::kBody;
    if ((s != State::kWorking && now >= conn->deadline) || (stopping && waiting))
      expired.push_back(conn.get());
  }
  for (Conn* c : expired) Close(*c);
  if (acceptPaused_ && !stopping) {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listen_;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, listen_, &ev) == 0) acceptPaused_ = false;
  }
}

void Reactor::BeginStop() {
  using State = Conn::State;
  // Connections the kernel completed before the stop may hold whole
  // requests: take them, then stop listening so later ones are refused at
  // once instead of waiting in the queue for a close.
  Accept();
  ::epoll_ctl(epoll_, EPOLL_CTL_DEL, listen_, nullptr);
  ::shutdown(listen_, SHUT_RD);
  acceptPaused_ = false;
  // Read what every waiting connection has received: a request there whole
  // goes to the workers; the rest are closed by the sweep.
  std::vector<int> waiting;
  for (const auto& [fd, conn] : conns_) {
    const State s = conn->state;
    if (s == State::kIdle || s == State::kHead || s == State::kBody) waiting.push_back(fd);
  }
  for (const int fd : waiting) {
    const auto it = conns_.find(fd);
    if (it != conns_.end()) Read(*it->second);
  }
  Sweep(true);
}

bool Reactor::Busy() const {
  for (const auto& [fd, conn] : conns_) {
    if (conn->state == Conn::State::kWorking || conn->state == Conn::State::kWriting) return true;
  }
  return false;
}

}  // namespace tarvik::service
