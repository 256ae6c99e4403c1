// Paging of a 25-row product page over its table, at the edges.
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
  EXPECT_EQ(p.page.RowNoAt(10), -1);
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

TEST(ProductPage, UpAndDownAtTheEdges) {
  Paged p(30);
  p.page.KeyUp();  // top 0, row 0: nothing
  EXPECT_EQ(p.page.Top(), 0);
  EXPECT_EQ(p.page.Selected(), 0);
  for (int i = 0; i < 24; ++i) p.page.KeyDown();
  EXPECT_EQ(p.page.Selected(), 24);
  EXPECT_EQ(p.page.Top(), 0);
  p.page.KeyDown();  // row 24 with more records: the page shifts by one
  EXPECT_EQ(p.page.Top(), 1);
  EXPECT_EQ(p.page.Selected(), 24);
  EXPECT_EQ(p.page.Position(), 26);
  for (int i = 0; i < 10; ++i) p.page.KeyDown();  // stops on the last record
  EXPECT_EQ(p.page.Current(), 29);
  EXPECT_EQ(p.page.Top(), 5);
  p.page.Select(0);
  p.page.KeyUp();  // row 0, top 5: shows record 4 on row 0
  EXPECT_EQ(p.page.Top(), 4);
  EXPECT_EQ(p.page.Selected(), 0);
  EXPECT_EQ(p.page.Cell(1, kColCode), "G5");

  // Down on the last record of a short or empty list is swallowed.
  Paged shortList(3);
  shortList.page.Select(2);
  shortList.page.KeyDown();
  EXPECT_EQ(shortList.page.Selected(), 2);
  Paged empty(0);
  empty.page.KeyDown();
  EXPECT_EQ(empty.page.Selected(), 0);
  EXPECT_EQ(empty.page.Position(), 0);
}

TEST(ProductPage, HomeEndPgUpAndPgDnLimits) {
  Paged few(10);
  few.page.End();  // too few records: page stays, row 24 (empty) is selected
  EXPECT_EQ(few.page.Top(), 0);
  EXPECT_EQ(few.page.Selected(), 24);
  EXPECT_TRUE(few.page.RowEmpty(24));
  Paged many(2500);
  many.page.End();
  EXPECT_EQ(many.page.Top(), 2475);
  EXPECT_EQ(many.page.Position(), 2500);
  many.page.Home();
  EXPECT_EQ(many.page.Top(), 0);
  EXPECT_EQ(many.page.Selected(), 0);

  Paged p(100);
  p.page.FillPage(24, 0);
  p.page.PgUp();  // top 24: nothing
  EXPECT_EQ(p.page.Top(), 24);
  p.page.FillPage(25, 0);
  p.page.PgUp();
  EXPECT_EQ(p.page.Top(), 0);
  p.page.FillPage(50, 0);  // n - top - 1 = 49: a page down is possible
  p.page.PgDn();
  EXPECT_EQ(p.page.Top(), 75);
  p.page.PgDn();  // exactly 25 records from top 75 on: nothing
  EXPECT_EQ(p.page.Top(), 75);

  // The last page of a list that does not fill it: the selection climbs off
  // the empty rows.
  Paged q(40);
  q.page.Select(20);
  q.page.PgDn();
  EXPECT_EQ(q.page.Top(), 25);
  EXPECT_EQ(q.page.Selected(), 14);
  EXPECT_EQ(q.page.Current(), 39);
}

TEST(ProductPage, WheelMovesOneRowAndScrollsAtTheEdges) {
  Paged p(30);
  p.page.Wheel(-120);
  EXPECT_EQ(p.page.Selected(), 1);
  p.page.Select(24);
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
