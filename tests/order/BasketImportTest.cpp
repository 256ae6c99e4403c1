// Lists of products into the basket: how a pasted text or a file is read,
// what each row becomes, and the lines of a reopened order that left the
// catalogue.
#include <gtest/gtest.h>

#include "order/BasketImport.h"
#include "order/LineText.h"
#include "order/NotSold.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

GoodsRecord Goods(const std::string& code, const std::string& name, const std::string& barcode = "") {
  GoodsRecord g;
  g.G_CODE = code;
  g.G_NAME = name;
  g.G_BOX = "EA";
  g.G_BCODE = barcode;
  return g;
}

// The visible list's table (traded products) and all products: P00009 is
// only in the second.
struct Tables {
  std::vector<GoodsRecord> traded{Goods("P00001", "브레이크 패드", "8801"), Goods("P00002", "오일 필터", "8802"),
                                  Goods("P00003", "와이퍼", "8803")};
  std::vector<GoodsRecord> all;
  Tables() {
    all = traded;
    for (const char* c : {"P00004", "P00005", "P00006", "P00009"}) all.push_back(Goods(c, std::string("제품 ") + c));
  }
  std::vector<GoodsTable> Both() const {
    return {{&traded, static_cast<long long>(traded.size())}, {&all, static_cast<long long>(all.size())}};
  }
};

struct Row {
  int rowNo;
  std::vector<std::string> keys;
  std::string quantity;
  bool operator==(const ListRow& r) const { return rowNo == r.rowNo && keys == r.keys && quantity == r.quantity; }
};

TEST(ListRows, SeparatorsQuotesHeadersAndRowNumbers) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<Row> rows;
  } cases[] = {
      {"spreadsheet cells", "P1\t3\r\nP2\t1,200\r\n", {{1, {"P1"}, "3"}, {2, {"P2"}, "1,200"}}},
      {"semicolons, a quoted quantity", "P1;2\nP2;\"1,5\"", {{1, {"P1"}, "2"}, {2, {"P2"}, "1,5"}}},
      {"CSV quotes a grouped number", "P1,\"1,200\",브레이크", {{1, {"P1"}, "1,200"}}},
      {"an unquoted comma separates", "P1,1,200", {{1, {"P1"}, "1"}}},
      {"blanks, the comma groups", "P1 1,200", {{1, {"P1"}, "1,200"}}},
      {"runs of blanks", "  P1    4  ", {{1, {"P1"}, "4"}}},
      {"no quantity", "P1\n8802,", {{1, {"P1"}, ""}, {2, {"8802"}, ""}}},
      {"blank lines count", "\n  \nP1,2\n,,\n", {{3, {"P1"}, "2"}}},
      {"a header with a blank in a name", "제품 코드,수량\nP1,2", {{2, {"P1"}, "2"}}},
      {"header columns anywhere",
       "품명\t바코드\t제품코드\t수량\n브레이크\t8801\tP1\t5\n와이퍼\t\tP3\t",
       {{2, {"8801", "P1"}, "5"}, {3, {"", "P3"}, ""}}},
      {"a header without quantities", "G_CODE,G_NAME\nP1,이름", {{2, {"P1"}, ""}}},
      {"a first row that is no header", "Item,Amount\nP1,2", {{1, {"Item"}, "Amount"}, {2, {"P1"}, "2"}}},
      {"nothing", " \r\n\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<ListRow> got = SplitListRows(c.text);
    ASSERT_EQ(got.size(), c.rows.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(c.rows[i] == got[i]) << "row " << i;
  }
}

TEST(ListPlan, QuantitiesAreNumbersAboveZeroWithTwoDecimalsAtMost) {
  const Tables t;
  struct Case {
    const char* written;
    RowVerdict verdict;
    const char* line;  // the new line's quantity when added
  } cases[] = {
      {"3", RowVerdict::Add, "3"},          {"1,200", RowVerdict::Add, "1200"},
      {"9,999,999", RowVerdict::Add, "9999999"}, {"2.50", RowVerdict::Add, "2.5"},
      {"+4", RowVerdict::Add, "4"},         {".5", RowVerdict::Add, "0.5"},
      {"0.05", RowVerdict::Add, "0.05"},    {"", RowVerdict::Add, "1"},
      {"1,2", RowVerdict::NotNumber, ""},   {"12,34,567", RowVerdict::NotNumber, ""},
      {"2.555", RowVerdict::NotNumber, ""}, {"abc", RowVerdict::NotNumber, ""},
      {"8801234567890", RowVerdict::NotNumber, ""},  // a barcode in the quantity column
      {"0", RowVerdict::NotPositive, ""},   {"0.00", RowVerdict::NotPositive, ""},
      {"-1", RowVerdict::NotPositive, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    const ListPlan plan({{1, {"P00001"}, c.written}}, t.Both(), OrderDraft());
    ASSERT_EQ(plan.Rows().size(), 1u);
    EXPECT_EQ(plan.Rows()[0].verdict, c.verdict);
    EXPECT_EQ(plan.Rows()[0].name, "브레이크 패드");  // named also when refused
    if (c.verdict == RowVerdict::Add) {
      EXPECT_EQ(plan.Rows()[0].after, c.line);
    }
  }
}

TEST(ListPlan, TenRowsAddTheGoodOnesAndReportTheTwoBadOnesByNumber) {
  test::ScriptedPrompter prompter;  // no message may come up
  const Tables t;
  OrderDraft draft;
  draft.AddLine("P00003", "와이퍼", "EA", "2", "앞");
  const std::string text =
      "8801\t3\n"          // 1 barcode
      "P00002\t1,200\n"    // 2 code, thousands separator
      "P99999\t1\n"        // 3 unknown
      "P00004\t0\n"        // 4 zero
      "P00009\t2.5\n"      // 5 only among all products
      "8801\t2\n"          // 6 the product of row 1 again
      "P00003\t4\n"        // 7 already in the basket
      "P00005\n"           // 8 no quantity
      "P00006\t12,000\n"   // 9
      "P00004\t7\n";       // 10 the product row 4 gave no quantity for
  const ListPlan plan(SplitListRows(text), t.Both(), draft);
  ASSERT_EQ(plan.Rows().size(), 10u);
  std::vector<std::pair<int, std::string>> refused;
  for (const PlannedRow& r : plan.Rows())
    if (!r.Good()) refused.emplace_back(r.rowNo, r.ResultText());
  EXPECT_EQ(refused, (std::vector<std::pair<int, std::string>>{{3, "없는 제품입니다"}, {4, "수량이 0 이하입니다"}}));
  EXPECT_EQ(plan.Rows()[0].ResultText(), "새 줄 (합계 5)");
  EXPECT_EQ(plan.Rows()[1].ResultText(), "새 줄");
  EXPECT_EQ(plan.Rows()[5].ResultText(), "1행에 더함");
  EXPECT_EQ(plan.Rows()[6].ResultText(), "2 → 6");
  EXPECT_EQ(plan.Summary(), "새 줄 6 · 수량 더함 1 · 합침 1 · 제외 2");
  EXPECT_EQ(draft.LineCount(), 1);  // planning changes nothing

  EXPECT_EQ(plan.Apply(draft), 7);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"P00003", "6"},   {"P00001", "5"}, {"P00002", "1200"}, {"P00009", "2.5"},
      {"P00005", "1"},   {"P00006", "12000"}, {"P00004", "7"}};
  ASSERT_EQ(draft.LineCount(), 7);
  for (int r = 0; r < 7; ++r) {
    EXPECT_EQ(draft.Line(r).GoodsCode, want[r].first) << r;
    EXPECT_EQ(draft.Line(r).Quantity, want[r].second) << r;
    EXPECT_EQ(draft.Line(r).LineNo, std::to_string(r + 1));
  }
  EXPECT_EQ(draft.Line(0).LineNote, "앞");
  EXPECT_EQ(draft.Line(3).GoodsName, "제품 P00009");
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST(ListPlan, ABasketThatWouldPassNinetyNineLinesTakesUpToTheNinetyNinth) {
  test::ScriptedPrompter prompter;
  std::vector<GoodsRecord> all;
  for (int i = 0; i < 100; ++i) all.push_back(Goods("G" + std::to_string(i), "n"));
  for (const char* c : {"N1", "N2", "N3"}) all.push_back(Goods(c, c));
  OrderDraft draft;
  for (int i = 0; i < 97; ++i) draft.AddLine("G" + std::to_string(i), "n", "EA", "1", "");
  const ListPlan plan(SplitListRows("N1 1\nN2 1\nN3 1\nG5 2\nN1 1\nN3 4\n"),
                      {{&all, static_cast<long long>(all.size())}}, draft);
  std::vector<RowVerdict> verdicts;
  for (const PlannedRow& r : plan.Rows()) verdicts.push_back(r.verdict);
  EXPECT_EQ(verdicts, (std::vector<RowVerdict>{RowVerdict::Add, RowVerdict::Add, RowVerdict::Full,
                                                RowVerdict::Raise, RowVerdict::Merged, RowVerdict::Full}));
  EXPECT_EQ(plan.Rows()[2].ResultText(), "99줄이 넘어 넣을 수 없습니다");
  plan.Apply(draft);
  EXPECT_EQ(draft.LineCount(), 99);
  EXPECT_EQ(draft.Line(97).GoodsCode, "N1");
  EXPECT_EQ(draft.Line(97).Quantity, "2");
  EXPECT_EQ(draft.Line(98).GoodsCode, "N2");
  EXPECT_EQ(draft.Line(5).Quantity, "3");
  EXPECT_EQ(draft.FindCode("N3"), -1);
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST(ListFile, Cp949WithAHeaderAndUtf8WithoutOneGiveTheSameBasket) {
  const Tables t;
  const std::string cp949 = std::string("\xC1\xA6\xC7\xB0\xC4\xDA\xB5\xE5,\xC7\xB0\xB8\xED,\xBC\xF6\xB7\xAE") +
                            "\r\nP00001,\xBA\xEA\xB7\xB9\xC0\xCC\xC5\xA9 \xC6\xD0\xB5\xE5,3\r\n" +
                            "P00002,\xBF\xC0\xC0\xCF \xC7\xCA\xC5\xCD,\"1,200\"\r\n";  // 제품코드,품명,수량
  const std::string utf8 = "P00001,3\nP00002,\"1,200\"\n";
  auto basket = [&](const std::string& bytes) {
    OrderDraft d;
    ListPlan(SplitListRows(DecodeListBytes(bytes)), t.Both(), d).Apply(d);
    std::vector<std::string> lines;
    for (int r = 0; r < d.LineCount(); ++r) lines.push_back(d.Line(r).GoodsCode + " " + d.Line(r).Quantity);
    return lines;
  };
  EXPECT_EQ(basket(cp949), (std::vector<std::string>{"P00001 3", "P00002 1200"}));
  EXPECT_EQ(basket(cp949), basket(utf8));
  EXPECT_EQ(basket("\xEF\xBB\xBF" + utf8), basket(utf8));
  // "Unicode text" a spreadsheet saves: UTF-16, low byte first.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("P00001\t3\r\n")) utf16 += std::string{c, '\0'};
  EXPECT_EQ(basket(utf16), (std::vector<std::string>{"P00001 3"}));
  EXPECT_EQ(DecodeListBytes(cp949).substr(0, 12), "제품코드");
}

TEST(ListFile, AUtf8MarkBeforeOtherBytesDoesNotSkipTheUtf8Check) {
  const std::string cp949 = "P00001,3,\xBA\xEA\xB7\xB9\xC0\xCC\xC5\xA9\r\n";  // 브레이크
  EXPECT_EQ(DecodeListBytes("\xEF\xBB\xBF" + cp949), "P00001,3,브레이크\r\n");
}

TEST(NotSold, CatalogueLinesMissingFromAllProductsAreMarkedAndTheMarkMovesWithTheLine) {
  std::vector<GoodsRecord> all(kGoodsCapacity);
  all[0] = Goods("P1", "a");
  all[1] = Goods("P2", "b");
  all[2] = Goods("P3", "");  // a product without a name is still sold
  OrderDraft d;
  d.LoadLine(0, "P1", "a", "EA", "1", "");
  d.LoadLine(1, "P9", "", "", "2", "메모");
  d.LoadLine(2, "YZ", "손으로", "EA", "1", "");
  d.LoadLine(3, "P2", "b", "EA", "1", "");
  d.LoadLine(4, "P8", "", "", "1", "");
  d.LoadLine(5, "P2", "", "", "1", "");  // taken out of the catalogue after the log-in
  d.LoadLine(6, "P3", "", "", "1", "");
  struct {
    long long count;
    int marked;
  } counts[] = {{3, 3}, {-1, 0}, {0, 0}, {static_cast<long long>(kGoodsCapacity) + 1, 0}, {3, 3}};
  for (const auto& c : counts) EXPECT_EQ(MarkLinesNotSold(d, all, c.count), c.marked) << c.count;
  std::vector<bool> marks;
  for (int r = 0; r < 7; ++r) marks.push_back(d.Line(r).NotSold);
  EXPECT_EQ(marks, (std::vector<bool>{false, true, false, false, true, true, false}));
  // The name cell of a marked line names the product by its code.
  EXPECT_EQ(DraftLineCell(d.Line(1), kDColName, "").text, "[P9]");
  EXPECT_EQ(DraftLineCell(d.Line(0), kDColName, "a").text, "a");

  EXPECT_EQ(DraftCellTip(d.Line(1), kDColLineNo), kNotSoldTip);
  EXPECT_EQ(DraftCellTip(d.Line(1), kDColName), kNotSoldTip);  // no name to show above it
  EXPECT_EQ(DraftCellTip(d.Line(1), kDColNote), std::string("메모\n") + kNotSoldTip);
  EXPECT_EQ(DraftCellTip(d.Line(0), kDColLineNo), "");

  d.Select(0);
  d.DeleteLine();
  EXPECT_TRUE(d.Line(0).NotSold);  // P9 moved up with its mark
  EXPECT_FALSE(d.Line(2).NotSold);
  EXPECT_EQ(d.Line(3).GoodsCode, "P8");
  EXPECT_TRUE(d.Line(3).NotSold);
  EXPECT_FALSE(d.Line(6).NotSold);  // the row it left
  d.LoadLine(0, "P1", "a", "EA", "1", "");
  EXPECT_FALSE(d.Line(0).NotSold);
  EXPECT_EQ(NotSoldMessage(2), "현재 판매하지 않는 제품이 2줄 있습니다.\r\r빨간색으로 표시된 줄은 주문이 거절될 수 있으니 확인하십시요.");
}

}  // namespace
}  // namespace tarvik
