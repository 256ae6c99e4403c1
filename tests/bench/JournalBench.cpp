// One write of the basket journal with a full basket (99 lines of long names
// and notes): what each change of the basket costs, keystrokes in the note
// included. The whole file through QSaveFile (write, flush to disk, rename)
// into a temporary folder on the disk the build lives on; and the text alone.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "order/BasketJournal.h"
#include "order/OrderDraft.h"

namespace {

tarvik::OrderDraft FullBasket() {
  tarvik::OrderDraft d;
  for (int i = 0; i < tarvik::kMaxDraftLines; ++i)
    d.AddLine("P" + std::to_string(10000 + i), "브레이크 패드 고급형 (쏘나타) 앞 좌우 세트 " + std::to_string(i),
              "SET", std::to_string(i + 1), "급함 확인 후 발송");
  d.SetDeliveryDate("240301");
  d.SetNote("오전 중 배송 부탁드립니다. 도착 전에 전화 주세요.");
  return d;
}

void BM_JournalWrite(benchmark::State& state) {
  QTemporaryDir dir(QStringLiteral("journal-bench-XXXXXX"));  // below the current folder
  const tarvik::BasketJournal journal(dir.path().toStdString(), "S00001", "C00001");
  tarvik::OrderDraft d = FullBasket();
  int n = 0;
  for (auto _ : state) {
    d.SetNote("note " + std::to_string(++n));  // as a keystroke in the note does
    if (!journal.Save(d)) state.SkipWithError("the journal could not be written");
  }
  state.counters["bytes"] = static_cast<double>(journal.Text(d, "2024-01-31T09:30:00").size());
}
void BM_JournalText(benchmark::State& state) {
  const tarvik::BasketJournal journal("/nonexistent", "S00001", "C00001");
  const tarvik::OrderDraft d = FullBasket();
  for (auto _ : state) benchmark::DoNotOptimize(journal.Text(d, "2024-01-31T09:30:00"));
}
BENCHMARK(BM_JournalWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JournalText)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
