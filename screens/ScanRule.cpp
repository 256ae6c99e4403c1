#include "screens/ScanRule.h"

#include <algorithm>

#include "text/Text.h"

namespace tarvik {

ScanRule::Step ScanRule::Char(char32_t c, long long ms) {
  Step s;
  s.verdict = Verdict::Hold;
  // A clock that went back, or a pause longer than a scan's: what was held
  // was typed by hand.
  if (Holding() && (ms < last_ || ms - last_ > PatienceMs())) {
    s.releaseFirst = true;
    Reset();
  }
  if (Holding()) gaps_.push_back(ms - last_);
  code_ += EncodeUtf8(std::u32string(1, c));
  ++count_;
  last_ = ms;
  return s;
}

ScanRule::Step ScanRule::End(long long ms) {
  Step s;
  if (!Holding()) return s;
  const bool fast = ms >= last_ && ms - last_ <= PatienceMs() && MedianGap(ms - last_) <= timing_.medianGapMs;
  s.verdict = fast && count_ >= timing_.minChars ? Verdict::Scan : Verdict::Give;
  return s;
}

ScanRule::Step ScanRule::Other() {
  Step s;
  if (Holding()) s.verdict = Verdict::Give;
  return s;
}

int ScanRule::PatienceMs() const {
  const bool scannerFast = count_ >= 3 && MedianGap() <= timing_.medianGapMs;
  return scannerFast ? timing_.scanGapMs : timing_.holdGapMs;
}

void ScanRule::Reset() {
  code_.clear();
  count_ = 0;
  gaps_.clear();
}

long long ScanRule::MedianGap(long long end) const {
  std::vector<long long> gaps = gaps_;
  if (end >= 0) gaps.push_back(end);
  if (gaps.empty()) return 0;
  const auto middle = gaps.begin() + static_cast<long>(gaps.size() / 2);
  std::nth_element(gaps.begin(), middle, gaps.end());
  return *middle;
}

}  // namespace tarvik
