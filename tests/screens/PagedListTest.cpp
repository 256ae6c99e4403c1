// The list screens' paging over both kinds of source: a list reply's records and a product table.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "catalog/ProductList.h"
#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"
#include "wire/MessageFormat.h"

namespace tarvik { namespace {

// A list reply of n records, each with its key "k<i>" and a name.
std::string ListReply(long long n, long long announced) {
  std::string reply = MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(announced));
  for (long long i = 0; i < n; ++i) {
    const std::string s = std::to_string(i);
    reply += MakeTag("RDC_" + s, MakeTag("OH_NAME", "n" + s) + MakeTag("OH_CODE", "k" + s));
  }
  return reply;
}

// A list over n records, the key its row shows and the key of record i.
struct Paged {
  std::unique_ptr<PagedList> list;
  std::function<std::string(int row)> key;
  std::string prefix;  // of the key of record i
  std::shared_ptr<void> keep;  // the source and its data
};

Paged ReplyList(long long n) {
  auto source = std::make_shared<ReplyRecordSource>(std::vector<std::string>{"OH_NAME", "OH_CODE"});
  source->TakeReply(ListReply(n, n));
  auto list = std::make_unique<PagedList>(PagedList::WheelRule::ScrollAtEdge);
  list->SetRowSource(source.get());
  PagedList* l = list.get();
  return {std::move(list), [l](int row) { return l->Cell(row, 1); }, "k", source};
}

Paged ProductList(long long n) {
  auto table = std::make_shared<std::vector<GoodsRecord>>(kGoodsCapacity);
  for (long long i = 0; i < n; ++i) {
    (*table)[static_cast<std::size_t>(i)].G_CODE = "G" + std::to_string(i);
    (*table)[static_cast<std::size_t>(i)].RowNo = static_cast<int>(i);
  }
  auto page = std::make_unique<ProductPage>();
  page->SetSource(table.get(), n);
  ProductPage* l = page.get();
  return {std::move(page), [l](int row) { return l->Cell(row, kColCode); }, "G", table};
}

// Keys as letters with optional counts: D/U down/up, N/P PgDn/PgUp, H/E Home/End, S<r> select, F<t> fill from t.
void Press(PagedList& list, const std::string& keys) {
  const std::map<char, void (PagedList::*)()> step = {{'D', &PagedList::KeyDown}, {'U', &PagedList::KeyUp},
                                                      {'N', &PagedList::PgDn},    {'P', &PagedList::PgUp},
                                                      {'H', &PagedList::Home},    {'E', &PagedList::End}};
  for (std::size_t i = 0; i < keys.size();) {
    const char k = keys[i++];
    const std::size_t end = std::min(keys.find_first_not_of("0123456789", i), keys.size());
    const int n = end == i ? 1 : std::atoi(keys.substr(i, end - i).c_str());
    i = end;
    if (k == 'S') list.Select(n);
    else if (k == 'F') list.FillPage(n, 0);
    else for (int t = 0; t < n; ++t) (list.*step.at(k))();
  }
}

// top: the window's first position; record: the selected one (-1: its row is empty); firstEmptyRow: 25 for none.
struct NavCase { const char* what; long long records; const char* keys; long long top; int row; long long record;
                 int firstEmptyRow; };

const NavCase kNavigation[] = {
    {"up on row 0 of the first window does nothing", 30, "U", 0, 0, 0, 25},
    {"down moves the selection within the window", 30, "D24", 0, 24, 24, 25},
    {"down on row 24 with more records steps the window", 30, "D25", 1, 24, 25, 25},
    {"down on the last record is used up", 30, "D40", 5, 24, 29, 25},
    {"down on the last record of a short list is used up", 3, "S2D", 0, 2, 2, 3},
    {"up on row 0 steps the window back", 30, "D30S0U", 4, 0, 4, 25},
    {"up within the window", 30, "S7U", 0, 6, 6, 25},
    {"home goes to the first record", 60, "NS5H", 0, 0, 0, 25},
    {"end with exactly 25 records keeps the window", 25, "E", 0, 24, 24, 25},
    {"end with 10 records selects the empty row 24", 10, "E", 0, 24, -1, 10},
    {"end shows the last 25 records", 2500, "E", 2475, 24, 2499, 25},
    {"pgup at top 24 does nothing", 60, "D48", 24, 24, 48, 25},
    {"pgup at top 25 shows the window from 0", 60, "NP", 0, 0, 0, 25},
    {"pgup keeps the selected row", 100, "F50S7P", 25, 7, 32, 25},
    {"pgup with a top between 1 and 24 does nothing", 60, "D25P", 1, 24, 25, 25},
    {"pgdn shows the next 25 and keeps the row", 100, "S3N", 25, 3, 28, 25},
    {"pgdn on 30 records climbs off the empty rows", 30, "S10N", 25, 4, 29, 5},
    {"a second pgdn on 30 records does nothing", 30, "S10NN", 25, 4, 29, 5},
    {"pgdn with exactly 25 records after the top does nothing", 100, "F75N", 75, 0, 75, 25},
    {"pgdn from top 50 of 100", 100, "F50N", 75, 0, 75, 25},
    {"pgdn on 40 records from row 20", 40, "S20N", 25, 14, 39, 15},
};

class Navigation : public ::testing::TestWithParam<Paged (*)(long long)> {};

TEST_P(Navigation, KeysMoveTheWindowAndTheSelection) {
  for (const NavCase& c : kNavigation) {
    SCOPED_TRACE(c.what);
    Paged p = GetParam()(c.records);
    PagedList& list = *p.list;
    list.FillPage(0, 0);
    list.Select(0);
    Press(list, c.keys);
    EXPECT_EQ(list.Top(), c.top);
    EXPECT_EQ(list.Selected(), c.row);
    if (c.record >= 0) {
      EXPECT_EQ(list.Current(), c.record);
      EXPECT_EQ(list.Position(), c.record + 1);  // the count display
      EXPECT_EQ(p.key(c.row), p.prefix + std::to_string(c.record));
    } else {
      EXPECT_TRUE(list.RowEmpty(c.row));
    }
    for (int r = 0; r < kPagedRows; ++r) {
      EXPECT_EQ(list.RowEmpty(r), r >= c.firstEmptyRow) << "row " << r;
      EXPECT_TRUE(r >= c.firstEmptyRow || p.key(r) == p.prefix + std::to_string(c.top + r)) << "row " << r;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothSources, Navigation, ::testing::Values(&ReplyList, &ProductList),
                         [](const auto& info) { return info.index == 0 ? "ReplyRecords" : "ProductTable"; });

// The wheel moves the window once the selection reaches its edge row; within the window, only the selection.
TEST(PagedListWheel, StepsTheWindowAtTheEdgeOrOnlyTheSelection) {
  const struct { const char* what; PagedList::WheelRule rule; long long records, top; int select, delta;
                 long long wantTop; int wantRow; } cases[] = {
      {"towards the user from row 23: row 24 and one record on", PagedList::WheelRule::ScrollAtEdge, 30, 0, 23, -120, 1, 24},
      {"away from row 1: row 0, one record back", PagedList::WheelRule::ScrollAtEdge, 30, 1, 1, 120, 0, 0},
      {"at the first record: nothing more", PagedList::WheelRule::ScrollAtEdge, 30, 0, 0, 120, 0, 0},
      {"onto an empty row: climbs back", PagedList::WheelRule::ScrollAtEdge, 5, 0, 4, -120, 0, 4},
      {"a signed 16-bit delta: towards the user", PagedList::WheelRule::ScrollAtEdge, 5, 0, 2, 0xFF88, 0, 3},
      // A sideways scroll read as a step towards the user once.
      {"a sideways scroll: no step at all", PagedList::WheelRule::ScrollAtEdge, 5, 0, 2, 0, 0, 2},
      {"within the window at row 24", PagedList::WheelRule::WithinWindow, 60, 10, 24, -120, 10, 24},
      {"within the window at row 0", PagedList::WheelRule::WithinWindow, 60, 10, 0, 120, 10, 0},
      {"within the window down", PagedList::WheelRule::WithinWindow, 60, 10, 0, -120, 10, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReplyRecordSource source({"OH_NAME", "OH_CODE"});
    source.TakeReply(ListReply(c.records, c.records));
    PagedList list(c.rule);
    list.SetRowSource(&source);
    list.FillPage(c.top, 0);
    list.Select(c.select);
    list.Wheel(c.delta);
    EXPECT_EQ(list.Top(), c.wantTop);
    EXPECT_EQ(list.Selected(), c.wantRow);
    EXPECT_EQ(list.Position(), c.wantTop + c.wantRow + 1);
  }
}

TEST(ReplyRecordSource, KeepsTheReplyAndItsCountOrDropsThem) {
  ReplyRecordSource source({"OH_NAME", "OH_CODE"});
  EXPECT_EQ(source.TakeReply("SetResponseBuffer Error<CALL_INDEX></CALL_INDEX>"), ReplyRecordSource::Load::ReadError);
  EXPECT_EQ(source.ListCount(), -1);
  EXPECT_TRUE(source.ListReply().empty());
  EXPECT_TRUE(source.Row(0).empty);
  EXPECT_EQ(source.TakeReply(ListReply(0, 0)), ReplyRecordSource::Load::NoRecords);
  EXPECT_EQ(source.ListCount(), 0);
  EXPECT_TRUE(source.ListReply().empty());
  // A count that is not a number counts as none.
  EXPECT_EQ(source.TakeReply(MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", "x")),
            ReplyRecordSource::Load::NoRecords);
  const std::string reply = ListReply(3, 2);  // a record more than announced
  EXPECT_EQ(source.TakeReply(reply), ReplyRecordSource::Load::Records);
  EXPECT_EQ(source.ListReply(), reply);
  EXPECT_EQ(source.ListCount(), 2);
  EXPECT_EQ(source.Row(1).cells, (std::vector<std::string>{"n1", "k1"}));
  EXPECT_EQ(source.Row(1).position, 1);
  // Rows are read by their tags: the unannounced record shows, a missing one is empty but keeps its position.
  EXPECT_FALSE(source.Row(2).empty);
  EXPECT_TRUE(source.Row(3).empty);
  EXPECT_EQ(source.Row(3).position, 3);
}

}}  // namespace tarvik
