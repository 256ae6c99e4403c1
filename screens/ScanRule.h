#pragma once
// A barcode scanner types its code as keys, far faster than a person types,
// and ends it with Enter or Tab. ScanRule tells such a burst from typing by
// the times of the keys alone (milliseconds of any one clock), so that the
// keys of a possible scan can be held back until it is known what they are:
// a scan never types into a field and its Enter never confirms a dialog.
#include <string>
#include <vector>

namespace tarvik {

struct ScanTiming {
  // The longest pause after the first keys of what may be a scan: a key typed
  // by hand waits at most this long before it reaches its field.
  int holdGapMs = 80;
  // The longest pause inside a burst already as fast as a scanner (three
  // keys or more, their middle gap at most medianGapMs): scanners send their
  // keys 1-10 ms apart, but a loaded PC delivers single gaps of up to 250 ms
  // (tests/bench/ScanGapProbe).
  int scanGapMs = 300;
  // The longest middle (median) gap of a scan, its Enter included: scanners
  // send their keys 1-8 ms apart; a person rarely types two keys under 40 ms
  // apart, and keys typed by a tool at its usual pace (xdotool: 12 ms) are
  // typing too. The median, not the mean, so that a single stall of a busy
  // PC inside a scan does not make it typing.
  int medianGapMs = 10;
  // The fewest characters of a scan (EAN-8 has 8, a product code 6).
  int minChars = 4;
};

class ScanRule {
 public:
  explicit ScanRule(ScanTiming timing = ScanTiming()) : timing_(timing) {}

  enum class Verdict {
    Pass,  // nothing was held; the key goes its way
    Hold,  // hold this key back (after giving back what was held, when releaseFirst)
    Give,  // give the held keys back, in order, then let this key go its way
    Scan   // the held keys were a scan (Code()); this key ends it and goes nowhere
  };
  struct Step {
    Verdict verdict = Verdict::Pass;
    bool releaseFirst = false;  // Hold: the keys held before are typing, given back first
  };

  // A printable character typed at ms.
  Step Char(char32_t c, long long ms);
  // Enter or Tab at ms.
  Step End(long long ms);
  // Any other key: what is held is typing.
  Step Other();
  // Drops what is held (it was given back or taken as a scan).
  void Reset();

  bool Holding() const { return count_ > 0; }
  // How long the keys held may wait for the next: holdGapMs, or scanGapMs
  // once they are as fast as a scanner's.
  int PatienceMs() const;
  // The code of the burst held, UTF-8.
  const std::string& Code() const { return code_; }

 private:
  // The middle of the gaps so far, with end (the gap to the end key) when >= 0.
  long long MedianGap(long long end = -1) const;

  ScanTiming timing_;
  std::string code_;
  int count_ = 0;
  long long last_ = 0;
  std::vector<long long> gaps_;  // between the keys held
};

}  // namespace tarvik
