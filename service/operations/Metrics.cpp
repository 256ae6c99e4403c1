#include "service/operations/Metrics.h"

#include <prometheus/client_metric.h>
#include <prometheus/collectable.h>
#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/metric_family.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

#include "protocol/CommandTable.h"

namespace tarvik::service {

namespace {

// Counts that live elsewhere (the reactor, the database pool), sampled at
// each scrape rather than copied on every change.
class Sampled : public prometheus::Collectable {
 public:
  explicit Sampled(Metrics::Sources sources) : sources_(std::move(sources)) {}

  std::vector<prometheus::MetricFamily> Collect() const override {
    return {One("tarvik_connections_open", "Connections open now.", prometheus::MetricType::Gauge,
                sources_.openConnections),
            One("tarvik_connections_refused_total",
                "Connections closed at once because a connection limit was reached.",
                prometheus::MetricType::Counter, sources_.refusedConnections),
            One("tarvik_database_errors_total",
                "Database statements that failed and connections that could not be opened.",
                prometheus::MetricType::Counter, sources_.databaseErrors)};
  }

 private:
  static prometheus::MetricFamily One(const std::string& name, const std::string& help,
                                      prometheus::MetricType type,
                                      const std::function<std::uint64_t()>& read) {
    prometheus::ClientMetric m;
    const double value = read ? static_cast<double>(read()) : 0;
    if (type == prometheus::MetricType::Gauge)
      m.gauge.value = value;
    else
      m.counter.value = value;
    return {name, help, type, {m}};
  }

  Metrics::Sources sources_;
};

}  // namespace

struct Metrics::Families {
  explicit Families(Sources sources) : sampled(std::move(sources)) {}
  prometheus::Registry registry;
  Sampled sampled;
  prometheus::Family<prometheus::Counter>& requests =
      prometheus::BuildCounter()
          .Name("tarvik_requests_total")
          .Help("Requests answered, by endpoint, command, HTTP status and RESULT_CODE.")
          .Register(registry);
  prometheus::Family<prometheus::Histogram>& durations =
      prometheus::BuildHistogram()
          .Name("tarvik_request_duration_seconds")
          .Help("Time from a request read whole to its reply ready, by endpoint.")
          .Register(registry);
  prometheus::Family<prometheus::Counter>& cache =
      prometheus::BuildCounter()
          .Name("tarvik_reply_cache_total")
          .Help("Catalogue reads looked up in the reply cache, by outcome (hit, miss).")
          .Register(registry);
  prometheus::Counter& cacheHits = cache.Add({{"outcome", "hit"}});
  prometheus::Counter& cacheMisses = cache.Add({{"outcome", "miss"}});
  prometheus::Counter& ordersSaved =
      prometheus::BuildCounter()
          .Name("tarvik_orders_saved_total")
          .Help(std::string("Orders saved and acknowledged (command ") + protocol::kOrderSave.code + ").")
          .Register(registry)
          .Add({});
};

Metrics::Metrics(Sources sources) : families_(std::make_unique<Families>(std::move(sources))) {}

Metrics::~Metrics() = default;

void Metrics::Count(const ReplyFacts& facts, int status, double seconds) {
  Families& f = *families_;
  const std::string endpoint = facts.endpoint.empty() ? "other" : facts.endpoint;
  f.requests
      .Add({{"endpoint", endpoint},
            {"command", facts.command},
            {"status", std::to_string(status)},
            {"result", facts.result}})
      .Increment();
  // From 1 ms (a cached catalogue read) to 10 s (past every request deadline).
  static const prometheus::Histogram::BucketBoundaries kBuckets = {
      0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
  f.durations.Add({{"endpoint", endpoint}}, kBuckets).Observe(seconds);
  if (facts.cache == ReplyFacts::Cache::kHit) f.cacheHits.Increment();
  if (facts.cache == ReplyFacts::Cache::kMiss) f.cacheMisses.Increment();
  if (facts.orderSaved) f.ordersSaved.Increment();
}

std::string Metrics::Text() const {
  auto all = families_->registry.Collect();
  auto sampled = families_->sampled.Collect();
  all.insert(all.end(), sampled.begin(), sampled.end());
  return prometheus::TextSerializer().Serialize(all);
}

}  // namespace tarvik::service
