#include "screens/ScanRule.h"

#include "wire/Text.h"

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
  if (!Holding()) first_ = ms;
  code_ += EncodeUtf8(std::u32string(1, c));
  ++count_;
  last_ = ms;
  return s;
}

ScanRule::Step ScanRule::End(long long ms) {
  Step s;
  if (!Holding()) return s;
  const long long span = ms - first_;
  const bool fast = ms >= last_ && ms - last_ <= PatienceMs() &&
                    span <= static_cast<long long>(timing_.meanGapMs) * count_;
  s.verdict = fast && count_ >= timing_.minChars ? Verdict::Scan : Verdict::Give;
  return s;
}

ScanRule::Step ScanRule::Other() {
  Step s;
  if (Holding()) s.verdict = Verdict::Give;
  return s;
}

int ScanRule::PatienceMs() const {
  const bool scannerFast = count_ >= 3 && last_ - first_ <= static_cast<long long>(timing_.meanGapMs) * (count_ - 1);
  return scannerFast ? timing_.scanGapMs : timing_.holdGapMs;
}

void ScanRule::Reset() {
  code_.clear();
  count_ = 0;
}

}  // namespace tarvik
