// A 25-row product page over its table: its rows, its count, its wheel. The
// keys are in the paging table of tests/screens/PagedListTest.cpp, which runs
// over a product table too.
#include <gtest/gtest.h>

#include "catalog/ProductList.h"

namespace tarvik {
namespace {

std::vector<GoodsRecord> Table(int n) {
  std::vector<GoodsRecord> t(kGoodsCapacity);
  for (int i = 0; i < n; ++i) {
    t[i].G_CODE = "G" + std::to_string(i);
    t[i].G_NAME = "name" + std::to_string(i);
    t[i].U_COST = "1000";
    t[i].U_DATE = "240131";
    t[i].RowNo = i;
  }
  return t;
}

struct Paged {
  explicit Paged(int n) : table(Table(n)) {
    page.SetSource(&table, n);
    page.FillPage(0, 0);
  }
  std::vector<GoodsRecord> table;
  ProductPage page;
};

TEST(ProductPage, FillsRowsAndMarksRowsPastTheEndEmpty) {
  Paged p(10);
  EXPECT_EQ(p.page.Cell(0, kColCode), "G0");
  EXPECT_EQ(p.page.Cell(9, kColName), "name9");
  EXPECT_EQ(p.page.Cell(9, kColRowNo), "9");
  EXPECT_TRUE(p.page.RowEmpty(10));
  EXPECT_EQ(p.page.PositionAt(10), -1);
  EXPECT_EQ(p.page.Cell(0, kColPrice), "1000");
  p.page.SetShowDate(true);
  p.page.FillPage(0, 0);
  EXPECT_EQ(p.page.Cell(0, kColPrice), "240131");
  EXPECT_EQ(p.page.Cell(0, kColUnitQty), "");  // never filled
}

TEST(ProductPage, CountBeyondTheTableNeverReadsPastIt) {
  std::vector<GoodsRecord> t = Table(3000);
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

// An empty list (no products, a search without matches) has no position:
// the count display shows 0 and Down does nothing.
TEST(ProductPage, EmptyListCarriesNoPosition) {
  Paged empty(0);
  empty.page.KeyDown();
  EXPECT_EQ(empty.page.Selected(), 0);
  EXPECT_EQ(empty.page.Top(), -1);
  EXPECT_EQ(empty.page.Position(), 0);
  empty.page.End();
  EXPECT_EQ(empty.page.Position(), 0);
}

// Only a notch on row 24 (or 0) itself moves the page; a notch that reaches
// the edge row just selects it.
TEST(ProductPage, WheelMovesOneRowAndScrollsAtTheEdges) {
  Paged p(30);
  p.page.Wheel(-120);
  EXPECT_EQ(p.page.Selected(), 1);
  p.page.Select(23);
  p.page.Wheel(-120);  // reaches row 24, no scroll yet
  EXPECT_EQ(p.page.Selected(), 24);
  EXPECT_EQ(p.page.Top(), 0);
  p.page.Wheel(-120);
  EXPECT_EQ(p.page.Top(), 1);
  EXPECT_EQ(p.page.Selected(), 24);
  p.page.Select(1);
  p.page.Wheel(120);  // row 1 to row 0, no scroll yet
  EXPECT_EQ(p.page.Selected(), 0);
  EXPECT_EQ(p.page.Top(), 1);
  p.page.Wheel(120);
  EXPECT_EQ(p.page.Top(), 0);
  Paged few(5);
  few.page.Select(4);
  few.page.Wheel(-120);  // would land on an empty row: climbs back
  EXPECT_EQ(few.page.Selected(), 4);
  // The delta is read as a signed 16-bit number.
  few.page.Select(2);
  few.page.Wheel(0xFF88);
  EXPECT_EQ(few.page.Selected(), 3);
}

}  // namespace
}  // namespace tarvik
