// The order desk: clearing the basket and leaving, through its port.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <deque>

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

// F9 used to empty a filled basket without asking.
TEST(OrderDesk, ClearScreenAsksFirstWhenTheBasketHoldsALine) {
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  struct Case {
    const char* what;
    bool line;          // the basket holds a line
    bool namelessLine;  // ... a catalogue product without a name
    std::deque<bool> answers;
    bool cleared;
  };
  const Case cases[] = {
      {"empty basket: cleared without a question", false, false, {}, true},
      {"a line, No: everything stays", true, false, {false}, false},
      {"a line, Yes: cleared", true, false, {true}, true},
      {"a nameless product counts as a line", true, true, {false}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingPort port;
    test::ScriptedPrompter prompter;
    prompter.answers = c.answers;
    OrderDesk desk(dm, port);
    OrderDraft& d = desk.Draft();
    if (c.line) d.AddLine("P1", c.namelessLine ? "" : "name", "EA", "2", "");
    d.Note = "note";
    EXPECT_EQ(desk.ClearScreen(), c.cleared);
    EXPECT_EQ(prompter.Texts(), c.line ? std::vector<std::string>{kClearQuestion} : std::vector<std::string>{});
    EXPECT_EQ(d.HasLines(), c.line && !c.cleared);
    EXPECT_EQ(d.Note, c.cleared ? "" : "note");
    EXPECT_EQ(port.calls, c.cleared ? std::vector<std::string>{"redraw cleared"} : std::vector<std::string>{});
  }
  EXPECT_EQ(std::string(kClearQuestion), "작성중인 내역이 있습니다 \r\r취소하고 화면을 지우시겠습니까?");
}

}  // namespace
}  // namespace tarvik
