// A barcode scan told from typing by the keys' times, and the filter that keeps a scan from any control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/QtText.h"
#include "screens/ScanGate.h"

namespace tarvik { namespace {

// Timed keys ("\r" Enter, "\t" Tab, "#" another key) to a scan's code (or none) and the held keys' give-backs.
struct Outcome { std::string scan; int givenBack = 0; };

Outcome Feed(const std::vector<std::pair<std::string, long long>>& keys) {
  ScanRule rule;
  Outcome o;
  for (const auto& [k, ms] : keys) {
    ScanRule::Step s;
    if (k == "\r" || k == "\t")
      s = rule.End(ms);
    else if (k == "#")
      s = rule.Other();
    else
      s = rule.Char(static_cast<char32_t>(k[0]), ms);
    if (s.releaseFirst || s.verdict == ScanRule::Verdict::Give) ++o.givenBack;
    if (s.verdict == ScanRule::Verdict::Scan) o.scan = rule.Code();
    if (s.verdict == ScanRule::Verdict::Give || s.verdict == ScanRule::Verdict::Scan) rule.Reset();
  }
  return o;
}

// code typed gap ms apart from start, then end after endGap.
std::vector<std::pair<std::string, long long>> Keys(const std::string& code, std::vector<long long> gaps,
                                                    const std::string& end = "\r", long long endGap = 3) {
  std::vector<std::pair<std::string, long long>> keys;
  long long t = 1000;
  for (std::size_t i = 0; i < code.size(); ++i) {
    t += gaps[std::min(i, gaps.size() - 1)];
    keys.push_back({std::string(1, code[i]), t});
  }
  if (!end.empty()) keys.push_back({end, t + endGap});
  return keys;
}

// Measured with xdotool into Xvfb (tests/bench/ScanGapProbe): gaps of 1-10 ms, single ones up to 246 ms.
TEST(ScanRule, ABurstFasterThanAPersonTypesEndedByEnterOrTabIsAScan) {
  const std::string code = "8801230000264";
  using Keyed = std::vector<std::pair<std::string, long long>>;
  const struct { const char* what; Keyed keys; std::string scan; int givenBack; } cases[] = {
      {"3 ms apart", Keys(code, {3}), code, 0},
      {"ended by Tab", Keys(code, {3}, "\t"), code, 0},
      {"5 ms apart with one gap of 246 ms", Keys(code, {5, 5, 5, 5, 246, 5}), code, 0},
      {"a person, 60 ms apart", Keys("1234", {60}, "\r", 60), "", 1},
      {"a tool typing 30 ms apart (xdotool --delay 60)", Keys("1234", {30}, "\r", 30), "", 1},
      {"a tool at its usual pace, 12 ms apart (xdotool)", Keys("SHOP1234", {12}, "\t", 25), "", 1},
      {"a person's quick pair, then a pause", Keys("1234", {20, 20, 90, 20}, "\r", 20), "", 2},
      {"fast but three keys", Keys("123", {3}), "", 1},
      {"a pause before Enter", Keys(code, {3}, "\r", 310), "", 1},
      {"a pause inside: typing, then a new burst", Keys("12345678", {3, 3, 3, 310, 3}, ""), "", 1},
      {"another key inside", Keys("1234#567", {3}), "", 2},
      {"a clock that went back", {{"1", 500}, {"2", 400}, {"3", 403}, {"4", 406}, {"5", 409}, {"\r", 412}},
       "2345", 1},
  };
  for (const auto& c : cases) {
    const Outcome o = Feed(c.keys);
    EXPECT_EQ(o.scan, c.scan) << c.what;
    EXPECT_EQ(o.givenBack, c.givenBack) << c.what;
  }
}

// Window-system keys gap ms apart with their times, as X11 and Windows give them; "\r" is Enter.
void Send(QWidget* to, const std::string& keys, unsigned long gap, unsigned long& t) {
  for (char c : keys) {
    t += gap;
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent e(type, c == '\r' ? int(Qt::Key_Return) : c, Qt::NoModifier, QString(QChar(c)));
      e.setTimestamp(t);
      QApplication::sendEvent(to, &e);
    }
  }
}

TEST(ScanGate, AScanNeverReachesTheControlAndTypingComesThroughInOrder) {
  std::vector<std::string> scans;
  std::vector<QWidget*> windows;
  ScanGate gate(nullptr, [&](const std::string& code, QWidget* w) {
    scans.push_back(code);
    windows.push_back(w);
  });
  QDialog dlg;
  auto* edit = new QLineEdit(&dlg);
  ScanGate::RefuseScans(edit);  // as a quantity field
  auto* ok = new QPushButton(QStringLiteral("확인"), &dlg);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  dlg.show();
  edit->setFocus();
  unsigned long t = 5000;
  Send(edit, "8801230000264\r", 3, t);
  QApplication::processEvents();
  EXPECT_EQ(scans, std::vector<std::string>{"8801230000264"});
  EXPECT_EQ(windows, std::vector<QWidget*>{&dlg});
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_TRUE(dlg.isVisible());  // its default button was not pressed

  // A person's keys are held until shown to be no scan, then given back in order; the program's own pass.
  Send(edit, "12", 150, t);
  QTest::keyClicks(edit, "ab");
  EXPECT_EQ(S(edit->text()), "12ab");
  Send(edit, "3", 150, t);
  EXPECT_EQ(S(edit->text()), "12ab");
  QTest::qWait(ScanTiming().holdGapMs + 50);  // a pause: typed after all
  EXPECT_EQ(S(edit->text()), "12ab3");
  Send(edit, "4", 150, t);
  QTest::mouseClick(edit, Qt::LeftButton);  // a click right after: the key first
  EXPECT_EQ(S(edit->text()), "12ab34");
  Send(edit, "\r", 150, t);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(scans.size(), 1u);

  // A dialog's ordinary text field takes a code typed at a scanner's pace, Enter included.
  QDialog search;
  auto* field = new QLineEdit(QStringLiteral("피스"), &search);
  int entered = 0;
  QObject::connect(field, &QLineEdit::returnPressed, [&] { ++entered; });
  search.show();
  field->setFocus();
  Send(field, "KMHD341CBHU12345\r", 3, t);
  EXPECT_EQ(S(field->text()), "KMHD341CBHU12345");
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(scans.size(), 1u);
}

}}  // namespace tarvik
