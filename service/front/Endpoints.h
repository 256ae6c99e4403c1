#pragma once
// One whole HTTP request to its reply, without a socket: POST on the ten
// /NET/*.php endpoints, GET and HEAD of the update files below /update/, and
// GET /health for a load balancer (200 "ok" while the database answers, 503
// otherwise), GET /metrics for Prometheus when metrics are on.
#include <chrono>
#include <mutex>
#include <string>

#include "service/commands/Commands.h"
#include "service/requests/HttpFraming.h"

namespace tarvik::service {

class Metrics;

// GET /health as a load balancer asks it, every few hundred ms and from
// several balancers: one request at a time asks the database; the others,
// and those within a quarter second of its answer, get that answer; once the
// one asking has waited a second, they get 503 at once. So the check never
// holds more than one worker, and says within a second that the database
// stopped answering.
class HealthProbe {
 public:
  HttpReply Answer(Database& db);

 private:
  using Clock = std::chrono::steady_clock;
  std::mutex mutex_;
  bool asking_ = false;
  Clock::time_point askedAt_, answeredAt_;
  bool healthy_ = true;  // the service started: the database answered
  std::string why_;
};

struct Site {
  Service& service;
  std::string updateDir;  // empty: no update files
  const Metrics* metrics = nullptr;  // null: /metrics is not found, as any other path
  HealthProbe health;
};

HttpReply Respond(Site& site, const HttpHead& head, const std::string& body);

// The reply to a request the server refuses before it is read whole (a head
// that is not HTTP, too large, a body too large or chunked): for /NET/ paths a
// failure reply as the client reads it. The connection closes after it.
HttpReply Refusal(int status, const std::string& path, const std::string& why);

// The endpoint a path names, as the log and the metrics show it: the name of
// a known /NET/ endpoint ("Order"), "unknown" for any other /NET/ path,
// "update", "health", "metrics", or "other". A fixed set whatever is asked.
std::string EndpointLabel(const std::string& path);

}  // namespace tarvik::service
