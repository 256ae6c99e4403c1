// The catalogue build of 3000 products from a ~1 MB reply, beside the cost of
// taking each record out with a TagValue search from the start.
//   build/tests/bench/CatalogBench
#include <benchmark/benchmark.h>

#include "catalog/CatalogLoader.h"
#include "tests/bench/ProductReply.h"

namespace {

using namespace tarvik;

void BM_CatalogBuild(benchmark::State& state) {
  std::vector<GoodsRecord> goods(kGoodsCapacity);
  std::vector<std::string> majors(kMajorCapacity);
  std::vector<CategoryPair> pairs(kGroupCapacity);
  int majorCount = 0, pairCount = 0;
  for (auto _ : state) {
    majorCount = 99, pairCount = 999;
    BuildGoodsTables(ProductReply(), 3000, {goods, majors, majorCount, pairs, pairCount}, nullptr);
    benchmark::DoNotOptimize(goods[2999].G_CODE.data());
  }
  state.counters["reply_bytes"] = static_cast<double>(ProductReply().size());
  state.counters["pairs"] = pairCount;
}

// The same rows filled with each record found by a search from the start.
void BM_PerRecordTagValue(benchmark::State& state) {
  static const std::pair<std::string GoodsRecord::*, const char*> fields[] = {
      {&GoodsRecord::G_CODE, "G_CODE"}, {&GoodsRecord::G_NAME, "G_NAME"}, {&GoodsRecord::G_BOX, "G_BOX"},
      {&GoodsRecord::G_BCODE, "G_BCODE"}, {&GoodsRecord::G_BCNT, "G_BCNT"}, {&GoodsRecord::G_GPN1, "G_GPN1"},
      {&GoodsRecord::G_GPN2, "G_GPN2"}, {&GoodsRecord::U_DATE, "U_DATE"}, {&GoodsRecord::U_COST, "U_COST"},
      {&GoodsRecord::U_CNT, "U_CNT"}};
  std::vector<GoodsRecord> goods(kGoodsCapacity);
  for (auto _ : state) {
    for (int i = 0; i < 3000; ++i) {
      const std::string r = TagValue("RDC_" + std::to_string(i), ProductReply());
      GoodsRecord& g = goods[static_cast<std::size_t>(i)];
      for (const auto& [field, name] : fields) g.*field = TagValue(name, r);
      g.RowNo = i;
    }
    benchmark::DoNotOptimize(goods[2999].G_CODE.data());
  }
}

BENCHMARK(BM_CatalogBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PerRecordTagValue)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
