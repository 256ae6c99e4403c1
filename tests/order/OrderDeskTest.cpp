// The order desk: clearing the basket and leaving, through its port.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "order/OrderDesk.h"
#include "platform/QtText.h"
#include "session/UDM.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

struct RecordingPort : OrderDeskPort {
  std::string PickFromOrderList(bool samples) override {
    calls.push_back(samples ? "pick samples" : "pick orders");
    return std::string();
  }
  void RedrawBasket(bool cleared) override { calls.push_back(cleared ? "redraw cleared" : "redraw"); }
  std::string PrintTitle() const override { return "title"; }
  std::vector<std::string> calls;
};

TEST(OrderDesk, ClearingEmptiesDraftAndHeaderThenRedrawsAsCleared) {
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  RecordingPort port;
  test::ScriptedPrompter prompter;
  OrderDesk desk(dm, port);
  OrderDraft& d = desk.Draft();
  d.AddLine("P1", "name", "EA", "2", "");
  d.OpenedCode = "O1";
  d.OpenedStatus = "A";
  d.SendCount = 3;
  d.DeliveryDate = "240131";
  d.Note = "note";
  d.BeingWritten = true;
  prompter.answers = {false};
  EXPECT_FALSE(desk.ConfirmExit());  // a line in the basket: asked, and No

  desk.ClearDraft();
  EXPECT_FALSE(d.HasLines());
  EXPECT_EQ(d.OpenedCode + d.OpenedStatus + d.DeliveryDate + d.Note, "");
  EXPECT_EQ(d.SendCount, 0);
  EXPECT_FALSE(d.BeingWritten);
  EXPECT_EQ(port.calls, std::vector<std::string>{"redraw cleared"});
  EXPECT_TRUE(desk.ConfirmExit());  // empty: no question
  EXPECT_EQ(prompter.prompts.size(), 1u);
}

// (F9 with and without lines is the main screen test's.) A catalogue product
// without a name still makes a basket worth asking about, as for Esc.
TEST(OrderDesk, ClearScreenAsksForANamelessProductAndKeepsAllOnNo) {
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  RecordingPort port;
  test::ScriptedPrompter prompter;
  prompter.answers = {false};
  OrderDesk desk(dm, port);
  desk.Draft().AddLine("P1", "", "EA", "2", "");
  desk.Draft().Note = "note";
  EXPECT_FALSE(desk.ClearScreen());
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kClearQuestion});
  EXPECT_EQ(desk.Draft().Line(0).GoodsCode, "P1");
  EXPECT_EQ(desk.Draft().Note, "note");
  EXPECT_TRUE(port.calls.empty());
}

}  // namespace
}  // namespace tarvik
