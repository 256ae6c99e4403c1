// The order and sample list on the real screen over canned replies.
#include <QPushButton>
#include <QTest>

#include "order/OrderListScreen.h"
#include "screens/RowGrid.h"
#include "tests/order/DeskFixture.h"

namespace tarvik {
namespace {

TEST(OrderListCell, DatesTimesAndStatusWordsFollowTheirRules) {
  const struct {
    int col;
    const char* raw;
    const char* shown;
  } cases[] = {
      {0, "070118", "07/01/18"}, {0, "070118   ", "07/01/18"}, {0, "07011", ""}, {0, "0701180", ""},
      {4, "240203", "24/02/03"}, {4, "", ""},       {1, "0930", "09:30"},       {1, "093", ""},
      {2, "17055", ""},          {2, "1705", "17:05"}, {3, "A", "미접수"},      {3, "I", "접수중"},
      {3, "O", "접수"},          {3, "X", "작성중"},   {3, "", ""},             {3, "Z", ""},
      {3, "a", ""},              {5, "오전 배송  ", "오전 배송"},
  };
  for (const auto& c : cases) {
    const CellText t = OrderListCell(c.col, c.raw);
    EXPECT_EQ(t.text, c.shown) << c.col << " '" << c.raw << "'";
    EXPECT_EQ(t.rgb.has_value(), c.col == 3 && c.raw == std::string("X")) << c.raw;
  }
}

// A list reply of n records, newest first: key "K<i>", status "AXIO"[i % 4].
std::string ListReply(int n) {
  std::vector<std::string> records;
  for (int i = 0; i < n; ++i)
    records.push_back(test::ListRecord("K" + std::to_string(i), "2401" + std::to_string(10 + i % 20), "0930", "",
                                       "note " + std::to_string(i), std::string(1, "AXIO"[i % 4])));
  return test::ListText(records);
}

class OrderListScreen : public test::DeskTest {
 protected:
  OrderListScreen() { dm.MasterInfo.M_BIGO = "타르빅 자동차부품"; }

  // The screen over a reply of n records, shown and loaded.
  std::unique_ptr<TFrmOrderS> Open(int n, bool samples = false) {
    server.SetReply(test::GzipReply(ListReply(n)));
    auto s = std::make_unique<TFrmOrderS>(nullptr, dm, seams, samples);
    s->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(s.get()));
    return s;
  }
  static void Press(TFrmOrderS& s, int key) { QTest::keyClick(s.Grid(), static_cast<Qt::Key>(key)); }
  static std::string Count(TFrmOrderS& s) { return S(s.CountDisplay()->text()); }
  static std::string Key(TFrmOrderS& s, int row) { return s.Orders().Paged().Cell(row, OrderList::kColCode); }
};

TEST_F(OrderListScreen, AsksOnceForTheOrderersOrdersOrSamplesNewestFirst) {
  for (bool samples : {false, true}) {
    SCOPED_TRACE(samples ? "samples" : "orders");
    auto s = Open(3, samples);
    EXPECT_EQ(s->SampleMode(), samples);
    // The request's frame is the request functions' test; what follows it is the list's.
    const std::string text = test::SplitRequest(server.LastRequest()).text, sg = samples ? "1" : "0";
    EXPECT_EQ(text.substr(text.find("<COMMAND>")),
              MakeTag("COMMAND", protocol::kOrderList.code) + "<DB_KEY>S00001</DB_KEY> OH_CC = 'C00001' AND OH_SG='" + sg +
                  "' <WHERE_OPTION> OH_CC = 'C00001' AND OH_SG='" + sg +
                  "' </WHERE_OPTION><ORDERBY>OH_SD DESC,OH_CODE DESC</ORDERBY></POST_DATA>");
    s->hide();
    s->show();  // a later activation asks nothing more
    EXPECT_EQ(server.Requests().size(), samples ? 2u : 1u);
    EXPECT_EQ(S(s->windowTitle()), "  타르빅 자동차부품");
    EXPECT_EQ(s->focusWidget(), s->Grid());
    EXPECT_EQ(Key(*s, 0), "K0");
  }
  EXPECT_TRUE(prompter.prompts.empty());
}

// Paging is the list screens' test; Enter's key the ordering screen test's (an empty row: below).
TEST_F(OrderListScreen, ADoubleClickHandsBackTheKey) {
  auto s = Open(40);
  EXPECT_EQ(s->Chosen(), "");  // no key until one is chosen
  const QRect cell = s->Grid()->visualRect(s->Grid()->model()->index(5, 0));
  // A double-click arrives as a click followed by the double-click event.
  QTest::mouseClick(s->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(Count(*s), "6");
  QTest::mouseDClick(s->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(s->result(), QDialog::Accepted);
  EXPECT_EQ(s->Chosen(), "K5");
}

TEST_F(OrderListScreen, ReadErrorIsToldOnceAndTheEmptyListOnlyCloses) {
  server.SetReply(test::GzipReply(MakeTag("RESULT_CODE", "0")));
  TFrmOrderS s(nullptr, dm, seams, false);
  s.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
  EXPECT_EQ(prompter.Texts(),
            std::vector<std::string>{"발주 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요."});
  EXPECT_EQ(Count(s), "1");  // what the source keeps of a refused read is the reply records' test
  for (int key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Home}) Press(s, key);
  for (int r = 0; r < kPagedRows; ++r) EXPECT_TRUE(s.Orders().Paged().RowEmpty(r));
  EXPECT_EQ(server.Requests().size(), 1u);
  Press(s, Qt::Key_Return);  // an empty row: cancel
  EXPECT_FALSE(s.isVisible());
  EXPECT_EQ(s.result(), QDialog::Rejected);
  EXPECT_EQ(s.Chosen(), "");
  EXPECT_EQ(prompter.prompts.size(), 1u);

  // No record at all: an empty list and no message.
  prompter.Clear();
  auto empty = Open(0);
  EXPECT_EQ(empty->Orders().ListCount(), 0);
  EXPECT_TRUE(prompter.prompts.empty());
}

}  // namespace
}  // namespace tarvik
