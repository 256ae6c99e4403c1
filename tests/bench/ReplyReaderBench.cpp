// Reading every record of an all-products reply (3000 records, about 1 MB):
// one TagValue per record, each searching from the start of the reply, against
// one ReplyReader walk.
#include <benchmark/benchmark.h>

#include <string>

#include "wire/MessageFormat.h"

namespace {

constexpr int kRecords = 3000;

const std::string& Reply() {
  static const std::string reply = [] {
    using tarvik::MakeTag;
    std::string r = MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(kRecords));
    for (int i = 0; i < kRecords; ++i) {
      const std::string n = std::to_string(100000 + i);
      std::string rec;
      rec += MakeTag("G_CODE", "G" + n.substr(1));
      rec += MakeTag("G_NAME", "브레이크 패드 앞 세트 " + n + " 현대 아반떼 XD 2003~2006 순정형");
      rec += MakeTag("G_BOX", "20EA/BOX 규격 " + std::to_string(i % 40 + 1) + "mm");
      rec += MakeTag("G_BCODE", "880" + n + "123");
      rec += MakeTag("G_BCNT", std::to_string(i % 24 + 1));
      rec += MakeTag("G_GPN1", "제동장치");
      rec += MakeTag("G_GPN2", "브레이크 패드");
      rec += MakeTag("U_DATE", "240131");
      rec += MakeTag("U_COST", std::to_string(1000 + (i * 37) % 90000));
      rec += MakeTag("U_CNT", std::to_string(i % 500));
      r += MakeTag("RDC_" + std::to_string(i), rec);
    }
    return r + MakeTag("CALL_INDEX", "240131-3");
  }();
  return reply;
}

void BM_TagValuePerRecord(benchmark::State& state) {
  const std::string& reply = Reply();
  for (auto _ : state) {
    std::size_t total = 0;
    for (int i = 0; i < kRecords; ++i) {
      total += tarvik::TagValue("G_CODE", tarvik::TagValue("RDC_" + std::to_string(i), reply)).size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

void BM_ReplyReader(benchmark::State& state) {
  const std::string& reply = Reply();
  for (auto _ : state) {
    const tarvik::ReplyReader reader(reply);
    std::size_t total = 0;
    for (int i = 0; i < kRecords; ++i) total += tarvik::TagValue("G_CODE", reader.Record(i)).size();
    benchmark::DoNotOptimize(total);
  }
  state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

BENCHMARK(BM_TagValuePerRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyReader)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
