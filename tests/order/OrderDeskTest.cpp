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
  void PrintBasket() override { calls.push_back("print"); }
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

}  // namespace
}  // namespace tarvik
