// LimitEdit: what a limited edit lets in, typed, pasted or set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include "screens/ScreenKit.h"

namespace tarvik {
namespace {

void Commit(QLineEdit& e, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(&e, &commit);
}

TEST(LimitEdit, AngleBracketsNeverGoInTypedPastedOrSet) {
  QLineEdit e;
  LimitEdit(&e, 20, true);
  QStringList seen;
  QObject::connect(&e, &QLineEdit::textChanged, [&](const QString& t) { seen << t; });
  e.show();
  QTest::keyClicks(&e, "a<b>c");
  EXPECT_EQ(e.text(), "ABC");
  EXPECT_EQ(e.cursorPosition(), 3);
  e.setCursorPosition(1);
  QApplication::clipboard()->setText("x<y>");
  e.paste();
  EXPECT_EQ(e.text(), "AXYBC");
  EXPECT_EQ(e.cursorPosition(), 3);  // after what went in
  e.setText("p<q>");
  EXPECT_EQ(e.text(), "PQ");
  // Every slot heard only texts as they stand in the edit: a slot connected
  // after the limit once kept the text from before it was mended ("Ab").
  for (const QString& t : seen) EXPECT_EQ(t, LimitedText(t, 20, true)) << t.toStdString();
  EXPECT_EQ(seen.last(), "PQ");
}

TEST(LimitEdit, BytesOfTheKoreanCodePageAndCapitals) {
  const struct {
    const char* what;
    std::size_t bytes;
    bool upper;
    QString in, out;
  } cases[] = {
      {"cut at the limit", 6, true, QStringLiteral("가나다라"), QStringLiteral("가나다")},
      {"never half a syllable", 5, true, QStringLiteral("가나다"), QStringLiteral("가나")},
      {"brackets do not count", 3, false, QStringLiteral("<a><b><c><d>"), QStringLiteral("abc")},
      {"other brackets are text", 20, false, QStringLiteral("(a)[b]＜c＞"), QStringLiteral("(a)[b]＜c＞")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LimitedText(c.in, c.bytes, c.upper), c.out);
    QLineEdit e;
    LimitEdit(&e, c.bytes, c.upper);
    e.show();
    for (QChar ch : c.in) Commit(e, QString(ch));
    EXPECT_EQ(e.text(), c.out);
  }
}

}  // namespace
}  // namespace tarvik
