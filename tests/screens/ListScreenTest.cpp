// The frame of the list screens: its strip, its button column and count
// display, and a paged grid driven by keys, buttons and the wheel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include "wire/MessageFormat.h"
#include "platform/QtText.h"
#include "screens/ListScreen.h"
#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"
#include "screens/RowGrid.h"

namespace tarvik {
namespace {

ListScreenLayout Layout() {
  ListScreenLayout l;
  l.width = 300;
  l.height = 552;
  l.columnX = 237;
  l.columnTop = 10;
  l.columnWidth = 56;
  l.buttonHeight = 40;
  l.buttonGap = 2;
  l.countHeight = 30;
  l.escHint = "닫음";
  return l;
}

class TTestList : public TListScreen {
 public:
  explicit TTestList(bool buttonsFocusList)
      : TListScreen(nullptr, "FrmTestList", Layout()), source_({"OH_NAME", "OH_CODE"}) {
    std::string reply = MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", "60");
    for (int i = 0; i < 60; ++i) {
      reply += MakeTag("RDC_" + std::to_string(i),
                       MakeTag("OH_NAME", "n" + std::to_string(i)) + MakeTag("OH_CODE", "k" + std::to_string(i)));
    }
    source_.TakeReply(reply);
    list.SetRowSource(&source_);
    PagedGridOptions o;
    o.widths = {200};
    o.buttonsFocusList = buttonsFocusList;
    grid = AddPagedGrid("SGList", &list, 2, QRect(5, 10, 226, 25 * 19 + 4), nullptr, o);
    edit = new QLineEdit(this);
    edit->setObjectName("EdtWord");
    edit->setGeometry(5, 500, 100, 24);
    list.FillPage(0, 0);
    RefreshList();
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

TEST(ListScreen, StripButtonColumnAndCountDisplayFollowTheLayout) {
  TTestList screen(true);
  EXPECT_EQ(screen.size(), QSize(300, 552));
  EXPECT_TRUE(screen.windowFlags() & Qt::FramelessWindowHint);
  auto* strip = screen.findChild<QWidget*>("PnlTop");
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->geometry(), QRect(0, 0, 300, 5));
  const char* names[] = {"SBEsc", "SBHome", "SBPgUp", "SBPgDn", "SBEnd", "SBEnter"};
  const char* captions[] = {"Esc", "Home", "PgUp", "PgDn", "End", "Enter"};
  for (int i = 0; i < 6; ++i) {
    auto* b = screen.findChild<QPushButton*>(names[i]);
    ASSERT_NE(b, nullptr) << names[i];
    EXPECT_EQ(S(b->text()), captions[i]);
    EXPECT_EQ(b->geometry(), QRect(237, 10 + 42 * i, 56, 40)) << names[i];
    EXPECT_TRUE(b->font().bold());
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
  }
  auto* esc = screen.SideButton(ListButton::Esc);
  EXPECT_EQ(esc->palette().color(QPalette::ButtonText), QColor(Qt::red));
  EXPECT_EQ(S(esc->toolTip()), "닫음");
  auto* count = screen.findChild<QPushButton*>("SBCount");
  ASSERT_EQ(count, screen.CountDisplay());
  EXPECT_EQ(count->geometry(), QRect(237, 10 + 42 * 6, 56, 30));
  EXPECT_EQ(count->palette().color(QPalette::ButtonText), QColor(0, 128, 128));
  EXPECT_TRUE(count->font().bold());
}

TEST(ListScreen, KeysButtonsAndWheelPageTheListAndShowTheCount) {
  TTestList screen(true);
  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  screen.grid->setFocus();
  EXPECT_EQ(screen.Count(), "1");
  QTest::keyClick(screen.grid, Qt::Key_Down);
  EXPECT_EQ(screen.Count(), "2");
  QTest::keyClick(screen.grid, Qt::Key_PageDown);
  EXPECT_EQ(screen.list.Top(), 25);
  EXPECT_EQ(screen.Count(), "27");
  EXPECT_EQ(screen.grid->SelectedRow(), 1);
  QTest::keyClick(screen.grid, Qt::Key_End);
  EXPECT_EQ(screen.Count(), "60");

  // A paging button first gives the list the focus.
  screen.edit->setFocus();
  screen.SideButton(ListButton::Home)->click();
  EXPECT_EQ(screen.focusWidget(), screen.grid);
  EXPECT_EQ(screen.Count(), "1");

  // The wheel moves the focused list.
  QWidget* vp = screen.grid->viewport();
  QWheelEvent wheel(QPointF(20, 20), vp->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(vp, &wheel);
  EXPECT_EQ(screen.Count(), "2");

  // Enter in the list is the "Enter" button: the screen decides, here OK.
  QTest::keyClick(screen.grid, Qt::Key_Return);
  EXPECT_EQ(screen.picked, "k1");
  EXPECT_EQ(screen.result(), QDialog::Accepted);
  EXPECT_FALSE(screen.isVisible());
}

TEST(ListScreen, ButtonsCanActWithoutMovingTheFocusAndEscCloses) {
  TTestList screen(false);
  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  screen.edit->setFocus();
  screen.SideButton(ListButton::PgDn)->click();
  EXPECT_EQ(screen.focusWidget(), screen.edit);
  EXPECT_EQ(screen.list.Top(), 25);
  QTest::keyClick(screen.edit, Qt::Key_Return);  // Enter outside the list: nothing
  EXPECT_TRUE(screen.isVisible());
  QTest::keyClick(screen.edit, Qt::Key_Escape);
  EXPECT_EQ(screen.result(), QDialog::Rejected);
  EXPECT_FALSE(screen.isVisible());
}

}  // namespace
}  // namespace tarvik
