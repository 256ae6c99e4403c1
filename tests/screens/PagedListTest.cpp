// The paging rules of the list screens, over both kinds of source: the records
// of a list reply and a product table (the main screen's lists).
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "catalog/ProductList.h"
#include "wire/MessageFormat.h"
#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"

namespace tarvik {
namespace {

// A list reply of n records, each with its key "k<i>" and a name.
std::string ListReply(long long n, long long announced) {
  std::string reply = MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(announced));
  for (long long i = 0; i < n; ++i) {
    reply += MakeTag("RDC_" + std::to_string(i),
                     MakeTag("OH_NAME", "n" + std::to_string(i)) + MakeTag("OH_CODE", "k" + std::to_string(i)));
  }
  return reply;
}

// A list over n records and the key its row for record i shows.
struct Paged {
  std::unique_ptr<PagedList> list;
  std::function<std::string(int row)> key;
  std::function<std::string(long long i)> keyOf;
  std::shared_ptr<void> keep;  // the source and its data
};

Paged ReplyList(long long n) {
  auto source = std::make_shared<ReplyRecordSource>(std::vector<std::string>{"OH_NAME", "OH_CODE"});
  source->TakeReply(ListReply(n, n));
  Paged p;
  p.list = std::make_unique<PagedList>(PagedList::WheelRule::ScrollAtEdge);
  p.list->SetRowSource(source.get());
  PagedList* list = p.list.get();
  p.key = [list](int row) { return list->Cell(row, 1); };
  p.keyOf = [](long long i) { return "k" + std::to_string(i); };
  p.keep = source;
  return p;
}

Paged ProductList(long long n) {
  auto table = std::make_shared<std::vector<GoodsRecord>>(kGoodsCapacity);
  for (long long i = 0; i < n; ++i) {
    GoodsRecord& g = (*table)[static_cast<std::size_t>(i)];
    g.G_CODE = "G" + std::to_string(i);
    g.RowNo = static_cast<int>(i);
  }
  auto page = std::make_unique<ProductPage>();
  page->SetSource(table.get(), n);
  Paged p;
  ProductPage* list = page.get();
  p.list = std::move(page);
  p.key = [list](int row) { return list->Cell(row, kColCode); };
  p.keyOf = [](long long i) { return "G" + std::to_string(i); };
  p.keep = table;
  return p;
}

// Keys as letters, each with an optional count: D down, U up, N PgDn, P PgUp,
// H Home, E End, S<r> select row r, F<t> fill the window from t.
void Press(PagedList& list, const std::string& keys) {
  for (std::size_t i = 0; i < keys.size();) {
    const char k = keys[i++];
    int n = 0;
    bool number = false;
    while (i < keys.size() && keys[i] >= '0' && keys[i] <= '9') {
      n = n * 10 + (keys[i++] - '0');
      number = true;
    }
    const int times = number && k != 'S' && k != 'F' ? n : 1;
    for (int t = 0; t < times; ++t) {
      switch (k) {
        case 'D': list.KeyDown(); break;
        case 'U': list.KeyUp(); break;
        case 'N': list.PgDn(); break;
        case 'P': list.PgUp(); break;
        case 'H': list.Home(); break;
        case 'E': list.End(); break;
        case 'S': list.Select(n); break;
        case 'F': list.FillPage(n, 0); break;
        default: break;
      }
    }
  }
}

struct NavCase {
  const char* what;
  long long records;
  const char* keys;
  long long top;        // the window's first position
  int row;              // the selected row
  long long record;     // the selected record; -1: the selected row is empty
  int firstEmptyRow;    // rows from here on are empty (25: none)
};

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

using SourceFactory = Paged (*)(long long);

class Navigation : public ::testing::TestWithParam<SourceFactory> {};

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
      EXPECT_EQ(p.key(c.row), p.keyOf(c.record));
    } else {
      EXPECT_TRUE(list.RowEmpty(c.row));
    }
    for (int r = 0; r < kPagedRows; ++r) {
      EXPECT_EQ(list.RowEmpty(r), r >= c.firstEmptyRow) << "row " << r;
      if (r < c.firstEmptyRow) {
        EXPECT_EQ(p.key(r), p.keyOf(c.top + r)) << "row " << r;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothSources, Navigation, ::testing::Values(&ReplyList, &ProductList),
                         [](const auto& info) { return info.index == 0 ? "ReplyRecords" : "ProductTable"; });

// A list screen's wheel: the window moves as soon as the selection reaches
// its edge row.
TEST(PagedListWheel, StepsTheWindowWhenTheSelectionReachesTheEdge) {
  Paged p = ReplyList(30);
  PagedList& list = *p.list;
  list.FillPage(0, 0);
  list.Select(23);
  list.Wheel(-120);  // towards the user: row 24 and one record further on
  EXPECT_EQ(list.Selected(), 24);
  EXPECT_EQ(list.Top(), 1);
  EXPECT_EQ(list.Position(), 26);  // two after the 24th
  list.Select(1);
  list.Wheel(120);  // away from the user from row 1: row 0, one record back
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(list.Top(), 0);
  list.Wheel(120);  // at the first record: nothing more
  EXPECT_EQ(list.Top(), 0);

  Paged few = ReplyList(5);
  few.list->FillPage(0, 0);
  few.list->Select(4);
  few.list->Wheel(-120);  // would land on an empty row: climbs back
  EXPECT_EQ(few.list->Selected(), 4);
  few.list->Select(2);
  few.list->Wheel(0xFF88);  // the delta is a signed 16-bit number: towards the user
  EXPECT_EQ(few.list->Selected(), 3);
  few.list->Wheel(0);  // a sideways scroll: no step at all
  EXPECT_EQ(few.list->Selected(), 3);
}

TEST(PagedListWheel, WithinTheWindowOnlyTheSelectionMoves) {
  ReplyRecordSource source({"OH_NAME", "OH_CODE"});
  source.TakeReply(ListReply(60, 60));
  PagedList list(PagedList::WheelRule::WithinWindow);
  list.SetRowSource(&source);
  list.FillPage(10, 0);
  list.Select(24);
  list.Wheel(-120);
  EXPECT_EQ(list.Top(), 10);
  EXPECT_EQ(list.Selected(), 24);
  list.Select(0);
  list.Wheel(120);
  EXPECT_EQ(list.Top(), 10);
  list.Wheel(-120);
  EXPECT_EQ(list.Selected(), 1);
}

TEST(ReplyRecordSource, KeepsTheReplyAndItsCountOrDropsThem) {
  ReplyRecordSource source({"OH_NAME", "OH_CODE"});
  EXPECT_EQ(source.TakeReply("SetResponseBuffer Error<CALL_INDEX></CALL_INDEX>"),
            ReplyRecordSource::Load::ReadError);
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
  const PagedRow r = source.Row(1);
  EXPECT_EQ(r.cells, (std::vector<std::string>{"n1", "k1"}));
  EXPECT_EQ(r.position, 1);
  // Rows are read by their tags: the unannounced record shows, a missing one
  // is an empty row that still carries its position.
  EXPECT_FALSE(source.Row(2).empty);
  EXPECT_TRUE(source.Row(3).empty);
  EXPECT_EQ(source.Row(3).position, 3);
}

}  // namespace
}  // namespace tarvik
