#pragma once
// What the reactor keeps of one connection; shared by its two halves
// (Reactor.cpp: the loop, accepting, closing and stopping;
// ReactorExchange.cpp: one request's way in and its reply's way out).
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "service/front/Reactor.h"
#include "service/requests/RequestText.h"

namespace tarvik::service::reactor {

using SteadyClock = std::chrono::steady_clock;

inline SteadyClock::time_point After(double seconds) {
  return SteadyClock::now() +
         std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
}

constexpr double kDrainSeconds = 2;

}  // namespace tarvik::service::reactor

namespace tarvik::service {

struct Reactor::Conn {
  enum class State { kIdle, kHead, kBody, kWorking, kWriting, kDraining };
  int fd = -1;
  std::string peer;  // the peer's PeerGroup
  std::string peerText;
  std::uint64_t id = 0;
  State state = State::kIdle;
  std::string in;
  HttpHead head;
  std::size_t headBytes = 0;
  std::size_t headScanned = 0;  // bytes of in known to hold no end of the head
  std::size_t reserved = 0;     // of the body budget, for the request in hand
  bool continued = false;   // "100 Continue" sent for this request
  bool peerClosed = false;  // the peer sends nothing more
  std::string out;
  std::size_t outPos = 0;
  OwnedFd file;
  off_t fileOffset = 0, fileEnd = 0;
  bool keepAlive = false;
  std::size_t requests = 0;
  reactor::SteadyClock::time_point deadline;
  reactor::SteadyClock::time_point dispatched;  // the request in work went to the workers
  std::uint32_t interest = 0;  // events registered with epoll; 0: not registered
};

}  // namespace tarvik::service
