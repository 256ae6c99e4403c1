// The basket side of the main window against the reference service.
#include <QLabel>

#include "controls/ImageButton.h"
#include "net/CallIndex.h"
#include "tests/mainwindow/MainFixture.h"

namespace tarvik::test {
namespace {

using Basket = MainWindowTest;

void ClickKey(QDialog& d, const char* name) {
  auto* b = d.findChild<TImageButton*>(name);
  ASSERT_NE(b, nullptr) << name;
  QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

TEST_F(Basket, EnterOnAProductOpensTheDialogKeypadAndTypingLand) {
  Key(Qt::Key_Down);  // list, row 0
  const GoodsRecord g0 = dm->Catalogue.TradedGoods[0];
  std::string shownQty, shownName;
  bool nameReadOnly = false;
  script.Then([&](QDialog& d) {
    shownQty = S(Field(d, "CEdtCnt")->text());
    shownName = S(Field(d, "EdtGN")->text());
    nameReadOnly = Field(d, "EdtGN")->isReadOnly();
    ClickKey(d, "SB2");  // replaces the default quantity
    ClickKey(d, "SB3");
    QTest::keyClick(Field(d, "CEdtCnt"), Qt::Key_Tab);
    TypeInto(d.focusWidget(), QStringLiteral("급송"));
    QTest::keyClick(d.focusWidget(), Qt::Key_Return);
  });
  Key(Qt::Key_Return);
  EXPECT_EQ(shownQty + "|" + shownName, g0.U_CNT + "|" + g0.G_NAME);  // the traded list hands over U_CNT
  EXPECT_TRUE(nameReadOnly);
  EXPECT_EQ(Lines(), Texts{g0.G_CODE + " 23"});
  EXPECT_EQ(main->Draft().Line(0).LineNote, "급송");
  EXPECT_EQ(Focus(), Find<RowGrid>("SGU"));

  // The same product again: the existing line is selected, nothing added.
  script.Then([&](QDialog& d) { QTest::keyClick(Field(d, "CEdtCnt"), Qt::Key_Return); });
  Key(Qt::Key_Return);
  EXPECT_EQ(prompter.Last(), "이미 발주 내용이 있습니다.\r\r기존의 내용을 수정하십시요.");
  EXPECT_EQ(main->Draft().LineCount() * 10 + main->Draft().Selected(), 10);

  // From the all-products list the default quantity is 0: confirming asks for one.
  Key(Qt::Key_Space);
  Key(Qt::Key_F12);
  Key(Qt::Key_Down);
  script.Then([&](QDialog& d) {
    shownQty = S(Field(d, "CEdtCnt")->text());
    QTest::keyClick(Field(d, "CEdtCnt"), Qt::Key_Return);
    QTest::keyClick(Field(d, "CEdtCnt"), Qt::Key_Escape);
  });
  Key(Qt::Key_Return);
  EXPECT_EQ(shownQty, "");
  EXPECT_EQ(prompter.Last(), "     주문 수량이 없습니다.     \r\r     수량을 입력해 주십시요.");
  EXPECT_EQ(main->Draft().LineCount(), 1);
}

TEST_F(Basket, ModifyAndDeleteLines) {
  for (int i = 0; i < 3; ++i)
    main->Draft().AddLine(dm->Catalogue.TradedGoods[i].G_CODE, dm->Catalogue.TradedGoods[i].G_NAME, "EA",
                          std::to_string(i + 1) + "000", "");
  main->RefreshDraft();
  auto* sgs = Find<RowGrid>("SGS");
  sgs->setFocus();
  sgs->Refresh(0);
  main->Draft().Select(0);
  std::string shownQty;
  bool listHidden = false;
  script.Then([&](QDialog& d) {
    shownQty = S(Field(d, "CEdtCnt")->text());
    listHidden = !main->findChild<RowGrid*>("SGU")->isVisible();
    QTest::keyClicks(Field(d, "CEdtCnt"), "7");
    QTest::keyClick(Field(d, "CEdtCnt"), Qt::Key_Tab);
    QTest::keyClicks(d.focusWidget(), "fast");
    QTest::keyClick(d.focusWidget(), Qt::Key_Return);
  });
  Key(Qt::Key_Return);
  EXPECT_EQ(shownQty, "1,000");
  EXPECT_TRUE(listHidden);
  EXPECT_TRUE(Find<RowGrid>("SGU")->isVisible());
  EXPECT_EQ(main->Draft().Line(0).Quantity + main->Draft().Line(0).LineNote, "7FAST");  // capitals

  // Cancel after changing the quantity: the line stays.
  script.Then([&](QDialog& d) {
    ClickKey(d, "SB9");
    ClickKey(d, "SBEsc");
  });
  Key(Qt::Key_Return);
  EXPECT_EQ(main->Draft().Line(0).Quantity, "7");

  // F4 and Delete each take the selected line (the renumbering is the draft test's).
  Key(Qt::Key_Down);
  Key(Qt::Key_F4);
  EXPECT_EQ(Lines(), (Texts{dm->Catalogue.TradedGoods[0].G_CODE + " 7", dm->Catalogue.TradedGoods[2].G_CODE + " 3000"}));
  Key(Qt::Key_Delete);
  Key(Qt::Key_Up);
  Key(Qt::Key_Delete);
  EXPECT_FALSE(main->Draft().HasLines());
  Key(Qt::Key_Return);  // an empty row: nothing opens
  EXPECT_EQ(script.opened.size(), 3u);
}

TEST_F(Basket, DirectInputAddsTwoProductsUntilCancelled) {
  bool stillOpen = false, framedWhenEmptied = false;
  std::string firstName;
  script.Then([&](QDialog& d) {
    firstName = S(Field(d, "EdtGN")->text());
    auto product = [&](const QString& name, const char* box, const char* qty) {
      QTest::keyClick(Field(d, "EdtGN"), Qt::Key_A, Qt::ControlModifier);
      TypeInto(Field(d, "EdtGN"), name);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);  // to the packing unit
      QTest::keyClicks(d.focusWidget(), box);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);  // to the quantity
      QTest::keyClicks(d.focusWidget(), qty);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);  // confirm
    };
    product(QStringLiteral("수동 와이퍼"), "set", "2");
    // After a line the name field is empty: its border shows where to type.
    framedWhenEmptied = Field(d, "EdtGN")->text().isEmpty() && Field(d, "EdtGN")->hasFrame() &&
                        d.focusWidget() == Field(d, "EdtGN");
    product(QStringLiteral("수동 전구"), "ea", "10");
    stillOpen = d.isVisible();
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
  });
  Key(Qt::Key_F5);
  EXPECT_EQ(firstName, "직접 제품명을 입력하십시요");
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(framedWhenEmptied);
  ASSERT_EQ(main->Draft().LineCount(), 2);
  const DraftLine& l = main->Draft().Line(0);
  EXPECT_EQ(l.GoodsCode + l.GoodsName + l.GoodsBox + l.Quantity, "YZ수동 와이퍼SET2");
  EXPECT_EQ(main->Draft().Line(1).Quantity, "10");
  EXPECT_TRUE(prompter.prompts.empty());
}

// An empty basket's print is the desk test's.
TEST_F(Basket, TheOrderPrintButtonPrintsTheBasketButF11InTheSearchBoxDoesNot) {
  main->Draft().AddLine(dm->Catalogue.TradedGoods[0].G_CODE, dm->Catalogue.TradedGoods[0].G_NAME, "EA", "3", "");
  main->Draft().AddDirectLine("수동 전구", "EA", "10", "");
  main->RefreshDraft();
  const std::string title = S(Find<QLabel>("LblTitle")->text());
  ASSERT_FALSE(title.empty());
  Click("SBF11");
  ASSERT_EQ(printer.jobs.size(), 1u);
  const std::string d = TodayStamp(), today = d.substr(0, 2) + "/" + d.substr(2, 2) + "/" + d.substr(4);
  EXPECT_EQ(printer.jobs[0].steps.at(0).text, title + " " + today + " 일 발주리스트");
  Find<QLineEdit>("EdtGN")->setFocus();
  Key(Qt::Key_F11);  // in the search box F11 searches by prefix and prints nothing
  EXPECT_EQ(printer.jobs.size(), 1u);
  EXPECT_TRUE(prompter.prompts.empty());
}

// The note and name columns cut long texts; the tooltips and status line show them whole.
TEST_F(Basket, LongNameAndNoteShowWholeInTheTooltipAndTheStatusLine) {
  const std::string name = "브레이크 패드 세트 앞 좌우 (그랜저 HG 2.4) 순정형";
  const std::string note = "화요일오전배송부탁드립니다";  // 13 syllables, 26 bytes: more than the column holds
  main->Draft().AddLine(dm->Catalogue.TradedGoods[0].G_CODE, name + "  ", "SET", "2", note);  // blanks are not shown
  main->Draft().AddDirectLine("수동 전구", "EA", "10", "");
  main->Draft().Select(0);
  main->RefreshDraft();
  auto* sgs = Find<RowGrid>("SGS");
  auto* status = Find<QLabel>("LblStatus");
  auto* state = Find<QLabel>("LblBasketState");
  EXPECT_EQ(S(status->toolTip()), "1. " + name + "   비고: " + note);
  EXPECT_EQ(S(state->text()), "새 발주");
  for (QLabel* l : {status, state}) EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
  // Hovering a cell shows its whole text; other cells show the grid's hint.
  EXPECT_EQ(Tip(sgs, 0, kDColNote), note);
  EXPECT_EQ(Tip(sgs, 0, kDColName), name);
  EXPECT_EQ(Tip(sgs, 0, kDColQuantity), "제품수정선택 [Enter] or [더블클릭], 제품삭제[F4]");

  // The status line follows the selection as the keys move it.
  sgs->setFocus();
  Key(Qt::Key_Down);
  EXPECT_EQ(S(status->text()), "2. 수동 전구");
  Key(Qt::Key_Down);  // an empty row
  EXPECT_TRUE(status->text().isEmpty());
}

}  // namespace
}  // namespace tarvik::test
