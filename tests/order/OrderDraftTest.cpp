// The basket's line rules and the quantity dialog's rules.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

#include "order/OrderDraft.h"
#include "order/QuantityEntry.h"
#include "platform/QtText.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

const std::string kFull = "더이상 입력할 수 없습니다.";

TEST(OrderDraft, NinetyNineLinesFitAndDeleteWorksAtBothEnds) {
  test::ScriptedPrompter prompter;
  OrderDraft d;
  for (int i = 0; i < 98; ++i) ASSERT_TRUE(d.AddLine("G" + std::to_string(i), "n", "EA", "1", ""));
  EXPECT_TRUE(d.AddDirectLine("hand", "BOX", "2", ""));
  EXPECT_EQ(d.Line(98).LineNo + d.Line(98).GoodsCode, "99YZ");
  EXPECT_FALSE(d.AddLine("G100", "n", "EA", "1", ""));
  EXPECT_FALSE(d.AddDirectLine("hand", "BOX", "2", ""));
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{kFull, kFull}));
  d.Select(98);
  d.DeleteLine();
  d.Select(0);
  d.DeleteLine();
  EXPECT_EQ(d.Line(96).GoodsCode + "/" + d.Line(96).LineNo, "G97/97");
  EXPECT_TRUE(d.Line(97).Empty());
  EXPECT_TRUE(d.Line(97).LineNo.empty());
  d.Select(97);
  EXPECT_FALSE(d.DeleteLine());  // empty row: nothing
}

// The journal hangs on this hook: every change must reach it once, and
// nothing that changes nothing may cost a write.
TEST(OrderDraft, EveryChangeTellsTheHookOnceAndNothingElseDoes) {
  test::ScriptedPrompter prompter;
  OrderDraft d;
  int calls = 0;
  d.SetChangeHook([&] { ++calls; });
  struct Step {
    const char* what;
    std::function<void()> act;
    int calls;
  } steps[] = {
      {"add", [&] { d.AddLine("P1", "n", "EA", "1", ""); }, 1},
      {"add the same product", [&] { d.AddLine("P1", "n", "EA", "1", ""); }, 0},
      {"add by hand", [&] { d.AddDirectLine("hand", "EA", "2", ""); }, 1},
      {"modify", [&] { d.ModifyLine(1, "hand", "EA", "3", "x"); }, 1},
      {"modify an empty row", [&] { d.ModifyLine(5, "a", "b", "1", ""); }, 0},
      {"raise by a scan", [&] { d.RaiseQuantity(0); }, 1},
      {"select", [&] { d.Select(1); }, 0},
      {"date", [&] { d.SetDeliveryDate("240215"); }, 1},
      {"the same date", [&] { d.SetDeliveryDate("240215"); }, 0},
      {"note", [&] { d.SetNote("N"); }, 1},
      {"flag", [&] { d.SetBeingWritten(true); }, 1},
      {"flag again", [&] { d.SetBeingWritten(true); }, 0},
      {"opened identity", [&] { d.SetOpened("K1", "240131", "0930", "A", 1); }, 1},
      {"send count", [&] { d.RaiseSendCount(); }, 1},
      {"unsure send", [&] { d.SetUnsure({"body", "2024-01-31T09:30:00"}); }, 1},
      {"delete", [&] { d.DeleteLine(); }, 1},
      {"delete on an empty row",
       [&] {
         d.Select(50);
         d.DeleteLine();
       },
       0},
      {"a batch of many",
       [&] {
         OrderDraft::ChangeBatch outer(d);
         OrderDraft::ChangeBatch inner(d);
         d.ClearDraft();
         for (int r = 0; r < 5; ++r) d.LoadLine(r, "G" + std::to_string(r), "n", "EA", "1", "");
         d.Note = "written directly inside the batch";
       },
       1},
      {"a batch without a change", [&] { OrderDraft::ChangeBatch b(d); }, 0},
  };
  for (const Step& s : steps) {
    calls = 0;
    s.act();
    EXPECT_EQ(calls, s.calls) << s.what;
  }
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"이미 발주 내용이 있습니다.\r\r기존의 내용을 수정하십시요."});

  // A copy takes the contents, never the hook; assigning keeps the target's hook.
  OrderDraft copy = d;
  calls = 0;
  copy.SetNote("other");
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(copy.LineCount(), 5);
  d = copy;
  EXPECT_EQ(calls, 0);
  d.SetNote("again");
  EXPECT_EQ(calls, 1);
}

TEST(OrderDraft, DeleteKeepsLinesAfterAProductWithoutAName) {
  // Moving up stops at the first empty row, not at the first empty name, so a
  // catalogue product whose name is empty does not cut the basket short.
  OrderDraft d;
  d.AddLine("A", "a", "EA", "1", "");
  d.AddLine("B", "", "EA", "1", "");
  d.AddLine("C", "c", "EA", "1", "");
  d.Select(0);
  d.DeleteLine();
  EXPECT_EQ(d.LineCount(), 2);
  EXPECT_EQ(d.Line(0).GoodsCode, "B");
  EXPECT_EQ(d.Line(1).GoodsCode, "C");
  EXPECT_EQ(d.Line(1).LineNo, "2");
}

TEST(OrderDraft, ExitWithANamelessProductOnTheFirstLineStillAsks) {
  test::ScriptedPrompter prompter;
  prompter.answers = {false};
  OrderDraft d;
  EXPECT_TRUE(ConfirmExit(d));
  EXPECT_TRUE(prompter.prompts.empty());
  d.AddLine("B", "", "EA", "1", "");
  EXPECT_FALSE(ConfirmExit(d));
  EXPECT_EQ(prompter.Last(), "작성중인 내역이 있습니다 \r\r취소하고 종료하시겠습니까?");
}

TEST(EntryTest, ConfirmNeedsANameAndTakesAnyNonZeroQuantity) {
  test::ScriptedPrompter prompter;
  QuantityEntry::Inputs in;
  in.mode = CntMode::Modi;
  in.name = "x";
  in.quantity = "";
  QuantityEntry e(in);
  EXPECT_EQ(e.Quantity, 0);
  e.Quantity = 2.5;
  e.Name = "   ";
  EXPECT_EQ(e.Confirm({}), QuantityEntry::Outcome::Stay);
  EXPECT_EQ(prompter.Last(), "     주문 제품명이 없습니다.     \r\r     제품명을 입력해 주십시요.");
  e.Name = " 이름 ";
  e.Box = " BOX ";
  e.Quantity = -3;  // any non-zero quantity is taken
  EXPECT_EQ(e.Confirm({}), QuantityEntry::Outcome::CloseOk);
  ASSERT_TRUE(e.Entered);
  EXPECT_EQ(e.Entered->name + "|" + e.Entered->box + "|" + e.Entered->qty, "이름|BOX|-3");
}

TEST(QuantityText, GroupedInTheCellNoSeparatorsOnTheLine) {
  EXPECT_EQ(DraftCell(3, "1234.5").text, "1,234.5");
  EXPECT_TRUE(DraftCell(3, "1234.5").rightAligned);
  EXPECT_EQ(DraftCell(3, "0").text, "");
  EXPECT_EQ(QuantityText(-0.001), "0");
  EXPECT_EQ(QuantityText(1234.56), "1234.56");
  EXPECT_EQ(QuantityValue("1,234.5"), 1234.5);
  EXPECT_EQ(QuantityValue("abc"), 0);
}

}  // namespace
}  // namespace tarvik
