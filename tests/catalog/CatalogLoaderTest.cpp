// The catalogue tables as the log-in builds them, and the category browser where its screen test cannot reach.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalog/CatalogLoader.h"
#include "catalog/CategoryBrowser.h"
#include "order/OrderDraft.h"
#include "platform/QtText.h"
#include "session/Session.h"
#include "wire/MessageFormat.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSeams.h"

namespace tarvik { namespace {

struct Row { std::string major, minor; };

std::string Reply(const std::vector<Row>& rows, long long claimedCount = -1) {
  std::string body;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string n = std::to_string(i);
    body += MakeTag("RDC_" + n, MakeTag("G_CODE", "G" + n) + MakeTag("G_NAME", "부품 " + n) +
                                    MakeTag("G_BOX", "EA") + MakeTag("G_BCODE", "880" + n) +
                                    MakeTag("G_BCNT", "1") + MakeTag("G_GPN1", rows[i].major) +
                                    MakeTag("G_GPN2", rows[i].minor) + MakeTag("U_DATE", "240131") +
                                    MakeTag("U_COST", "1500") + MakeTag("U_CNT", "2"));
  }
  const long long count = claimedCount < 0 ? static_cast<long long>(rows.size()) : claimedCount;
  return MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(count)) + body;
}

// Tables as the session allocates them, with the start counts.
struct Tables {
  std::vector<GoodsRecord> goods = std::vector<GoodsRecord>(kGoodsCapacity);
  std::vector<std::string> majors = std::vector<std::string>(kMajorCapacity);
  std::vector<CategoryPair> pairs = std::vector<CategoryPair>(kGroupCapacity);
  int majorCount = 99;
  int pairCount = 999;
  GoodsTableSet Set() { return {goods, majors, majorCount, pairs, pairCount}; }
  // The build's messages.
  std::vector<std::string> Build(const std::vector<Row>& rows, LoadProgress* p = nullptr, long long claimed = -1) {
    const std::string reply = Reply(rows, claimed);
    return BuildGoodsTables(reply, TagInt("RESULT_RECORD_COUNT", reply), Set(), p);
  }
};

struct CountingProgress : LoadProgress {
  long long max = -1, steps = 0;
  bool ended = false;
  void Begin(long long m) override { max = m; }
  void Step(long long) override { ++steps; }
  void End() override { ended = true; }
};

TEST(CatalogBuild, CategoryListsFollowTheReplyOrder) {
  Tables t;
  CountingProgress progress;
  EXPECT_TRUE(t.Build({{"A", "x"}, {"A", "y"}}, &progress).empty());
  EXPECT_EQ(t.majorCount, 1);
  ASSERT_EQ(t.pairCount, 2);
  EXPECT_EQ(t.pairs[1].G_GPN2, "y");
  // Each field into its member (the one-walk reader itself is the wire test's).
  const GoodsRecord& g = t.goods[1];
  EXPECT_EQ(g.G_CODE + g.G_NAME + g.G_BOX + g.G_BCODE + g.G_BCNT + g.G_GPN1 + g.G_GPN2 + g.U_DATE + g.U_COST + g.U_CNT,
            "G1부품 1EA88011Ay24013115002");
  EXPECT_EQ(g.RowNo, 1);
  EXPECT_EQ(t.goods[2].RowNo, -1);
  EXPECT_EQ(progress.max + progress.steps, 4);
  EXPECT_TRUE(progress.ended);
  // A name that comes back after another one is entered again; an empty category is like any other.
  Tables again, blank;
  EXPECT_TRUE(again.Build({{"A", "x"}, {"B", "x"}, {"A", "x"}}).empty());
  EXPECT_EQ(again.majorCount + again.pairCount, 6);
  EXPECT_EQ(again.majors[2], "A");
  EXPECT_TRUE(blank.Build({{"", ""}, {"", ""}}).empty());
  EXPECT_EQ(blank.majorCount + blank.pairCount, 2);
}

TEST(CatalogBuild, MajorNamesAreCutToTwentyBytesWithoutSplittingACharacter) {
  const std::string latin(25, 'M');
  const std::string hangul = "가나다라마바사아자차카";  // 11 syllables, 22 bytes
  const std::string mixed = "A가나다라마바사아자차";   // 21 bytes
  Tables t;
  t.Build({{latin, "x"}, {hangul, "x"}, {mixed, "x"}});
  EXPECT_EQ(t.majors[0], std::string(20, 'M'));
  EXPECT_EQ(t.pairs[0].G_GPN1, latin);  // the pair keeps the whole name
  EXPECT_EQ(t.majors[1], "가나다라마바사아자차");
  EXPECT_EQ(t.majors[2], "A가나다라마바사아자");  // 19: the cut never splits a character
  EXPECT_EQ(t.goods[1].G_GPN1, hangul);
}

TEST(CatalogBuild, LimitsOfMajorsRowsAndPairsAndACountBeyondTheRecordsPresent) {
  // 3100 records in 105 majors of about 30 records each; the reply claims more.
  std::vector<Row> rows;
  for (int i = 0; i < 3100; ++i) rows.push_back({"M" + std::to_string(i * 105 / 3100), "m"});
  Tables t;
  CountingProgress progress;
  const std::vector<std::string> messages = t.Build(rows, &progress, 50000000);
  EXPECT_EQ(progress.max, 50000000);
  EXPECT_EQ(progress.steps, 3100);  // the walk stops at the last record
  EXPECT_EQ(t.majorCount, 100);
  EXPECT_EQ(t.majors[99], "M99");
  EXPECT_EQ(t.pairCount, 100);
  EXPECT_EQ(t.goods[2999].RowNo, 2999);
  EXPECT_EQ(t.goods[2999].G_GPN1, "M101");  // products of unlisted majors are still stored
  // One message per limit, each with the number of records present it left out.
  long long unlisted = 0;
  for (const auto& r : rows) unlisted += r.major >= "M100" && r.major.size() == 4;
  ASSERT_GT(unlisted, 100);
  EXPECT_EQ(messages, (std::vector<std::string>{TooManyMajorsText(unlisted), TooManyGoodsText(100)}));
  EXPECT_EQ(TooManyMajorsText(148), "Error 대분류명이 100개 이상입니다.\r\r대분류에 등록되지 않은 제품: 148개");
  EXPECT_EQ(TooManyGoodsText(1234), "제품 갯수가 초과하였습니다.\r\r3000개를 넘어 읽지 않은 제품: 1,234개");

  // 1200 pairs: the list holds 1000, nothing is written past it.
  std::vector<Row> many;
  for (int i = 0; i < 1200; ++i) many.push_back({"A", "m" + std::to_string(i)});
  Tables p;
  p.Build(many);
  EXPECT_EQ(p.pairCount, 1000);
  EXPECT_EQ(p.pairs.size(), kGroupCapacity);
  EXPECT_EQ(p.pairs[999].G_GPN2, "m999");
  EXPECT_EQ(p.goods[1199].G_GPN2, "m1199");
}

class Browser : public ::testing::Test {
 protected:
  void SetUp() override { dm = std::make_unique<TDM>(S(dir.path()) + "/"); }
  // One table set as the log-in builds it; product i is coded "G<i>".
  void Fill(bool all, const std::vector<Row>& rows) {
    const std::string reply = Reply(rows);
    BuildGoodsTables(reply, static_cast<long long>(rows.size()), all ? AllTables(*dm) : TradedTables(*dm), nullptr);
    (all ? dm->Catalogue.AllCount : dm->Catalogue.TradedCount) = static_cast<long long>(rows.size());
    b = std::make_unique<CategoryBrowser>(*dm, seams);
  }
  std::vector<std::string> Column(BrowserList list) {
    std::vector<std::string> rows;
    for (int r = 0; r < b->RowCount(list); ++r)
      rows.push_back(list == BrowserList::Products ? b->Product(r).G_CODE : b->Shown(list, r));
    return rows;
  }

  QTemporaryDir dir;
  test::ScriptedPrompter prompter;
  const Seams seams = test::TestSeams(prompter);
  std::unique_ptr<TDM> dm;
  std::unique_ptr<CategoryBrowser> b;
};

// Minor names cut alike still list their own products (the screen test drives one on the demo data).
TEST_F(Browser, CutAndPaddedNamesKeepTheirProductsAndMinorListsStopAtTheirLimits) {
  const std::string twin = "가나다라마바사아자차타";  // the same first 20 bytes as the first
  Fill(false, {{"A", "가나다라마바사아자차카"}, {"A", twin}, {"A", twin}});
  b->ShowTradedView();
  b->Select(BrowserList::Minors, 1);
  EXPECT_EQ(Column(BrowserList::Products), (std::vector<std::string>{"G1", "G2"}));
  Fill(true, {{"A  ", "x "}, {"A  ", "x "}, {"B", "y"}});  // a fixed-width column
  b->ShowAllView();
  EXPECT_EQ(Column(BrowserList::Products), (std::vector<std::string>{"G0", "G1"}));

  // Minor lists hold a thousand traded pairs and a hundred in the all view.
  std::vector<Row> rows;
  for (int n = 0; n < 150; ++n) rows.push_back({"A", "m" + std::to_string(n)});
  Fill(false, rows);
  Fill(true, rows);
  b->ShowTradedView();
  EXPECT_EQ(b->RowCount(BrowserList::Minors), 150);
  b->ShowAllView();
  EXPECT_EQ(b->RowCount(BrowserList::Minors), 100);
}

TEST_F(Browser, ASetNeverBuiltShowsOneEmptyRowAndAsksForAProduct) {
  dm->Catalogue.TradedCount = -1;  // a refused read: category counts still 99 and 999
  b = std::make_unique<CategoryBrowser>(*dm, seams);
  b->ShowTradedView();
  for (BrowserList l : {BrowserList::Majors, BrowserList::Minors, BrowserList::Products})
    EXPECT_EQ(Column(l), std::vector<std::string>{""});
  bool asked = false;
  EXPECT_FALSE(b->AddSelectedProduct([&](const OfferedProduct&) {
    asked = true;
    return Offer::Cancelled;
  }));
  EXPECT_FALSE(asked);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"제품을 선택하십시요."});
}

}}  // namespace tarvik
