// Reading every record of an all-products reply (3000 records, about 1 MB):
// one TagValue per record, each searching from the start of the reply, against
// one ReplyReader walk.
#include <benchmark/benchmark.h>

#include "tests/bench/ProductReply.h"

namespace {

void BM_TagValuePerRecord(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t total = 0;
    for (int i = 0; i < 3000; ++i)
      total += tarvik::TagValue("G_CODE", tarvik::TagValue("RDC_" + std::to_string(i), ProductReply())).size();
    benchmark::DoNotOptimize(total);
  }
  state.counters["reply_bytes"] = static_cast<double>(ProductReply().size());
}

void BM_ReplyReader(benchmark::State& state) {
  for (auto _ : state) {
    const tarvik::ReplyReader reader(ProductReply());
    std::size_t total = 0;
    for (int i = 0; i < 3000; ++i) total += tarvik::TagValue("G_CODE", reader.Record(i)).size();
    benchmark::DoNotOptimize(total);
  }
  state.counters["reply_bytes"] = static_cast<double>(ProductReply().size());
}

BENCHMARK(BM_TagValuePerRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyReader)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
