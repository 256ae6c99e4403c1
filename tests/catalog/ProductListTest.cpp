// The product lists without their screen: page, cells, key map, searches, the panel's box, the note;
// the basket's amounts at the traded products' prices.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "mainwindow/MainKeys.h"
#include "catalog/ProductList.h"
#include "catalog/ProductNote.h"
#include "mainwindow/ProductPanel.h"
#include "catalog/ProductSearch.h"
#include "order/BasketAmounts.h"
#include "order/OrderDraft.h"
#include "tests/order/DeskFixture.h"

namespace tarvik { namespace {

GoodsRecord Rec(int i, const std::string& name, const std::string& barcode = std::string()) {
  return {"G" + std::to_string(i), name, "EA", barcode, "", "", "", "", "", "5", i};
}

// The paging keys and the wheel are PagedListTest's (over a product table too); here what it does not reach.
TEST(ProductPage, CountBeyondTheTableAndARefusedRead) {
  std::vector<GoodsRecord> t(kGoodsCapacity);
  for (int i = 0; i < 3000; ++i) t[i] = Rec(i, "n");
  ProductPage page;
  page.SetSource(&t, 4500);  // a reply may announce more records than stored
  EXPECT_EQ(page.Count(), 3000);
  page.End();
  EXPECT_EQ(page.Top(), 2975);
  EXPECT_EQ(page.Cell(24, kColCode), "G2999");
  page.SetSource(&t, -1);  // a refused read
  page.FillPage(0, 0);
  EXPECT_TRUE(page.RowEmpty(0));
}

TEST(ProductCell, PricesAndDates) {
  // Regression: a price longer than a fixed text buffer was cut off.
  const std::string longPrice = ProductCell(4, "1" + std::string(70, '0'), false).text;
  EXPECT_EQ(longPrice.size(), 71u + 23u);  // 71 digits in 24 groups
  EXPECT_EQ(longPrice.rfind("10,000,000,", 0), 0u);
  EXPECT_EQ(ProductCell(4, "12000.00  ", false).text, "12,000");
  EXPECT_TRUE(ProductCell(4, "12000", false).rightAligned);
  EXPECT_FALSE(ProductCell(4, "0", false).rightAligned);  // zero is drawn as it stands
  EXPECT_EQ(ProductCell(4, "2401", true).text, "");       // not a date: blank
  EXPECT_EQ(ProductCell(2, "브레이크   ", false).text, "브레이크");
}

// The screen tests press most keys; these are the modifier and focus rules.
TEST(MainKeys, ModifiersAndFocusChooseTheAction) {
  using F = MainFocus;
  const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
  const struct { int key; Qt::KeyboardModifiers mods; F focus; MainAction action; } cases[] = {
      {Qt::Key_F9, ctrl, F::Other, MainAction::None},
      {Qt::Key_I, ctrl, F::Basket, MainAction::PartNumberSearch},
      {Qt::Key_G, none, F::SearchBox, MainAction::None},
      {Qt::Key_F7, alt, F::Other, MainAction::None},
      {Qt::Key_F12, alt, F::ProductList, MainAction::None},
      {Qt::Key_Escape, alt, F::Other, MainAction::None},
      {Qt::Key_F7, ctrl | alt, F::Other, MainAction::SendOrder},
      {Qt::Key_F4, none, F::ProductList, MainAction::None},
      {Qt::Key_Space, none, F::SearchBox, MainAction::None},
      {Qt::Key_Enter, Qt::KeypadModifier, F::ProductList, MainAction::AddFromList},
      {Qt::Key_Return, none, F::Other, MainAction::Swallow},
      {Qt::Key_P, Qt::ShiftModifier, F::Basket, MainAction::TypeIntoSearch},
      {Qt::Key_8, none, F::SearchBox, MainAction::None},
      {Qt::Key_8, none, F::Other, MainAction::None},
      {Qt::Key_Z, ctrl, F::SearchBox, MainAction::Undo},
      {Qt::Key_Z, ctrl, F::Field, MainAction::None},  // the box's own undo of typing
      {Qt::Key_M, ctrl, F::Field, MainAction::FocusNote},
      {Qt::Key_Return, none, F::Field, MainAction::Swallow},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MainKeyAction(c.key, c.mods, c.focus), c.action) << c.key << " " << int(c.mods) << " " << int(c.focus);
}

TEST(SearchNames, WholeCharactersTheCountTheFirstEmptyCodeAndBarcodes) {
  std::vector<GoodsRecord> base(kGoodsCapacity), shown(kGoodsCapacity);
  base[0] = Rec(0, "브레이크 패드", "880001");
  base[1] = Rec(1, "뉁눁", "880002");
  base[2] = Rec(2, "brake pad");
  base[4] = Rec(4, "브레이크");  // after an empty row: never reached
  shown[7] = Rec(7, "stale");
  EXPECT_EQ(SearchNames(base, 5, "브레이크", NameMatch::Contains, shown), 1);
  EXPECT_TRUE(shown[7].G_CODE.empty());  // cleared before filling
  EXPECT_EQ(shown[7].RowNo, -1);
  EXPECT_EQ(SearchNames(base, 5, "BRAKE", NameMatch::Contains, shown), 0);  // case-sensitive
  EXPECT_EQ(SearchNames(base, 5, "눁", NameMatch::Contains, shown), 1);     // not a byte match
  EXPECT_EQ(shown[0].G_CODE, "G1");
  EXPECT_EQ(SearchNames(base, 1, "눁", NameMatch::Contains, shown), 0);
  EXPECT_EQ(FindBarcode(base, 2, "880002"), 1);
  EXPECT_EQ(FindBarcode(base, 1, "880002"), -1);
  EXPECT_EQ(FindBarcode(base, 2, "88000"), -1);
  for (const char* yes : {"8800", " x"}) EXPECT_TRUE(LooksLikeBarcode(yes)) << yes;
  for (const char* no : {"a12", "브레이크", ""}) EXPECT_FALSE(LooksLikeBarcode(no)) << no;
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dm = std::make_unique<TDM>(S(dir.path()) + "/");
    for (int i = 0; i < 40; ++i)
      dm->Catalogue.TradedGoods[i] = Rec(i, i % 2 ? "에어 필터 " + std::to_string(i) : "오일 " + std::to_string(i),
                               "BC" + std::to_string(i));
    dm->Catalogue.TradedCount = 40;
    for (int i = 0; i < 100; ++i) dm->Catalogue.AllGoods[i] = Rec(i, "전체 " + std::to_string(i), "AB" + std::to_string(i));
    dm->Catalogue.AllCount = 100;
    panel = std::make_unique<ProductPanel>(*dm, seams, draft);
    panel->ListSwitch();
  }
  QTemporaryDir dir;
  std::unique_ptr<TDM> dm;
  test::ScriptedPrompter prompter;
  Seams seams = test::TestSeams(prompter);
  OrderDraft draft{prompter};
  std::unique_ptr<ProductPanel> panel;
};

TEST_F(PanelTest, SearchBoxEnterOnTextsNoScreenTestTypes) {
  EXPECT_FALSE(panel->SearchBoxEnter("", false).clearBox);
  EXPECT_TRUE(panel->SearchBoxEnter("NOPE", true).clearBox);  // unit-price box: only emptied
  EXPECT_TRUE(panel->SearchBoxEnter("   ", false).clearBox);
  EXPECT_FALSE(panel->SearchActive());
  EXPECT_TRUE(panel->SearchBoxEnter("BCX ", false).focusList);  // unknown barcode: a name search
  EXPECT_TRUE(panel->SearchActive());
  EXPECT_EQ(dm->Catalogue.ShownCount, 0);
  // The all-products list searches its own table, its own barcodes.
  panel->SetAllChecked(true);
  panel->ListSwitch();
  panel->SearchBoxEnter("전체 9", false);
  EXPECT_EQ(dm->Catalogue.ShownCount, 11);  // 9, 90 .. 99
  EXPECT_FALSE(panel->ScanAdd("BC3"));
  EXPECT_TRUE(panel->ScanAdd("AB3"));
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(PanelTest, ScanOfADraftLineWithADecimalQuantityRestartsAtOne) {
  draft.AddLine("G4", "x", "EA", "2.5", "");
  draft.AddLine("G5", "y", "EA", "1,200", "");
  panel->ScanAdd("BC4");
  panel->ScanAdd("BC5");
  EXPECT_EQ(draft.Line(0).Quantity, "1");
  EXPECT_EQ(draft.Line(1).Quantity, "1201");
  EXPECT_EQ(draft.Selected(), 1);
}

// Removal from the plain list is the main screen test's, through the service.
TEST_F(PanelTest, TradedProductDroppedFromSearchResultsLeavesBothTables) {
  panel->SearchBoxEnter("필터", false);
  panel->Traded().Select(0);
  panel->DropSelectedTraded();
  EXPECT_EQ(dm->Catalogue.ShownCount, 19);
  EXPECT_EQ(panel->SearchResultText(), "검색결과 19건");
  EXPECT_EQ(dm->Catalogue.TradedCount, 39);
  EXPECT_EQ(panel->Traded().Cell(0, kColCode), "G3");
  EXPECT_EQ(dm->Catalogue.TradedGoods[1].G_CODE + "/" + std::to_string(dm->Catalogue.TradedGoods[1].RowNo), "G2/1");
  EXPECT_TRUE(dm->Catalogue.TradedGoods[39].G_CODE.empty());
}

std::string NoteReply(int n) {
  std::vector<std::string> records;
  for (int i = 0; i < n; ++i)
    records.push_back(MakeTag("GM_NO", std::to_string(i + 1)) + MakeTag("GM_NOTE", "line " + std::to_string(i)));
  return test::ListText(records);
}

TEST(ProductNote, LinesAreEmptiedThenFilledAndCappedAtTwenty) {
  NoteLines lines;
  FillNoteLines(lines, NoteReply(25), 25);
  EXPECT_EQ(lines[19], "line 19");
  FillNoteLines(lines, NoteReply(3), 3);  // lines of the longer note do not stay
  EXPECT_EQ(lines[2], "line 2");
  EXPECT_TRUE(lines[3].empty());
  FillNoteLines(lines, NoteReply(3), -1);
  EXPECT_TRUE(lines[0].empty());
}

// The code goes as a bare GM_GC element, before the line order.
using ProductNoteRequest = test::DeskTest;
TEST_F(ProductNoteRequest, TheRequestAndAnUnreachableService) {
  server.SetReply(test::GzipReply(NoteReply(3)));
  EXPECT_EQ(LoadProductNote(dm, seams, "P00042", true), 3);
  const test::WireRequest w = test::SplitRequest(server.LastRequest());  // its frame: the request functions' test
  EXPECT_EQ(w.lines.at(0), "POST /NET/GMemo.php HTTP/1.1");
  EXPECT_EQ(w.text.substr(w.text.find("<DB_KEY>")),
            "<DB_KEY>S00001</DB_KEY><GM_GC>P00042</GM_GC><ORDERBY>GM_NO ASC</ORDERBY></POST_DATA>");
  EXPECT_TRUE(prompter.prompts.empty());
  seams.service.server = ParseServerAddress("127.0.0.1:1");  // nothing listens there
  EXPECT_EQ(LoadProductNote(dm, seams, "P00001", true), -1);
  EXPECT_EQ(prompter.Last(), "전체 읽기 오류입니다\r\r다시 시도하십시요.");
  EXPECT_TRUE(dm.Catalogue.MemoReply.empty());
}

using Amounts = test::DeskTest;

// The amounts under the basket, shown and never sent: the orderer's unit prices of the traded products.
TEST_F(Amounts, OfPricedLinesAndOfLinesWithoutAPriceOrWithHiddenPrices) {
  dm.Catalogue.TradedGoods[0].G_CODE = "P00002";
  dm.Catalogue.TradedGoods[0].U_COST = "34300";
  dm.Catalogue.TradedGoods[1].G_CODE = "P00010";
  dm.Catalogue.TradedGoods[1].U_COST = "4700";
  dm.Catalogue.TradedCount = 2;
  const PriceBook prices(dm);
  OrderDraft& d = desk.Draft();
  test::AddThreeLines(d);  // P00002 × 3, P00010 × 1,200, one typed in by hand
  EXPECT_EQ(LineAmountText(d.Line(1), prices), "2번 금액: 4,700 × 1,200 = 5,640,000원");
  EXPECT_EQ(LineAmountText(d.Line(2), prices), "3번 금액: 단가 없음");
  EXPECT_EQ(TotalText(d, prices), "합계: 5,742,900원 (단가 없는 제품 1개 제외)");
  dm.CustomerInfo.C_GU = "2";  // an orderer who sees no prices
  EXPECT_EQ(LineAmountText(d.Line(1), prices) + TotalText(d, prices), "");
}

}}  // namespace tarvik
