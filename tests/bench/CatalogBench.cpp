// The catalogue build of 3000 products from a ~1 MB reply, beside the cost of
// taking each record out with a TagValue search from the start.
//   build/tests/bench/CatalogBench
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalog/CatalogLoader.h"
#include "wire/MessageFormat.h"

namespace {

using namespace tarvik;

const std::string& Reply() {
  static const std::string reply = [] {
    const char* const majors[] = {"엔진부품", "제동장치", "전기장치", "냉각장치", "조향장치", "현가장치",
                                  "배기장치", "필터류", "오일류", "차체부품"};
    std::string body;
    for (int i = 0; i < 3000; ++i) {
      const std::string n = std::to_string(i);
      const int major = i / 300, minor = (i / 30) % 10;
      body += MakeTag("RDC_" + n,
                      MakeTag("G_CODE", "P" + std::string(5 - std::min<std::size_t>(5, n.size()), '0') + n) +
                          MakeTag("G_NAME", "브레이크 패드 앞 좌우 세트 (쏘나타 YF 2.0 가솔린) 순정형 " + n) +
                          MakeTag("G_BOX", "SET") + MakeTag("G_BCODE", "8801234" + n) +
                          MakeTag("G_BCNT", "10") + MakeTag("G_GPN1", majors[major]) +
                          MakeTag("G_GPN2", std::string(majors[major]) + " 소분류 " + std::to_string(minor)) +
                          MakeTag("U_DATE", "240131") + MakeTag("U_COST", "125000") +
                          MakeTag("U_CNT", "4"));
    }
    return MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", "3000") + body +
           MakeTag("CALL_INDEX", "240131-3");
  }();
  return reply;
}

struct Tables {
  std::vector<GoodsRecord> goods = std::vector<GoodsRecord>(kGoodsCapacity);
  std::vector<std::string> majors = std::vector<std::string>(kMajorCapacity);
  std::vector<CategoryPair> pairs = std::vector<CategoryPair>(kGroupCapacity);
  int majorCount = 99, pairCount = 999;
};

void BM_CatalogBuild(benchmark::State& state) {
  const std::string& reply = Reply();
  Tables t;
  for (auto _ : state) {
    t.majorCount = 99;
    t.pairCount = 999;
    BuildGoodsTables(reply, 3000, {t.goods, t.majors, t.majorCount, t.pairs, t.pairCount}, nullptr);
    benchmark::DoNotOptimize(t.goods[2999].G_CODE.data());
  }
  state.counters["reply_bytes"] = static_cast<double>(reply.size());
  state.counters["pairs"] = t.pairCount;
}

// The same rows filled with each record found by a search from the start.
void BM_PerRecordTagValue(benchmark::State& state) {
  const std::string& reply = Reply();
  Tables t;
  for (auto _ : state) {
    for (int i = 0; i < 3000; ++i) {
      const std::string record = TagValue("RDC_" + std::to_string(i), reply);
      GoodsRecord& g = t.goods[static_cast<std::size_t>(i)];
      g.G_CODE = TagValue("G_CODE", record);
      g.G_NAME = TagValue("G_NAME", record);
      g.G_BOX = TagValue("G_BOX", record);
      g.G_BCODE = TagValue("G_BCODE", record);
      g.G_BCNT = TagValue("G_BCNT", record);
      g.G_GPN1 = TagValue("G_GPN1", record);
      g.G_GPN2 = TagValue("G_GPN2", record);
      g.U_DATE = TagValue("U_DATE", record);
      g.U_COST = TagValue("U_COST", record);
      g.U_CNT = TagValue("U_CNT", record);
      g.RowNo = i;
    }
    benchmark::DoNotOptimize(t.goods[2999].G_CODE.data());
  }
}

BENCHMARK(BM_CatalogBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PerRecordTagValue)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
