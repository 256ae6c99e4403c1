// Lists of products into the basket, row by row, and the lines no longer sold.
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

struct Tables {
  std::vector<GoodsRecord> traded{Goods("P00001", "브레이크 패드", "8801"), Goods("P00002", "오일 필터", "8802"),
                                  Goods("P00003", "와이퍼", "8803")};
  std::vector<GoodsRecord> all;
  Tables() {
    all = traded;
    all.push_back(Goods("P00009", "제품 P00009"));
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
  test::ScriptedPrompter prompter;
  prompter.enterAtEveryQuestion = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    const ListPlan plan({{1, {"P00001"}, c.written}}, t.Both(), OrderDraft());
    // Above 9,999 Enter asks first, naming the row, No by default.
    EXPECT_EQ(plan.ConfirmQuantities(prompter), std::string(c.written) != "9,999,999");
    ASSERT_EQ(plan.Rows().size(), 1u);
    EXPECT_EQ(plan.Rows()[0].verdict, c.verdict);
    EXPECT_EQ(plan.Rows()[0].name, "브레이크 패드");  // named also when refused
    if (c.verdict == RowVerdict::Add) {
      EXPECT_EQ(plan.Rows()[0].after, c.line);
    }
  }
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"수량이 아주 큰 행이 있습니다.\r1행 브레이크 패드: 9,999,999\r\r이 수량대로 "
                                    "넣으시겠습니까?\r\r[아니요]를 누르면 목록을 넣지 않습니다."});
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
  EXPECT_EQ(draft.Line(97).GoodsCode + draft.Line(97).Quantity + draft.Line(98).GoodsCode, "N12N2");
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
  // "Unicode text" a spreadsheet saves: UTF-16, low byte first; and
  // (regression: read as CP949) high byte first.
  std::string low = "\xFF\xFE", high = "\xFE\xFF";
  for (char c : std::string("P00001\t3\r\n")) low += std::string{c, '\0'}, high += std::string{'\0', c};
  EXPECT_EQ(basket(low), (std::vector<std::string>{"P00001 3"}));
  EXPECT_EQ(basket(high), basket(low));
  // A UTF-8 mark before other bytes does not skip the UTF-8 check.
  EXPECT_EQ(DecodeListBytes("\xEF\xBB\xBFP1,\xBA\xEA\xB7\xB9\xC0\xCC\xC5\xA9"), "P1,브레이크");
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
  for (long long count : {-1LL, 0LL, static_cast<long long>(kGoodsCapacity) + 1})  // no table: no marks
    EXPECT_EQ(MarkLinesNotSold(d, all, count), 0) << count;
  EXPECT_EQ(MarkLinesNotSold(d, all, 3), 3);
  EXPECT_EQ(DraftLineCell(d.Line(5), kDColName, d.Line(5).GoodsName).text, "[P2] b");  // named from the table
  std::vector<bool> marks;
  for (int r = 0; r < 7; ++r) marks.push_back(d.Line(r).NotSold);
  EXPECT_EQ(marks, (std::vector<bool>{false, true, false, false, true, true, false}));
  // The name cell of a marked line names the product by its code.
  EXPECT_EQ(DraftLineCell(d.Line(1), kDColName, "").text, "[P9]");
  EXPECT_EQ(DraftLineCell(d.Line(0), kDColName, "a").text, "a");
  // Its number cell is red.
  EXPECT_EQ(DraftLineCell(d.Line(1), kDColLineNo, "2").background.value_or(0), 0xD01010u);
  EXPECT_FALSE(DraftLineCell(d.Line(0), kDColLineNo, "1").background);

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
