// The screen kit: the list screens' frame and paged grid, the limited edits, the shared number format.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <map>

#include "platform/QtText.h"
#include "screens/CellFormat.h"
#include "screens/ListScreen.h"
#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"
#include "wire/MessageFormat.h"

namespace tarvik { namespace {

class TTestList : public TListScreen {
 public:
  explicit TTestList(bool buttonsFocusList)
      : TListScreen(nullptr, "FrmTestList", ListScreenLayout{300, 552, false, 237, 10, 56, 40, 2, 30, "닫음"}),
        source_({"OH_NAME", "OH_CODE"}) {
    std::string reply = MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", "60");
    for (int i = 0; i < 60; ++i) {
      const std::string s = std::to_string(i);
      reply += MakeTag("RDC_" + s, MakeTag("OH_NAME", "n" + s) + MakeTag("OH_CODE", "k" + s));
    }
    source_.TakeReply(reply);
    list.SetRowSource(&source_);
    PagedGridOptions o;
    o.widths = {200};
    o.buttonsFocusList = buttonsFocusList;
    grid = AddPagedGrid("SGList", &list, 2, QRect(5, 10, 226, 25 * 19 + 4), nullptr, o);
    edit = new QLineEdit(this);
    edit->setGeometry(5, 500, 100, 24);
    list.FillPage(0, 0);
    RefreshList();
    show();
  }
  void OnListButton(ListButton which) override {
    if (which == ListButton::Enter) picked = list.Cell(list.Selected(), 1);
    TListScreen::OnListButton(which);
  }
  std::string Count() const { return S(CountDisplay()->text()); }

  PagedList list;
  RowGrid* grid = nullptr;
  QLineEdit* edit = nullptr;
  std::string picked;

 private:
  ReplyRecordSource source_;
};

// The most frequent colour of a row's cells (its background) and the one furthest from it (its text).
std::pair<QColor, QColor> RowColours(const QImage& img, const QRect& row) {
  std::map<QRgb, int> seen;
  for (int y = row.top() + 1; y < row.bottom(); ++y)
    for (int x = row.left() + 1; x < row.right(); ++x) ++seen[img.pixel(x, y)];
  const QColor back(std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) { return a.second < b.second; })->first);
  QColor text = back;
  for (const auto& [rgb, n] : seen)
    if (Contrast(QColor(rgb), back) > Contrast(text, back)) text = QColor(rgb);
  return {back, text};
}

TEST(RowGrid, SelectedRowReadsWithAndWithoutTheFocus) {
  // The grid picks the selected row's colours itself, as the platform's style (Wine's) may not.
  TTestList screen(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  for (bool focused : {true, false}) {
    SCOPED_TRACE(focused ? "focused" : "unfocused");
    // Under Wine another test program's window may take the activation away; ask again until it holds.
    for (int i = 0; i < 40 && screen.grid->hasFocus() != focused; ++i) {
      screen.activateWindow();
      (focused ? static_cast<QWidget*>(screen.grid) : screen.edit)->setFocus();
      QTest::qWait(50);
    }
    ASSERT_EQ(screen.grid->hasFocus(), focused);
    const QImage img = screen.grid->grab().toImage();
    const int row = screen.grid->SelectedRow();
    const QRect cell = screen.grid->visualRect(screen.grid->model()->index(row, 0));
    const auto [back, text] = RowColours(img, cell);
    const auto plain = RowColours(img, cell.translated(0, cell.height())).first;
    EXPECT_GE(Contrast(back, text), 4.5) << back.name().toStdString() << " " << text.name().toStdString();
    EXPECT_GE(Contrast(back, plain), 1.25) << "the selection must stand out: " << back.name().toStdString();
    const QString shots = qEnvironmentVariable("TARVIK_SHOTS");
    if (!shots.isEmpty()) img.save(shots + (focused ? "/row-focused.png" : "/row-unfocused.png"));
  }
}

TEST(ListScreen, KeysButtonsAndWheelPageTheListAndShowTheCount) {
  TTestList screen(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  screen.grid->setFocus();
  EXPECT_EQ(screen.Count(), "1");
  QTest::keyClick(screen.grid, Qt::Key_Down);
  EXPECT_EQ(screen.Count(), "2");
  QTest::keyClick(screen.grid, Qt::Key_PageDown);
  EXPECT_EQ(screen.Count(), "27");
  QTest::keyClick(screen.grid, Qt::Key_End);
  EXPECT_EQ(screen.Count(), "60");
  // A paging button first gives the list the focus.
  screen.edit->setFocus();
  screen.SideButton(ListButton::Home)->click();
  EXPECT_EQ(screen.focusWidget(), screen.grid);
  EXPECT_EQ(screen.Count(), "1");
  // The wheel moves the focused list.
  QWidget* vp = screen.grid->viewport();
  QWheelEvent wheel(QPointF(20, 20), vp->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(vp, &wheel);
  EXPECT_EQ(screen.Count(), "2");
  // Enter in the list is the "Enter" button: the screen decides, here OK.
  QTest::keyClick(screen.grid, Qt::Key_Return);
  EXPECT_EQ(screen.picked, "k1");
  EXPECT_EQ(screen.result(), QDialog::Accepted);

  TTestList other(false);  // buttons that act without moving the focus
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  other.edit->setFocus();
  other.SideButton(ListButton::PgDn)->click();
  EXPECT_EQ(other.focusWidget(), other.edit);
  EXPECT_EQ(other.list.Top(), 25);
  QTest::keyClick(other.edit, Qt::Key_Return);  // Enter outside the list: nothing
  EXPECT_TRUE(other.isVisible());
  QTest::keyClick(other.edit, Qt::Key_Escape);
  EXPECT_EQ(other.result(), QDialog::Rejected);
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
  // Every slot heard the text as it stands: one connected after the limit once kept the unmended "Ab".
  for (const QString& t : seen) EXPECT_EQ(t, LimitedText(t, 20, true)) << t.toStdString();
  EXPECT_EQ(seen.last(), "PQ");
}

TEST(LimitEdit, BytesOfTheKoreanCodePageAndCapitals) {
  const struct { const char* what; std::size_t bytes; bool upper; QString in, out; } cases[] = {
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
    for (QChar ch : c.in) {  // committed by an input method, one character at a time
      QInputMethodEvent commit;
      commit.setCommitString(QString(ch));
      QApplication::sendEvent(&e, &commit);
    }
    EXPECT_EQ(e.text(), c.out);
  }
  EXPECT_EQ(FormatGrouped(1234567.5, 2), "1,234,567.5");
  EXPECT_EQ(FormatGrouped(-1234, 2), "-1,234");
  EXPECT_EQ(FormatGrouped(0.125, 2), "0.13");
  EXPECT_EQ(FormatGrouped(999.999, 2), "1,000");
  EXPECT_EQ(FormatGrouped(12.5, 0), "13");
}

}}  // namespace tarvik
