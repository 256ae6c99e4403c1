// One request's way through a connection: read, framed, handed to the
// workers, and its reply written (the loop and the rest are in Reactor.cpp).
#include <sys/epoll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "service/front/Endpoints.h"
#include "service/front/ReactorConnection.h"

namespace tarvik::service {

using reactor::After;
using reactor::SteadyClock;
using reactor::kDrainSeconds;

std::size_t Reactor::ReadLimit(const Conn& c) const {
  using State = Conn::State;
  if (c.state == State::kDraining) return SIZE_MAX;  // read and dropped
  if (c.state == State::kBody) return c.headBytes + static_cast<std::size_t>(c.head.contentLength);
  return kMaxHeadBytes;  // more without the head's end is refused
}

void Reactor::Read(Conn& c) {
  // Only what the next step needs: a connection's buffer never holds more
  // than a head, or a head and the body it announced; what comes after waits
  // in the socket.
  char buf[65536];
  for (std::size_t limit; c.in.size() < (limit = ReadLimit(c));) {
    const ssize_t n = ::recv(c.fd, buf, std::min(sizeof buf, limit - c.in.size()), 0);
    if (n > 0) {
      if (c.state != Conn::State::kDraining) c.in.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) {
      c.peerClosed = true;
      break;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    Close(c);
    return;
  }
  if (c.state == Conn::State::kDraining) {
    if (c.peerClosed) Close(c);
    return;
  }
  Advance(c);
}

void Reactor::Advance(Conn& c) {
  using State = Conn::State;
  if (c.state == State::kIdle || c.state == State::kHead) {
    if (c.in.empty()) {
      if (c.peerClosed) Close(c);
      return;
    }
    if (c.state == State::kIdle) {
      c.state = State::kHead;
      c.headScanned = 0;
      c.deadline = After(limits_.requestSeconds);
    }
    switch (ParseHead(c.in, c.head, c.headBytes, &c.headScanned)) {
      case HeadStatus::kIncomplete:
        if (c.peerClosed) Close(c);
        return;
      case HeadStatus::kBad:
        return Refuse(c, 400, "bad request");
      case HeadStatus::kTooLarge:
        return Refuse(c, 431, "request head too large");
      case HeadStatus::kComplete:
        break;
    }
    if (c.head.chunked) return Refuse(c, 411, "a Content-Length is needed");
    if (c.head.contentLength > static_cast<long long>(kMaxBodyBytes))
      return Refuse(c, 413, "request too large");
    const auto length = static_cast<std::size_t>(c.head.contentLength);
    if (length > limits_.bodyAllowance) {
      if (bodyReserved_ + length > limits_.bodyBudget) return Refuse(c, 503, "too many large requests at once");
      bodyReserved_ += length;
      c.reserved = length;
    }
    c.in.reserve(c.headBytes + length);
    c.state = State::kBody;
    c.continued = false;
    if (limits_.bodyBytesPerSecond > 0)
      c.deadline += std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(
          static_cast<double>(c.head.contentLength) / limits_.bodyBytesPerSecond));
  }
  if (c.state != State::kBody) return;
  if (c.in.size() < c.headBytes + static_cast<std::size_t>(c.head.contentLength)) {
    if (c.peerClosed) {
      Close(c);
    } else if (c.head.expectContinue && !c.continued) {
      c.continued = true;
      static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
      if (::send(c.fd, kContinue, sizeof kContinue - 1, MSG_NOSIGNAL | MSG_DONTWAIT) !=
          static_cast<ssize_t>(sizeof kContinue - 1))
        Close(c);
    }
    return;
  }
  Dispatch(c);
}

void Reactor::Dispatch(Conn& c) {
  const std::size_t length = static_cast<std::size_t>(c.head.contentLength);
  Job job{c.fd, c.id, c.head, c.in.substr(c.headBytes, length)};
  job.head.peer = c.peerText;
  c.in.erase(0, c.headBytes + length);
  c.state = Conn::State::kWorking;
  c.dispatched = SteadyClock::now();
  SetInterest(c, 0);  // nothing more is read until the reply is out
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  workAvailable_.notify_one();
}

void Reactor::Refuse(Conn& c, int status, const std::string& why) {
  StartWriting(c, Refusal(status, c.head.path, why));
}

void Reactor::StartWriting(Conn& c, HttpReply reply) {
  Release(c);  // the request's body is gone with its job
  ++c.requests;
  // A peer that half-closed after sending more requests still gets the
  // replies to those read whole; the connection closes after the last. So
  // does one of a stopping service.
  const bool more = !c.in.empty();
  c.keepAlive = c.head.keepAlive && !reply.close && (!c.peerClosed || more) &&
                (!stopping_ || more) && c.requests < limits_.requestsPerConnection;
  c.out = ReplyHead(reply, c.keepAlive);
  c.outPos = 0;
  c.fileOffset = 0;
  c.fileEnd = 0;
  if (!reply.omitBody) {
    if (reply.file.get() >= 0) {
      c.file = std::move(reply.file);
      c.fileEnd = static_cast<off_t>(reply.fileSize);
    } else {
      c.out += reply.body;
    }
  }
  if (observer_) {
    Exchange e;
    e.peer = c.peerText;
    e.head = &c.head;
    e.status = reply.status;
    e.bytes = c.out.size() + static_cast<std::size_t>(c.fileEnd);
    if (c.state == Conn::State::kWorking)
      e.seconds = std::chrono::duration<double>(SteadyClock::now() - c.dispatched).count();
    e.facts = &reply.facts;
    observer_(e);
  }
  c.state = Conn::State::kWriting;
  c.deadline = After(limits_.writeSeconds);
  Write(c);
}

bool Reactor::Progressed(Conn& c, ssize_t n) {
  if (n > 0) {
    c.deadline = After(limits_.writeSeconds);
    return true;
  }
  if (n < 0 && errno == EINTR) return true;
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) SetInterest(c, EPOLLOUT);
  else Close(c);  // the peer is gone, or the file shrank under us
  return false;
}

void Reactor::Write(Conn& c) {
  while (c.outPos < c.out.size()) {
    const ssize_t n = ::send(c.fd, c.out.data() + c.outPos, c.out.size() - c.outPos, MSG_NOSIGNAL);
    if (!Progressed(c, n)) return;
    if (n > 0) c.outPos += static_cast<std::size_t>(n);
  }
  while (c.file.get() >= 0 && c.fileOffset < c.fileEnd) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<off_t>(c.fileEnd - c.fileOffset, 1 << 20));
    if (!Progressed(c, ::sendfile(c.fd, c.file.get(), &c.fileOffset, chunk))) return;
  }
  c.out.clear();
  c.outPos = 0;
  c.file = OwnedFd();
  if (!c.keepAlive) {
    // Half-close and read what the peer still sends, so it gets the reply
    // rather than a reset for unread bytes.
    ::shutdown(c.fd, SHUT_WR);
    c.state = Conn::State::kDraining;
    c.in.clear();
    c.deadline = After(kDrainSeconds);
    SetInterest(c, EPOLLIN);
    return;
  }
  c.state = Conn::State::kIdle;
  c.head = HttpHead();
  c.deadline = After(limits_.idleSeconds);
  SetInterest(c, EPOLLIN);
  Advance(c);  // a request that arrived meanwhile
}

}  // namespace tarvik::service
