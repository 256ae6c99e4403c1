// Name search over a full product table (3000 rows), contains and prefix, with
// Korean names as the catalogue holds them.
#include <benchmark/benchmark.h>

#include "catalog/ProductSearch.h"

namespace {

void Search(benchmark::State& state, const char* word, tarvik::NameMatch match) {
  static const char* const parts[] = {"브레이크 패드", "오일 필터", "에어 필터", "점화 플러그",
                                      "타이밍 벨트", "워터 펌프", "쇼크 업소버", "와이퍼 블레이드"};
  static const char* const cars[] = {"쏘나타", "아반떼", "그랜저", "싼타페", "K5", "포터"};
  std::vector<tarvik::GoodsRecord> base(tarvik::kGoodsCapacity), shown(tarvik::kGoodsCapacity);
  for (std::size_t i = 0; i < base.size(); ++i) {
    base[i].G_CODE = "P" + std::to_string(10000 + i);
    base[i].G_NAME = std::string(parts[i % 8]) + " 고급형 (" + cars[i % 6] + ") " + std::to_string(i);
    base[i].RowNo = static_cast<int>(i);
  }
  for (auto _ : state) benchmark::DoNotOptimize(tarvik::SearchNames(base, 3000, word, match, shown));
}
void BM_ContainsSearch(benchmark::State& state) { Search(state, "필터", tarvik::NameMatch::Contains); }
void BM_PrefixSearch(benchmark::State& state) { Search(state, "브레이크", tarvik::NameMatch::Prefix); }
BENCHMARK(BM_ContainsSearch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrefixSearch)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
