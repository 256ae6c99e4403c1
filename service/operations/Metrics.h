#pragma once
// The service's numbers for Prometheus (GET /metrics), kept by prometheus-cpp
// and written in its text format: requests by endpoint, command, HTTP status
// and RESULT_CODE, their durations, the reply cache's hits and misses and the
// orders saved; and, read at each scrape, open and refused connections and
// database errors. Thread-safe.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "service/requests/HttpFraming.h"

namespace tarvik::service {

class Metrics {
 public:
  // Numbers kept elsewhere, read when the metrics are asked for.
  struct Sources {
    std::function<std::uint64_t()> openConnections;
    std::function<std::uint64_t()> refusedConnections;
    std::function<std::uint64_t()> databaseErrors;
  };

  explicit Metrics(Sources sources);
  ~Metrics();
  Metrics(const Metrics&) = delete;
  Metrics& operator=(const Metrics&) = delete;

  // One answered request; seconds from the request read whole to its reply.
  void Count(const ReplyFacts& facts, int status, double seconds);
  // Everything in Prometheus' text exposition format (version 0.0.4).
  std::string Text() const;

 private:
  struct Families;
  std::unique_ptr<Families> families_;
};

}  // namespace tarvik::service
