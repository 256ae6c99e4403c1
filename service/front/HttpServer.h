#pragma once
// The HTTP side: one thread watches every connection (epoll) and reads each
// request whole before a worker sees it; a fixed set of workers answers whole
// requests (Endpoints.h) and hands the reply back for writing. An idle or slow
// connection costs a file descriptor and a buffer, never a worker, and is
// closed by its deadline.
#include <cstddef>
#include <string>

#include "service/front/Reactor.h"
#include "service/store/Database.h"

namespace tarvik::service {

struct ServeOptions {
  std::string listen;     // "IP:PORT" (PORT 0: a free one)
  std::string db;         // --db: a SQLite file or a postgresql:// URL
  std::string updateDir;  // may be empty (then every /update/ file is missing)
  std::size_t workers = 8;
  std::size_t cacheBytes = 64u << 20;  // 0: no reply cache
  // Connections beyond maxConnections are accepted and closed at once;
  // maxConnections is lowered to what the open-file limit allows.
  ReactorLimits limits;
  DbLimits dbLimits;     // waits for PostgreSQL
  bool metrics = true;  // GET /metrics
  // The order desk's listener, "IP:PORT" (off when empty), and whether a TLS
  // proxy stands in front of it (desk/Desk.h).
  std::string deskListen;
  bool deskTls = false;
};

// The graceful stop's bound: replies in progress get this long after SIGTERM
// (Reactor::Stop); a process still not done a little later ends at once.
constexpr double kStopSeconds = 10;
constexpr unsigned kStopHardSeconds = 12;

// Serves until SIGINT, SIGTERM or SIGHUP, then stops gracefully (Reactor.h);
// prints "listening on IP:PORT" on stdout once listening (then "desk
// listening on IP:PORT" for the desk) and writes the request log
// (RequestLog.h) to stderr. Returns the exit code.
int Serve(const ServeOptions& options);

}  // namespace tarvik::service
