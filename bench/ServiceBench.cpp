// The reference service on loopback, driven by the client's request functions:
// order saves per second and all-products replies (2516 records) per second,
// by one client and by several at once.
//   build/bench/ServiceBench --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include "net/HC.h"
#include "net/MessageFormat.h"
#include "tests/support/ServiceFixture.h"

namespace {

tarvik::test::ServiceProcess& Service() {
  static tarvik::test::ServiceProcess service;  // demo data; stopped at exit
  return service;
}

std::string OrderBody() {
  using tarvik::MakeTag;
  const std::string head = MakeTag("OH_CODE", "") + MakeTag("OH_SD", "") + MakeTag("OH_AT", "") +
                           MakeTag("OH_MT", "") + MakeTag("OH_MCOUNT", "1") +
                           MakeTag("OH_DD", "") + MakeTag("OH_CC", "C00001") +
                           MakeTag("OH_TYPE", "C") + MakeTag("OH_IOG", "A") +
                           MakeTag("OH_SG", "0") + MakeTag("OH_SCODE", "") +
                           MakeTag("OH_RCOUNT", "10") + MakeTag("OH_NOTE", "벤치마크 주문");
  std::string lines;
  for (int i = 0; i < 10; ++i) {
    lines += MakeTag("OLD_" + std::to_string(i),
                     MakeTag("OL_NO", std::to_string(i)) + MakeTag("OL_CC", "C00001") +
                         MakeTag("OL_OC", "") + MakeTag("OL_GC", "P0" + std::to_string(1100 + i)) +
                         MakeTag("OL_GN", "") + MakeTag("OL_GBOX", "") + MakeTag("OL_LC", "3") +
                         MakeTag("OL_LN", ""));
  }
  return MakeTag("ORDERH_DATA", head) + MakeTag("ORDERL_DATA", lines);
}

void BM_OrderSave(benchmark::State& state) {
  if (!Service().Running()) {
    state.SkipWithError("the service did not start");
    return;
  }
  const std::string body = OrderBody();
  for (auto _ : state) {
    const std::string reply = tarvik::RequestOrderSave("S00001", body);
    if (tarvik::TagValue("RESULT_CODE", reply) != "1") {
      state.SkipWithError("order refused");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OrderSave)->Threads(1)->Threads(4)->UseRealTime();

void BM_AllProducts(benchmark::State& state) {
  if (!Service().Running()) {
    state.SkipWithError("the service did not start");
    return;
  }
  const std::string elements =
      tarvik::MakeTag("C_CODE", "C00001") + tarvik::MakeTag("LIKE_FIELD", "G_NAME") +
      tarvik::MakeTag("LIKE_KEY", "%") +
      tarvik::MakeTag("ORDERBY", "G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC");
  for (auto _ : state) {
    const std::string reply = tarvik::RequestGoods("S00001", elements);
    if (tarvik::TagInt("RESULT_RECORD_COUNT", reply) != 2516) {
      state.SkipWithError("short reply");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AllProducts)->Threads(1)->Threads(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
