// Name search on decoded characters, barcode lookup, the search box rules and
// the removal of a traded product, over the session's tables.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "mainwindow/ProductPanel.h"
#include "catalog/ProductSearch.h"
#include "order/OrderDraft.h"
#include "platform/QtText.h"
#include "session/Session.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

GoodsRecord Rec(int i, const std::string& name, const std::string& barcode = std::string()) {
  GoodsRecord g;
  g.G_CODE = "G" + std::to_string(i);
  g.G_NAME = name;
  g.G_BOX = "EA";
  g.G_BCODE = barcode;
  g.U_CNT = "5";
  g.RowNo = i;
  return g;
}

TEST(SearchNames, ContainsAndPrefixCompareWholeCharacters) {
  std::vector<GoodsRecord> base(kGoodsCapacity), shown(kGoodsCapacity);
  base[0] = Rec(0, "브레이크 패드");
  base[1] = Rec(1, "패드 브레이크");
  base[2] = Rec(2, "오일필터");
  base[3] = Rec(3, "뉁눁");
  base[4] = Rec(4, "brake pad");
  shown[7] = Rec(7, "stale");

  EXPECT_EQ(SearchNames(base, 5, "브레이크", NameMatch::Contains, shown), 2);
  EXPECT_EQ(shown[0].G_CODE, "G0");
  EXPECT_EQ(shown[1].G_CODE, "G1");
  EXPECT_EQ(shown[1].RowNo, 1);
  EXPECT_TRUE(shown[7].G_CODE.empty());  // cleared before filling
  EXPECT_EQ(shown[7].RowNo, -1);

  EXPECT_EQ(SearchNames(base, 5, "브레이크", NameMatch::Prefix, shown), 1);
  EXPECT_EQ(shown[0].G_CODE, "G0");
  EXPECT_EQ(SearchNames(base, 5, "BRAKE", NameMatch::Contains, shown), 0);  // case-sensitive
  EXPECT_EQ(SearchNames(base, 5, "눁", NameMatch::Contains, shown), 1);
  EXPECT_EQ(shown[0].G_CODE, "G3");
  EXPECT_EQ(SearchNames(base, 5, "필터", NameMatch::Prefix, shown), 0);
}

TEST(SearchNames, StopsAtTheCountAndTheFirstEmptyCode) {
  std::vector<GoodsRecord> base(kGoodsCapacity), shown(kGoodsCapacity);
  base[0] = Rec(0, "a1");
  base[1] = Rec(1, "a2");
  base[3] = Rec(3, "a3");  // after an empty row: never reached
  EXPECT_EQ(SearchNames(base, 4, "a", NameMatch::Contains, shown), 2);
  EXPECT_EQ(SearchNames(base, 1, "a", NameMatch::Contains, shown), 1);
  EXPECT_EQ(SearchNames(base, 99999, "a", NameMatch::Contains, shown), 2);
}

TEST(Barcode, ExactMatchWithinTheCountOnly) {
  std::vector<GoodsRecord> base(kGoodsCapacity);
  base[0] = Rec(0, "x", "880001");
  base[1] = Rec(1, "y", "880002");
  EXPECT_EQ(FindBarcode(base, 2, "880002"), 1);
  EXPECT_EQ(FindBarcode(base, 1, "880002"), -1);
  EXPECT_EQ(FindBarcode(base, 2, "88000"), -1);
  EXPECT_TRUE(LooksLikeBarcode("8800"));
  EXPECT_TRUE(LooksLikeBarcode(" x"));
  EXPECT_FALSE(LooksLikeBarcode("a12"));
  EXPECT_FALSE(LooksLikeBarcode("브레이크"));
  EXPECT_FALSE(LooksLikeBarcode(""));
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    dm = std::make_unique<TDM>(S(dir.path()) + "/");
    for (int i = 0; i < 40; ++i)
      dm->Catalogue.TradedGoods[i] = Rec(i, i % 2 ? "에어 필터 " + std::to_string(i) : "오일 " + std::to_string(i),
                               "BC" + std::to_string(i));
    dm->Catalogue.TradedCount = 40;
    for (int i = 0; i < 100; ++i) dm->Catalogue.AllGoods[i] = Rec(i, "전체 " + std::to_string(i), "AB" + std::to_string(i));
    dm->Catalogue.AllCount = 100;
    panel = std::make_unique<ProductPanel>(*dm, draft);
    panel->ListSwitch();
  }
  QTemporaryDir dir;
  std::unique_ptr<TDM> dm;
  OrderDraft draft;
  std::unique_ptr<ProductPanel> panel;
  test::ScriptedPrompter prompter;
};

TEST_F(PanelTest, SearchBoxEnterTakesBarcodesThenNames) {
  // Empty text: nothing at all.
  auto r = panel->SearchBoxEnter("", false);
  EXPECT_FALSE(r.clearBox);
  // A known barcode is the main screen test's case; an unknown one with the
  // unit-price box checked only empties the box.
  r = panel->SearchBoxEnter("NOPE", true);
  EXPECT_TRUE(r.clearBox);
  EXPECT_FALSE(panel->SearchActive());
  // Blanks only: no barcode, nothing searched, box emptied.
  r = panel->SearchBoxEnter("   ", false);
  EXPECT_TRUE(r.clearBox);
  EXPECT_FALSE(panel->SearchActive());
  // An unknown barcode-like text falls back to a name search.
  r = panel->SearchBoxEnter("BCX ", false);
  EXPECT_TRUE(panel->SearchActive());
  EXPECT_TRUE(r.focusList);
  EXPECT_EQ(dm->Catalogue.ShownCount, 0);
  EXPECT_TRUE(panel->Visible().RowEmpty(0));
  EXPECT_EQ(panel->SearchResultText(), "검색결과가 없습니다");  // not to be taken for the full list
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(PanelTest, NameSearchFiltersTheBaseTableUntilTheNextSwitch) {
  EXPECT_EQ(panel->SearchResultText(), "");
  panel->SearchBoxEnter("필터", false);
  EXPECT_TRUE(panel->SearchActive());
  EXPECT_EQ(dm->Catalogue.ShownCount, 20);
  EXPECT_EQ(panel->SearchResultText(), "검색결과 20건");
  EXPECT_EQ(panel->Visible().Count(), 20);
  EXPECT_EQ(panel->Visible().Cell(0, kColCode), "G1");
  EXPECT_EQ(panel->Visible().Cell(0, kColRowNo), "0");
  panel->SearchBoxPrefix("오일");
  EXPECT_EQ(dm->Catalogue.ShownCount, 20);
  EXPECT_EQ(panel->Visible().Cell(1, kColCode), "G2");
  panel->ListSwitch();
  EXPECT_FALSE(panel->SearchActive());
  EXPECT_EQ(panel->Visible().Count(), 40);
  EXPECT_EQ(panel->SearchResultText(), "");
  // The all-products list searches its own table.
  panel->SetAllChecked(true);
  panel->ListSwitch();
  EXPECT_TRUE(panel->AllShown());
  panel->SearchBoxEnter("전체 9", false);
  EXPECT_EQ(dm->Catalogue.ShownCount, 11);  // 9, 90 .. 99
  EXPECT_FALSE(panel->ScanAdd("BC3"));  // traded barcodes are not in this list
  EXPECT_TRUE(panel->ScanAdd("AB3"));
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

// (Removal from the plain list is the main screen test's, through the service.)
TEST_F(PanelTest, TradedProductDroppedFromSearchResultsLeavesBothTables) {
  panel->SearchBoxEnter("필터", false);
  EXPECT_EQ(dm->Catalogue.ShownCount, 20);
  panel->Traded().Select(0);
  panel->DropSelectedTraded();
  EXPECT_EQ(dm->Catalogue.ShownCount, 19);
  EXPECT_EQ(panel->SearchResultText(), "검색결과 19건");
  EXPECT_EQ(dm->Catalogue.TradedCount, 39);
  EXPECT_EQ(panel->Traded().Cell(0, kColCode), "G3");
  EXPECT_EQ(dm->Catalogue.TradedGoods[0].G_CODE, "G0");
  EXPECT_EQ(dm->Catalogue.TradedGoods[1].G_CODE, "G2");
  EXPECT_EQ(dm->Catalogue.TradedGoods[1].RowNo, 1);
  EXPECT_TRUE(dm->Catalogue.TradedGoods[39].G_CODE.empty());
}

}  // namespace
}  // namespace tarvik
