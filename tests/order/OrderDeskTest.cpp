// The basket's and the quantity dialog's rules; what each desk operation sends and how it answers.
#include <functional>

#include "net/CallIndex.h"
#include "order/OrderDraft.h"
#include "order/OrderWire.h"
#include "order/QuantityEntry.h"
#include "tests/order/DeskFixture.h"

namespace tarvik::test {
namespace {

const std::string kFull = "더이상 입력할 수 없습니다.";

TEST(OrderDraft, NinetyNineLinesFitAndDeleteWorksAtBothEnds) {
  ScriptedPrompter prompter;
  OrderDraft d(prompter);
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
  // Moving up stops at the first empty row, not at a product without a name.
  OrderDraft e;
  e.AddLine("A", "a", "EA", "1", "");
  e.AddLine("B", "", "EA", "1", "");
  e.AddLine("C", "c", "EA", "1", "");
  e.Select(0);
  e.DeleteLine();
  EXPECT_EQ(std::to_string(e.LineCount()) + e.Line(0).GoodsCode + e.Line(1).GoodsCode + e.Line(1).LineNo, "2BC2");
}

// The journal hangs on this hook: every change reaches it once, no non-change does.
TEST(OrderDraft, EveryChangeTellsTheHookOnceAndNothingElseDoes) {
  ScriptedPrompter prompter;
  OrderDraft d(prompter);
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

TEST(EntryTest, ConfirmNeedsANameAndTakesAnyNonZeroQuantity) {
  ScriptedPrompter prompter;
  QuantityEntry::Inputs in;
  in.mode = CntMode::Modi;
  in.name = "x";
  in.quantity = "";
  QuantityEntry e(in, prompter);
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
  // Above four digits (a barcode's first seven landed there) it asks, No by default; No stays.
  prompter.Clear();
  prompter.answers = {false, true};
  using O = QuantityEntry::Outcome;
  std::vector<O> outcomes;
  for (const double q : {9999.0, -10000.0, 8801230.0}) e.Quantity = q, outcomes.push_back(e.Confirm({}));
  EXPECT_EQ(outcomes, (std::vector<O>{O::CloseOk, O::Stay, O::CloseOk}));
  EXPECT_TRUE(prompter.prompts.at(0).noByDefault);
  EXPECT_EQ(prompter.Last(), "주문 수량이 8,801,230 입니다.\r\r제품: 이름\r\r이 수량이 맞습니까?\r\r"
                             "[아니요]를 누르면 수량을 다시 입력합니다.");
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

class Desk : public DeskTest {
 protected:
  Desk() { server.SetReply(Reply("1")); }
};

TEST_F(Desk, NewOrderAndItsSupplierMessageGoOutByteForByte) {
  AddThreeLines(desk.Draft());
  desk.Draft().Note = "  빠른 배송 부탁  ";
  const std::string ci = TodayStamp() + "-" + std::to_string(RequestCounter() + 1);
  desk.SendOrder();

  ASSERT_EQ(Requests(), 2u);
  EXPECT_EQ(Sent(0),
            "VALUE=<POST_DATA><CALL_INDEX>" + ci +
                "</CALL_INDEX>" + MakeTag("COMMAND", protocol::kOrderSave.code) + "<DB_KEY>S00001</DB_KEY>"
                "<ORDERH_DATA><OH_CODE></OH_CODE><OH_SD></OH_SD><OH_AT></OH_AT><OH_MT></OH_MT>"
                "<OH_MCOUNT>1</OH_MCOUNT><OH_DD></OH_DD><OH_CC>C00001</OH_CC><OH_TYPE>C</OH_TYPE>"
                "<OH_IOG>A</OH_IOG><OH_SG>0</OH_SG><OH_SCODE></OH_SCODE><OH_RCOUNT>3</OH_RCOUNT>"
                "<OH_NOTE>빠른 배송 부탁</OH_NOTE></ORDERH_DATA><ORDERL_DATA>"
                "<OLD_0><OL_NO>0</OL_NO><OL_CC>C00001</OL_CC><OL_OC></OL_OC><OL_GC>P00002</OL_GC>"
                "<OL_GN></OL_GN><OL_GBOX></OL_GBOX><OL_LC>3</OL_LC><OL_LN></OL_LN></OLD_0>"
                "<OLD_1><OL_NO>1</OL_NO><OL_CC>C00001</OL_CC><OL_OC></OL_OC><OL_GC>P00010</OL_GC>"
                "<OL_GN></OL_GN><OL_GBOX></OL_GBOX><OL_LC>1200</OL_LC><OL_LN>급함</OL_LN></OLD_1>"
                "<OLD_2><OL_NO>2</OL_NO><OL_CC>C00001</OL_CC><OL_OC></OL_OC><OL_GC>YZ</OL_GC>"
                "<OL_GN>수동 전구</OL_GN><OL_GBOX>EA</OL_GBOX><OL_LC>10</OL_LC><OL_LN></OL_LN></OLD_2>"
                "</ORDERL_DATA></POST_DATA>");
  EXPECT_EQ(Sent(1),
            "VALUE=<POST_DATA>" + MakeTag("COMMAND", protocol::kOrderAuth.code) + "<OA_CODE></OA_CODE><OA_SC>S00001</OA_SC>"
            "<OA_CC>C00001</OA_CC><OA_IOG>O</OA_IOG><OA_STATUS>W</OA_STATUS><OA_WDATE></OA_WDATE>"
            "<OA_WTIME></OA_WTIME><OA_RTIME></OA_RTIME>"
            "<OA_MSG>거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 왔습니다.</OA_MSG></POST_DATA>");
  EXPECT_EQ(prompter.Texts(), Texts{kSent});
  EXPECT_FALSE(desk.Draft().HasLines());
  EXPECT_EQ(desk.Draft().SendCount, 0);
  EXPECT_EQ(port.calls, Texts{"redraw cleared"});
}

// On an empty basket each operation says why it does nothing, or does nothing, and asks the service nothing.
TEST_F(Desk, AnEmptyBasketIsRefusedWithTheOperationsReasonOrLeftAlone) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { desk.SendOrder(); }, "발주할 제품이 없습니다."},
      {[&] { desk.CopyOrder(); }, "복사할 내용을 열기하여 먼저 선택하십시요."},
      {[&] { desk.RegisterSample(); }, "먼저 샘플로 등록할 내용을 발주열기하여 선택해 주십시요."},
      {[&] { desk.Print(); }, "발주내역이 없읍니다.\r\r발주내역을 선택해주십시요."},
      {[&] { desk.DeleteOrder(); }, ""},
      {[&] { desk.ClearScreen(); }, ""},
  };
  for (const auto& [act, told] : cases) {
    prompter.Clear();
    act();
    EXPECT_EQ(prompter.Texts(), told.empty() ? Texts{} : Texts{told}) << told;
  }
  EXPECT_EQ(Requests(), 0u);
  EXPECT_FALSE(desk.Draft().HasLines());
}

// The supplier's marks are the screen tests'.
TEST_F(Desk, AnImpossibleDeliveryDateSendsNothingAndChangesNothing) {
  AddThreeLines(desk.Draft());
  for (const char* date : {"241301", "24013"}) {
    desk.Draft().DeliveryDate = date;
    prompter.Clear();
    desk.SendOrder();
    EXPECT_EQ(prompter.Texts(), Texts{"배송일을 정확히 입력해 주십시요."}) << date;
  }
  EXPECT_EQ(desk.Draft().SendCount * 10 + desk.Draft().LineCount(), 3);
  EXPECT_EQ(Requests(), 0u);
}

TEST_F(Desk, RefusedSendKeepsTheBasketAndAFailedMessageStillEndsAsSent) {
  AddThreeLines(desk.Draft());
  OrderDraft& d = desk.Draft();
  d.SetOpened("K1", "240131", "0930", "X", 0);  // reopened, being written
  d.DeliveryDate = "240215";
  d.BeingWritten = true;
  server.SetReply(Reply("0"));
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), Texts{kSendFailed});
  EXPECT_EQ(Requests(), 2u);  // the header read again finds no reason; no message to the supplier
  EXPECT_EQ(Command(1), protocol::kOrderOpen.code);
  EXPECT_EQ(d.LineCount(), 3);
  EXPECT_EQ(d.Line(1).Quantity, "1,200");
  EXPECT_EQ(d.OpenedCode + d.DeliveryDate, "K1240215");
  EXPECT_EQ(d.Selected(), 2);  // the walk over the lines ended on the last
  EXPECT_EQ(d.SendCount, 1);   // the raise stays

  server.QueueReplies({Reply("1"), Reply("0")});
  prompter.Clear();
  desk.SendOrder();
  ASSERT_EQ(Requests(), 4u);
  const std::string head = TagValue("ORDERH_DATA", Sent(2));
  EXPECT_EQ(head.substr(0, head.find("<OH_CC>")),
            "<OH_CODE>K1</OH_CODE><OH_SD>240131</OH_SD><OH_AT>0930</OH_AT><OH_MT></OH_MT>"
            "<OH_MCOUNT>2</OH_MCOUNT><OH_DD>240215</OH_DD>");
  EXPECT_EQ(TagValue("OH_IOG", head), "X");
  EXPECT_EQ(TagValue("OA_IOG", Sent(3)), "R");
  EXPECT_EQ(TagValue("OA_MSG", Sent(3)), "거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 수정되었습니다.");
  EXPECT_EQ(prompter.Texts(),
            (Texts{"메세지 보내기 오류입니다\r\r인터넷을 확인 하십시요.", kSent}));
  EXPECT_FALSE(d.HasLines());
}

// Replies the service never gives.
TEST_F(Desk, ShortLineRecordsKeepWhatWasReadAndAFailedReadChangesNothing) {
  const std::string head = MakeTag("OH_CODE", "K7") + MakeTag("OH_MCOUNT", "x") + MakeTag("OH_IOG", "A") +
                           MakeTag("OH_RCOUNT", "3");
  const std::string line = MakeTag("OL_GC", "P00002") + MakeTag("OL_LC", "3") + MakeTag("G_NAME", "피스톤 링");
  port.pick = "K7";
  server.SetReply(Reply("1", MakeTag("ORDERH_DATA", head) +
                                 MakeTag("ORDERL_DATA", MakeTag("RDC_0", line) + MakeTag("RDC_1", line))));
  desk.OpenOrder(false);  // each request's frame is the request functions' test; here, what the desk puts in
  EXPECT_EQ(Command(0) + TagValue("DB_KEY", Sent(0)) + TagValue("OH_CODE", Sent(0)), protocol::kOrderOpen.code + std::string("S00001K7"));
  const OrderDraft& d = desk.Draft();
  EXPECT_EQ(d.OpenedCode, "K7");
  EXPECT_EQ(d.SendCount, 0);  // not a number
  EXPECT_EQ(d.LineCount(), 2);
  EXPECT_EQ(d.Line(1).GoodsName, "피스톤 링");
  EXPECT_EQ(prompter.Texts(),
            Texts{"발주 제품 라인수량 불일치 입니다.\r\r인터넷 연결을 확인하십시요."});

  // Over a basket with lines the list's choice needs a Yes; Enter alone answers No.
  server.SetReply(Reply("0"));
  prompter.Clear();
  prompter.answers = {false, true};
  desk.OpenOrder(false);
  desk.OpenOrder(false);
  const std::string replace = "작성중인 내역이 있습니다 \r\r취소하고 발주를 여시겠습니까?";
  EXPECT_EQ(prompter.Texts(),
            (Texts{replace, replace, "발주 내용 읽기 실패입니다.\r\r인터넷 연결을 확인하십시요."}));
  EXPECT_TRUE(prompter.prompts[0].noByDefault);
  EXPECT_EQ(Requests(), 2u);
  EXPECT_EQ(d.LineCount(), 2);
  EXPECT_EQ(port.calls,
            (Texts{"pick orders", "redraw cleared", "redraw", "pick orders", "pick orders"}));
}

TEST_F(Desk, DeleteSampleAndCopyTellTheirFailuresAndSendTheOpenedCode) {
  OrderDraft& d = desk.Draft();
  d.AddLine("P1", "n", "EA", "1", "");
  d.SetOpened("K7", "240131", "", "A", 0);
  prompter.answers = {true, true, true};
  server.SetReply(Reply("0"));
  desk.DeleteOrder();
  EXPECT_EQ(prompter.Texts(),
            (Texts{"발주일: 240131\r\r발주 내역을 삭제합니다.", "발주내역 삭제 오류입니다."}));
  EXPECT_TRUE(prompter.prompts[0].noByDefault);
  // Refused as the supplier began receiving it: the header read again tells the basket.
  server.QueueReplies({Reply("0"), Reply("1", MakeTag("ORDERH_DATA", MakeTag("OH_IOG", "I")))});
  prompter.Clear();
  desk.DeleteOrder();
  EXPECT_EQ(prompter.Last(), "접수중인 내용은 삭제할수 없습니다.");
  EXPECT_EQ(d.OpenedStatus, "I");
  d.OpenedStatus = "A";
  server.SetReply(Reply("1"));
  desk.DeleteOrder();
  EXPECT_EQ(Command(4) + TagValue("DB_KEY", Sent(4)) + TagValue("OH_CODE", Sent(4)), protocol::kOrderDelete.code + std::string("S00001K7"));
  EXPECT_TRUE(d.OpenedCode.empty());

  d.AddLine("P1", "n", "EA", "1", "");
  d.SetOpened("K8", "", "", "O", 0);
  server.SetReply(Reply("0"));
  prompter.Clear();
  desk.RegisterSample();
  EXPECT_EQ(prompter.Texts(), Texts{"샘플 등록 오류입니다."});
  server.SetReply(Reply("1"));
  desk.RegisterSample();
  EXPECT_EQ(Sent(7).substr(Sent(7).find("<COMMAND>")),
            MakeTag("COMMAND", protocol::kOrderSample.code) + "<DB_KEY>S00001</DB_KEY><OH_CODE>K8</OH_CODE>"
            "<ORDERH_DATA><OH_CODE>K8</OH_CODE><OH_SG>1</OH_SG></ORDERH_DATA></POST_DATA>");
  EXPECT_EQ(prompter.prompts.size(), 1u);  // no message on success, a note instead
  EXPECT_EQ(port.calls.back(), "note 샘플로 등록하였습니다.");
  EXPECT_FALSE(d.HasLines());

  // A copy keeps lines, delivery date, note and flag; the identity goes.
  d.AddLine("P1", "n", "EA", "1", "");
  d.SetOpened("K9", "", "", "O", 4);
  d.DeliveryDate = "240203";
  d.BeingWritten = true;
  desk.CopyOrder();
  EXPECT_EQ(prompter.Last(), "새로운 발주로 복사 돠었습니다.");
  EXPECT_EQ(d.OpenedCode + d.OpenedStatus + std::to_string(d.SendCount) + d.DeliveryDate, "0240203");
  EXPECT_TRUE(d.BeingWritten);
  EXPECT_EQ(d.LineCount(), 1);
}

// Regression: a note or date without lines (or a nameless product) was dropped
// unasked when an order or a sample was opened over it, and by F9 and Esc.
TEST_F(Desk, ANoteOrADateWithoutLinesWasDroppedWithoutAQuestion) {
  port.pick = "K1";
  OrderDraft& d = desk.Draft();
  const std::function<void()> work[] = {[&] { d.SetNote("CALL FIRST"); }, [&] { d.SetDeliveryDate("240301"); },
                                        [&] { d.AddLine("P1", "", "EA", "2", ""); }};
  const std::function<bool()> keys[] = {[&] { return desk.OpenOrder(false), false; },
                                        [&] { return desk.OpenOrder(true), false; },
                                        [&] { return desk.ClearScreen(); }, [&] { return desk.ConfirmExit(); }};
  prompter.enterAtEveryQuestion = true;
  for (const auto& write : work)
    for (const auto& key : keys) {
      write();
      const std::string held = OrderSaveBody(d, "C00001");
      prompter.Clear();
      EXPECT_FALSE(key());
      ASSERT_EQ(prompter.prompts.size(), 1u);
      EXPECT_TRUE(prompter.prompts[0].noByDefault);
      EXPECT_EQ(OrderSaveBody(d, "C00001"), held);
      desk.ClearDraft();
    }
  EXPECT_EQ(prompter.Last(), "작성중인 내역이 있습니다 \r\r취소하고 종료하시겠습니까?");
  EXPECT_EQ(Requests(), 0u);
}

// Ctrl+Z takes back one step: F4's line at its row, F9's basket if nothing was written since.
TEST_F(Desk, UndoTakesBackTheLastRemovedLineOrTheClearedBasket) {
  AddThreeLines(desk.Draft());
  desk.Draft().SetNote("NOTE");
  desk.DeleteLine(1);
  EXPECT_TRUE(desk.Undo());
  EXPECT_FALSE(desk.Undo());  // one step only
  EXPECT_EQ(desk.Draft().Line(1).GoodsCode + desk.Draft().Line(1).LineNo + desk.Draft().Line(2).LineNo, "P0001023");
  prompter.answers = {true, true};
  for (const bool typedSince : {false, true}) {
    ASSERT_TRUE(desk.ClearScreen());
    if (typedSince) desk.Draft().AddLine("P00099", "새 제품", "EA", "1", "");
    EXPECT_EQ(desk.Undo(), !typedSince);
  }
  EXPECT_EQ(prompter.Last(), "화면을 지운 뒤에 작성한 내용이 있어 지운 발주 내역을 되살리지 않았습니다.");
  desk.ClearDraft();  // a send, an opened order...: nothing to take back
  EXPECT_FALSE(desk.Undo());
}

// Regression: Ctrl+F7 refused, unasked, an order the supplier began receiving after it
// was opened; and a refusal by the service named the connection, not the service's reason.
TEST_F(Desk, ASampleOfAnOrderMarkedSinceWasRefusedWithoutAsking) {
  OrderDraft& d = desk.Draft();
  d.AddLine("P1", "n", "EA", "1", "");
  d.SetOpened("K9", "240131", "0930", "A", 1);
  auto header = [](const char* status) {
    return Reply("1", MakeTag("ORDERH_DATA", MakeTag("OH_IOG", status) + MakeTag("OH_MCOUNT", "1")));
  };
  server.QueueReplies({header("A"), header("I"), Reply("0", MakeTag("RESULT_MSG", "발주 내역이 없습니다.")),
                       Reply("0"), Reply("1")});
  for (int i = 0; i < 3; ++i) desk.RegisterSample();
  EXPECT_EQ(prompter.Texts(), (Texts{"미접수 내용은 샘플등록을 할수 없습니다.", "샘플 등록 오류입니다.\r\r발주 내역이 없습니다."}));
  ASSERT_EQ(Requests(), 5u);
  EXPECT_EQ(Command(0) + Command(1) + Command(2) + Command(4), "100406100406100411100411");
  EXPECT_EQ(port.calls.back(), "note 샘플로 등록하였습니다.");
}
}  // namespace
}  // namespace tarvik::test
