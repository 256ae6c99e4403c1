#include <QTest>

#include <gtest/gtest.h>

#include "controls/CEdit.h"

namespace tarvik {
namespace {

void Type(CEditRules& r, const std::string& keys) {
  for (char c : keys) {
    r.KeyDown(true, false);
    r.KeyPress(static_cast<unsigned char>(c));
  }
}

// The quantity field's setup.
CEditRules Quantity() {
  CEditRules r;
  r.SetCurrencyPoint(true);
  r.SetCurrencyNegative(true);
  r.SetCurrencySetdigit(2);
  r.SetMaxLength(4);
  return r;
}

TEST(CEditRules, GroupsThousandsAndReadsTheValue) {
  CEditRules r;
  Type(r, "1234");
  EXPECT_EQ(r.Shown(), "1,234");
  EXPECT_EQ(r.Value(), 1234);
  Type(r, "5");
  EXPECT_EQ(r.Shown(), "12,345");
  Type(r, "6789");
  EXPECT_EQ(r.Shown(), "123,456,789");
  CEditRules z;
  Type(z, "007");
  EXPECT_EQ(z.Shown(), "007");
  EXPECT_EQ(z.Value(), 7);
  // Letters and a minus without CurrencyNegative never enter.
  CEditRules plain;
  Type(plain, "-a1x.2");
  EXPECT_EQ(plain.RawText(), "12");
}

TEST(CEditRules, MinusOnlyFirstAndOnlyWhenAllowed) {
  CEditRules r = Quantity();
  Type(r, "-");
  EXPECT_EQ(r.Shown(), "-");
  EXPECT_EQ(r.Value(), 0);
  Type(r, "1234-");
  EXPECT_EQ(r.RawText(), "-1234");
  EXPECT_EQ(r.Shown(), "-1,234");
  EXPECT_EQ(r.Value(), -1234);
}

TEST(CEditRules, DecimalPointAndDigitsAfterIt) {
  CEditRules r = Quantity();
  Type(r, "12.567");
  EXPECT_EQ(r.Shown(), "12.56");
  Type(r, ".");
  EXPECT_EQ(r.RawText(), "12.56");
  EXPECT_DOUBLE_EQ(r.Value(), 12.56);

  // Backspace frees the place after the point, and after the point itself.
  CEditRules b = Quantity();
  Type(b, "12.5\b");
  EXPECT_EQ(b.RawText(), "12.");
  Type(b, ".");
  EXPECT_EQ(b.RawText(), "12.");
  Type(b, "345");
  EXPECT_EQ(b.RawText(), "12.34");
  Type(b, "\b\b\b.");
  EXPECT_EQ(b.RawText(), "12.");

  CEditRules noDigits;
  noDigits.SetCurrencyPoint(true);
  Type(noDigits, "12.5");
  EXPECT_EQ(noDigits.Shown(), "12.");

  // A point typed first reads as 0.
  CEditRules first = Quantity();
  Type(first, ".");
  EXPECT_EQ(first.Value(), 0);
  Type(first, "5");
  EXPECT_DOUBLE_EQ(first.Value(), 0.5);
}

TEST(CEditRules, LengthLimitIsMaxLengthPlusDecimalsPlusOne) {
  CEditRules r = Quantity();
  Type(r, "123456789");
  EXPECT_EQ(r.RawText(), "1234567");
  EXPECT_EQ(r.Shown(), "1,234,567");
  Type(r, "\b");
  EXPECT_EQ(r.RawText(), "123456");
}

TEST(CEditRules, WritingValueAndCurrencySign) {
  CEditRules r = Quantity();
  r.SetValue(-1234.5);
  EXPECT_EQ(r.Shown(), "-1,234.5");
  r.SetValue(0);
  EXPECT_EQ(r.Shown(), "");
  EXPECT_EQ(r.RawText(), "");
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

TEST(CEditRules, SwallowedKeysSelectionAndLeaving) {
  CEditRules r = Quantity();
  Type(r, "12.");
  EXPECT_FALSE(r.KeyDown(false, false));  // an arrow key: the dangling point goes
  EXPECT_EQ(r.Shown(), "12");
  EXPECT_EQ(r.RawText(), "12.");
  Type(r, "5");
  EXPECT_EQ(r.Shown(), "12.5");

  CEditRules zero = Quantity();
  Type(zero, "3.0");
  zero.KeyDown(false, false);
  EXPECT_EQ(zero.Shown(), "3");
  EXPECT_EQ(zero.DisplayText(), "3.0");

  // Typing over a selection starts a new number.
  CEditRules sel = Quantity();
  Type(sel, "99");
  sel.KeyDown(true, true);
  sel.KeyPress('4');
  EXPECT_EQ(sel.Shown(), "4");

  CEditRules leave = Quantity();
  Type(leave, "12.");
  leave.Leave();
  EXPECT_EQ(leave.Shown(), "12");
  EXPECT_EQ(leave.Value(), 12);
  EXPECT_EQ(leave.RawText(), "12.");
}

TEST(TCEdit, KeysOnTheWidget) {
  TCEdit e;
  e.setObjectName("CEdtCnt");
  e.Rules().SetCurrencyPoint(true);
  e.Rules().SetCurrencyNegative(true);
  e.Rules().SetCurrencySetdigit(2);
  e.setMaxLength(4);
  e.show();
  e.activateWindow();
  e.setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
  EXPECT_EQ(e.alignment() & Qt::AlignRight, Qt::AlignRight);

  QTest::keyClicks(&e, "-12345");
  EXPECT_EQ(e.text(), "-12,345");  // longer than MaxLength as shown, not cut
  EXPECT_EQ(e.Value(), -12345);
  QTest::keyClick(&e, Qt::Key_Left);
  QTest::keyClick(&e, Qt::Key_Delete);
  QTest::keyClick(&e, Qt::Key_Home);
  EXPECT_EQ(e.text(), "-12,345");
  EXPECT_EQ(e.cursorPosition(), e.text().size());
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.text(), "-1,234");
  QTest::keyClick(&e, Qt::Key_Period, Qt::KeypadModifier);
  QTest::keyClick(&e, Qt::Key_7, Qt::KeypadModifier);
  EXPECT_EQ(e.text(), "-1,234.7");
  QTest::keyClick(&e, Qt::Key_1, Qt::KeypadModifier);  // 7 characters typed: full
  EXPECT_EQ(e.text(), "-1,234.7");

  e.selectAll();
  QTest::keyClicks(&e, "8");
  EXPECT_EQ(e.text(), "8");
  e.SetValue(0);
  EXPECT_EQ(e.text(), "");

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

}  // namespace
}  // namespace tarvik
