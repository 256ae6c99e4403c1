// The category browser's rules over tables built by the catalogue loader: cut
// names, limits, sets never built, names ending in blanks, and the inputs
// handed to the quantity dialog.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalog/CatalogLoader.h"
#include "catalog/CategoryBrowser.h"
#include "wire/MessageFormat.h"
#include "order/OrderDraft.h"
#include "platform/QtText.h"
#include "wire/Text.h"
#include "session/Session.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

using Rows = std::vector<std::string>;
struct Item {
  std::string major, minor, bcnt = "1";
};

class Browser : public ::testing::Test {
 protected:
  void SetUp() override { dm = std::make_unique<TDM>(S(dir.path()) + "/"); }
  // Builds one table set as the log-in does; product i is coded "G<i>".
  void Fill(bool all, const std::vector<Item>& items) {
    std::string reply;
    for (std::size_t i = 0; i < items.size(); ++i)
      reply += MakeTag("RDC_" + std::to_string(i),
                       MakeTag("G_CODE", "G" + std::to_string(i)) + MakeTag("G_BCNT", items[i].bcnt) +
                           MakeTag("G_GPN1", items[i].major) + MakeTag("G_GPN2", items[i].minor));
    const auto n = static_cast<long long>(items.size());
    BuildGoodsTables(reply, n, all ? AllTables(*dm) : TradedTables(*dm), nullptr);
    (all ? dm->Catalogue.AllCount : dm->Catalogue.TradedCount) = n;
  }
  Rows Column(BrowserList list) {
    Rows rows;
    for (int r = 0; r < b->RowCount(list); ++r)
      rows.push_back(list == BrowserList::Products ? b->Product(r).G_CODE : b->Shown(list, r));
    return rows;
  }

  QTemporaryDir dir;
  test::ScriptedPrompter prompter;
  std::unique_ptr<TDM> dm;
  std::unique_ptr<CategoryBrowser> b;
};

TEST_F(Browser, LongNamesAreShownCutButStillFindTheirProducts) {
  const std::string twin = "가나다라마바사아자차타";  // the same first 20 bytes as the first
  const std::string longMajor = "대분류가나다라마바사아자";  // 24 bytes
  Fill(false, {{"A", "가나다라마바사아자차카"}, {"A", "A가나다라마바사아자차"}, {"A", twin}, {"A", twin},
               {longMajor, "x"}, {longMajor, "y"}});
  b = std::make_unique<CategoryBrowser>(*dm);
  b->ShowTradedView();
  // 22 bytes cut to 20; 21 bytes cut to 19, before the character the cut would split.
  EXPECT_EQ(Column(BrowserList::Minors), (Rows{"가나다라마바사아자차", "A가나다라마바사아자", "가나다라마바사아자차"}));
  b->Select(BrowserList::Minors, 1);
  EXPECT_EQ(Column(BrowserList::Products), Rows{"G1"});
  b->Select(BrowserList::Minors, 2);  // shown as row 0, lists its own products
  EXPECT_EQ(Column(BrowserList::Products), (Rows{"G2", "G3"}));
  // The major list holds the long major cut; its minors are still found.
  EXPECT_EQ(b->Shown(BrowserList::Majors, 1), "대분류가나다라마바사");
  b->Select(BrowserList::Majors, 1);
  EXPECT_EQ(Column(BrowserList::Minors), (Rows{"x", "y"}));
  EXPECT_EQ(Column(BrowserList::Products), Rows{"G5"});  // the minor row fell on the last
}

TEST_F(Browser, MinorListsHoldAThousandTradedAndAHundredInTheAllView) {
  std::vector<Item> items;
  for (int n = 0; n < 150; ++n) items.push_back({"A", "m" + std::to_string(n)});
  Fill(false, items);
  Fill(true, items);
  b = std::make_unique<CategoryBrowser>(*dm);
  b->ShowTradedView();
  EXPECT_EQ(b->RowCount(BrowserList::Minors), 150);
  b->ShowAllView();
  EXPECT_EQ(b->RowCount(BrowserList::Minors), 100);
}

TEST_F(Browser, ASetNeverBuiltShowsOneEmptyRowAndAsksForAProduct) {
  dm->Catalogue.TradedCount = -1;  // a refused read: category counts still 99 and 999
  b = std::make_unique<CategoryBrowser>(*dm);
  b->ShowTradedView();
  for (BrowserList l : {BrowserList::Majors, BrowserList::Minors, BrowserList::Products})
    EXPECT_EQ(Column(l), Rows{""});
  bool asked = false;
  EXPECT_FALSE(b->AddSelectedProduct([&](const OfferedProduct&) {
    asked = true;
    return Offer::Cancelled;
  }));
  EXPECT_FALSE(asked);
  EXPECT_EQ(prompter.Texts(), Rows{"제품을 선택하십시요."});
}

TEST_F(Browser, TheAllViewComparesCategoryNamesAsStored) {
  Fill(true, {{"A  ", "x "}, {"A  ", "x "}, {"B", "y"}});  // a fixed-width column
  b = std::make_unique<CategoryBrowser>(*dm);
  b->ShowAllView();
  EXPECT_EQ(Column(BrowserList::Products), (Rows{"G0", "G1"}));
}

TEST_F(Browser, TheBasketIsOfferedTheProductWithZeroForAnEmptyCount) {
  Fill(false, {{"A", "x", ""}});
  b = std::make_unique<CategoryBrowser>(*dm);
  b->ShowTradedView();
  OfferedProduct seen;
  EXPECT_TRUE(b->AddSelectedProduct([&](const OfferedProduct& p) {
    seen = p;
    return Offer::Added;
  }));
  EXPECT_EQ(seen.code, "G0");
  EXPECT_EQ(seen.unitQty, "0");
  EXPECT_FALSE(b->AddSelectedProduct([](const OfferedProduct&) { return Offer::NotAdded; }));
}

}  // namespace
}  // namespace tarvik
