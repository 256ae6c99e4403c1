// The gaps between the keys of a barcode scan as the program sees them: it
// shows a text box, has xdotool type a code and Return into it with --delay
// 1 to 20 (its keys come half the delay apart: 1 to 10 ms, as scanners send
// them; 12 is xdotool's default), reads the window system's time of every
// key and prints, per delay, the gaps (median, 99th
// percentile, largest), each burst's average gap and how many bursts
// ScanRule takes for scans. Needs an X display and xdotool:
//   xvfb-run -a build/tests/bench/ScanGapProbe [bursts per delay, 40]
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "screens/ScanRule.h"

namespace {

struct Burst {
  std::vector<long long> times;  // of the code's keys, then of Return
};

class Recorder : public QObject {
 public:
  std::vector<Burst> bursts{1};

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || !o->isWidgetType()) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    bursts.back().times.push_back(static_cast<long long>(k->timestamp()));
    if (k->key() == Qt::Key_Return) bursts.emplace_back();
    return true;
  }
};

// Whether ScanRule with timing takes the burst for one whole scan (no key of
// it given back as typing on the way).
bool WholeScan(const Burst& b, const tarvik::ScanTiming& timing) {
  tarvik::ScanRule rule(timing);
  bool whole = true;
  for (std::size_t i = 0; i + 1 < b.times.size(); ++i) whole = !rule.Char(U'0', b.times[i]).releaseFirst && whole;
  return whole && rule.End(b.times.back()).verdict == tarvik::ScanRule::Verdict::Scan;
}

void Report(int delay, const std::vector<Burst>& bursts) {
  std::vector<long long> gaps;
  double worstMean = 0;
  int scans = 0, scansIfSlower = 0;
  tarvik::ScanTiming slower;  // what a longer wait for the first keys would take
  slower.holdGapMs = 150;
  for (const Burst& b : bursts) {
    if (b.times.size() < 2) continue;
    scans += WholeScan(b, tarvik::ScanTiming()) ? 1 : 0;
    scansIfSlower += WholeScan(b, slower) ? 1 : 0;
    for (std::size_t i = 1; i < b.times.size(); ++i) gaps.push_back(b.times[i] - b.times[i - 1]);
    const double mean = double(b.times.back() - b.times.front()) / double(b.times.size() - 1);
    worstMean = std::max(worstMean, mean);
  }
  if (gaps.empty()) return;
  std::sort(gaps.begin(), gaps.end());
  auto at = [&](double q) { return gaps[std::min(gaps.size() - 1, std::size_t(q * double(gaps.size())))]; };
  std::printf("delay %2d ms: gaps median %lld, 99%% %lld, largest %lld ms; worst average %.1f ms; scans %d of %zu"
              " (%d waiting 150 ms)\n",
              delay, at(0.5), at(0.99), gaps.back(), worstMean, scans, bursts.size(), scansIfSlower);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int perDelay = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  Recorder recorder;
  app.installEventFilter(&recorder);
  QLineEdit box;
  box.setWindowTitle(QStringLiteral("ScanGapProbe"));
  box.show();
  box.activateWindow();
  QTimer::singleShot(500, [&] {
    for (int delay : {1, 3, 5, 8, 10, 12, 20}) {
      recorder.bursts.assign(1, Burst());
      for (int i = 0; i < perDelay; ++i) {
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                                      QString::number(delay), QStringLiteral("8801230000264\r")});
        QApplication::processEvents();
      }
      QApplication::processEvents();
      recorder.bursts.pop_back();  // the one begun after the last Return
      Report(delay, recorder.bursts);
    }
    QApplication::quit();
  });
  return app.exec();
}
