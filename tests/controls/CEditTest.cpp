// The numeric edit: its rules fed key by key, and the widget under QTest keys.
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

#include "controls/CEdit.h"

namespace tarvik { namespace {

// Keys as typed, and three non-characters: a cursor key, "type over a selection" and leaving the field.
constexpr char kArrow = '\x01', kSelect = '\x02', kLeave = '\x03';
void Type(CEditRules& r, const std::string& keys) {
  bool selected = false;
  for (char c : keys) {
    if (c == kArrow) {
      EXPECT_FALSE(r.KeyDown(false, false));
    } else if (c == kLeave) {
      r.Leave();
    } else if (c == kSelect) {
      selected = true;
    } else {
      r.KeyDown(true, selected);
      selected = false;
      r.KeyPress(static_cast<unsigned char>(c));
    }
  }
}

enum class Kind { Plain, Quantity, PointOnly };
CEditRules Make(Kind s) {
  CEditRules r;
  r.SetCurrencyPoint(s != Kind::Plain);
  if (s == Kind::Quantity) {  // the quantity field's setup
    r.SetCurrencyNegative(true);
    r.SetCurrencySetdigit(2);
    r.SetMaxLength(4);
  }
  return r;
}

TEST(CEditRules, TypedKeys) {
  const double any = std::nan("");
  const std::string a(1, kArrow), sel(1, kSelect), leave(1, kLeave);
  // raw and shown: nullptr, value: NaN when not looked at.
  const struct { const char* what; Kind kind; std::string keys; const char* raw, *shown; double value; } cases[] = {
      {"thousands", Kind::Plain, "1234", "1234", "1,234", 1234},
      {"leading zeros kept", Kind::Plain, "007", nullptr, "007", 7},
      {"letters and a minus without CurrencyNegative", Kind::Plain, "-a1x.2", "12", nullptr, any},
      {"minus alone", Kind::Quantity, "-", nullptr, "-", 0},
      {"minus only first", Kind::Quantity, "-1234-", "-1234", "-1,234", -1234},
      {"two digits after the point", Kind::Quantity, "12.567", nullptr, "12.56", any},
      {"a second point", Kind::Quantity, "12.567.", "12.56", nullptr, 12.56},
      {"backspace after the point", Kind::Quantity, "12.5\b", "12.", nullptr, any},
      {"digits after backspace", Kind::Quantity, "12.5\b.345", "12.34", nullptr, any},
      {"backspace over the point", Kind::Quantity, "12.5\b.345\b\b\b.", "12.", nullptr, any},
      {"point without decimal digits", Kind::PointOnly, "12.5", nullptr, "12.", any},
      {"point first", Kind::Quantity, ".", nullptr, nullptr, 0},
      {"point first, then a digit", Kind::Quantity, ".5", nullptr, nullptr, 0.5},
      {"length: MaxLength + decimals + 1", Kind::Quantity, "123456789", "1234567", "1,234,567", any},
      {"backspace at the length limit", Kind::Quantity, "123456789\b", "123456", nullptr, any},
      {"arrow drops the dangling point", Kind::Quantity, "12." + a, "12.", "12", any},
      {"typing on after the arrow", Kind::Quantity, "12." + a + "5", nullptr, "12.5", any},
      {"arrow drops a zero decimal", Kind::Quantity, "3.0" + a, nullptr, "3", any},
      {"typing over a selection", Kind::Quantity, "99" + sel + "4", nullptr, "4", any},
      {"leaving drops the dangling point", Kind::Quantity, "12." + leave, "12.", "12", 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CEditRules r = Make(c.kind);
    Type(r, c.keys);
    EXPECT_TRUE(!c.raw || r.RawText() == c.raw) << r.RawText();
    EXPECT_TRUE(!c.shown || r.Shown() == c.shown) << r.Shown();
    EXPECT_TRUE(std::isnan(c.value) || r.Value() == c.value) << r.Value();
    EXPECT_TRUE(c.keys != "3.0" + a || r.DisplayText() == "3.0");  // what the field holds stays
  }
}

TEST(CEditRules, WritingValueAndCurrencySign) {
  CEditRules r = Make(Kind::Quantity);
  r.SetValue(-1234.5);
  EXPECT_EQ(r.Shown(), "-1,234.5");
  r.SetValue(0);
  EXPECT_EQ(r.Shown() + "|" + r.RawText(), "|");
  r.SetValue(2.5);
  EXPECT_EQ(r.RawText(), "2.5");
  r.SetCurrencyPoint(false);  // the decimal part is no longer shown
  EXPECT_EQ(r.Shown(), "2");
  // Regression: 16 keypad digits made the raw text "1e+15", shown as "1e,+15".
  r.SetValue(1e15);
  EXPECT_EQ(r.RawText(), "1000000000000000");
  EXPECT_EQ(r.Shown(), "1,000,000,000,000,000");
  EXPECT_EQ(r.Value(), 1e15);

  CEditRules money;
  money.SetCurrencySign(true);
  money.SetCurrencySignChar(U'₩');
  EXPECT_EQ(money.Shown(), "₩");
  money.SetValue(1500);
  EXPECT_EQ(money.Shown(), "₩1,500");
  money.SetCurrencySignChar(0);
  EXPECT_EQ(money.Shown(), "1,500");
}

TEST(TCEdit, KeysOnTheWidget) {
  TCEdit e;
  e.Rules() = Make(Kind::Quantity);
  e.setMaxLength(4);
  e.show();
  e.activateWindow();
  e.setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
  EXPECT_EQ(e.alignment() & Qt::AlignRight, Qt::AlignRight);
  QTest::keyClicks(&e, "-12345");
  EXPECT_EQ(e.text(), "-12,345");  // longer than MaxLength as shown, not cut
  EXPECT_EQ(e.Value(), -12345);
  for (Qt::Key k : {Qt::Key_Left, Qt::Key_Delete, Qt::Key_Home}) QTest::keyClick(&e, k);
  EXPECT_EQ(e.text(), "-12,345");
  EXPECT_EQ(e.cursorPosition(), e.text().size());
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.text(), "-1,234");
  QTest::keyClick(&e, Qt::Key_Period, Qt::KeypadModifier);
  QTest::keyClick(&e, Qt::Key_7, Qt::KeypadModifier);
  EXPECT_EQ(e.text(), "-1,234.7");
  e.selectAll();
  QTest::keyClicks(&e, "8");
  EXPECT_EQ(e.text(), "8");
  // Pasting and typing into a read-only field change nothing.
  e.SetValue(42);
  QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(e.text(), "42");
  e.setReadOnly(true);
  QTest::keyClicks(&e, "7");
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.text(), "42");
  EXPECT_EQ(e.Value(), 42);
}

}}  // namespace tarvik
