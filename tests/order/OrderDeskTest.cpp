// The order desk: the operations on the draft as a whole, what each puts on
// the wire (recorded by a loopback server) and how each answers the replies.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>

#include "net/CallIndex.h"
#include "net/MessageFormat.h"
#include "order/OrderDesk.h"
#include "platform/QtText.h"
#include "session/UDM.h"
#include "tests/net/WireParts.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

struct RecordingPort : OrderDeskPort {
  std::string PickFromOrderList(bool samples) override {
    calls.push_back(samples ? "pick samples" : "pick orders");
    return pick;
  }
  void RedrawBasket(bool cleared) override { calls.push_back(cleared ? "redraw cleared" : "redraw"); }
  std::string PrintTitle() const override { return "title"; }
  std::string pick;  // what the order list hands back
  std::vector<std::string> calls;
};

std::string Reply(const std::string& code, const std::string& extra = std::string()) {
  return test::GzipReply(MakeTag("RESULT_CODE", code) + extra);
}

const char kSendFailed[] = "발주 전송 실패입니다.\r\r인터넷 연결을 확인하십시요.";
const char kSent[] = "발주 내용을 전송하였습니다.\r\r[발주열기]를 클릭하여 내용을 학인하십시요.";

class Desk : public ::testing::Test {
 protected:
  Desk() : dm(S(dir.path()) + "/"), desk(dm, port) {
    dm.MasterInfo.M_CODE = "S00001";
    dm.CustomerInfo.C_CODE = "C00001";
    dm.CustomerInfo.C_NAME = "한빛카센터";
    setenv("TARVIK_SERVER", server.Address().c_str(), 1);
    server.SetReply(Reply("1"));
  }
  ~Desk() override { setenv("TARVIK_SERVER", "", 1); }

  // Two catalogue lines and one typed in by hand.
  void FillThreeLines() {
    OrderDraft& d = desk.Draft();
    d.AddLine("P00002", "피스톤 링", "EA", "3", "");
    d.AddLine("P00010", "캠 샤프트", "SET", "1,200", "급함  ");
    d.AddDirectLine("수동 전구", "EA", "10", "");
    d.Select(0);
  }
  // The decoded text of request i, and its request line.
  std::string Sent(std::size_t i) const { return test::SplitRequest(server.Requests().at(i)).text; }
  std::string Line(std::size_t i) const { return test::SplitRequest(server.Requests().at(i)).lines.at(0); }
  std::size_t Requests() const { return server.Requests().size(); }

  test::LoopbackServer server;
  QTemporaryDir dir;
  TDM dm;
  RecordingPort port;
  test::ScriptedPrompter prompter;
  OrderDesk desk;
};

TEST_F(Desk, NewOrderAndItsSupplierMessageGoOutByteForByte) {
  FillThreeLines();
  desk.Draft().Note = "  빠른 배송 부탁  ";
  const std::string ci = TodayStamp() + "-" + std::to_string(RequestCounter() + 1);
  desk.SendOrder();

  ASSERT_EQ(Requests(), 2u);
  EXPECT_EQ(Line(0), "POST /NET/Order.php HTTP/1.1");
  EXPECT_EQ(Sent(0),
            "VALUE=<POST_DATA><CALL_INDEX>" + ci +
                "</CALL_INDEX><COMMAND>100401</COMMAND><DB_KEY>S00001</DB_KEY>"
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
  EXPECT_EQ(Line(1), "POST /NET/OrderAuth.php HTTP/1.1");
  EXPECT_EQ(Sent(1),
            "VALUE=<POST_DATA><COMMAND>100001</COMMAND><OA_CODE></OA_CODE><OA_SC>S00001</OA_SC>"
            "<OA_CC>C00001</OA_CC><OA_IOG>O</OA_IOG><OA_STATUS>W</OA_STATUS><OA_WDATE></OA_WDATE>"
            "<OA_WTIME></OA_WTIME><OA_RTIME></OA_RTIME>"
            "<OA_MSG>거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 왔습니다.</OA_MSG></POST_DATA>");
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kSent});
  EXPECT_FALSE(desk.Draft().HasLines());
  EXPECT_EQ(desk.Draft().SendCount, 0);
  EXPECT_EQ(port.calls, std::vector<std::string>{"redraw cleared"});
}

TEST_F(Desk, ReopenedOrderBeingWrittenKeepsItsIdentityAndIsSentAsAChange) {
  FillThreeLines();
  OrderDraft& d = desk.Draft();
  d.OpenedCode = "K1";
  d.OpenedDate = "240131";
  d.OpenedTime = "0930";
  d.OpenedStatus = "X";
  d.SendCount = 1;
  d.DeliveryDate = "240215";
  d.BeingWritten = true;
  desk.SendOrder();
  ASSERT_EQ(Requests(), 2u);
  const std::string head = TagValue("ORDERH_DATA", Sent(0));
  EXPECT_EQ(head.substr(0, head.find("<OH_CC>")),
            "<OH_CODE>K1</OH_CODE><OH_SD>240131</OH_SD><OH_AT>0930</OH_AT><OH_MT></OH_MT>"
            "<OH_MCOUNT>2</OH_MCOUNT><OH_DD>240215</OH_DD>");
  EXPECT_EQ(TagValue("OH_IOG", head), "X");
  EXPECT_EQ(TagValue("OA_IOG", Sent(1)), "R");
  EXPECT_EQ(TagValue("OA_MSG", Sent(1)), "거래처\r\n\r\n한빛카센터 에서\r\n\r\n발주가 수정되었습니다.");
}

TEST_F(Desk, RefusedDraftsSendNothingAndChangeNothing) {
  struct Case {
    const char* what;
    bool lines;
    const char* date;
    const char* status;
    const char* message;
  } cases[] = {
      {"empty basket", false, "", "", "발주할 제품이 없습니다."},
      {"month 13", true, "241301", "", "배송일을 정확히 입력해 주십시요."},
      {"five digits", true, "24013", "", "배송일을 정확히 입력해 주십시요."},
      {"30 February", true, "240230", "", "배송일을 정확히 입력해 주십시요."},
      {"being received", true, "", "I", "접수중인 내용은 수정할수 없습니다."},
      {"received", true, "240131", "O", "이미 접수된 내용은 수정할수 없습니다."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    desk.Draft().ClearDraft();
    if (c.lines) FillThreeLines();
    desk.Draft().DeliveryDate = c.date;
    desk.Draft().OpenedStatus = c.status;
    prompter.Clear();
    desk.SendOrder();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(desk.Draft().SendCount, 0);
    EXPECT_EQ(desk.Draft().Selected(), 0);
    EXPECT_EQ(desk.Draft().LineCount(), c.lines ? 3 : 0);
  }
  EXPECT_EQ(Requests(), 0u);
}

TEST_F(Desk, FailedSendKeepsTheBasketAndTheNextSendCountsAsAChange) {
  FillThreeLines();
  OrderDraft& d = desk.Draft();
  d.DeliveryDate = "240215";
  d.Note = "메모";
  server.SetReply(Reply("0"));
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kSendFailed});
  EXPECT_EQ(Requests(), 1u);  // no supplier message after a refused order
  EXPECT_EQ(d.LineCount(), 3);
  EXPECT_EQ(d.Line(1).Quantity, "1,200");
  EXPECT_EQ(d.DeliveryDate + d.Note, "240215메모");
  EXPECT_EQ(d.Selected(), 2);  // the walk over the lines ended on the last
  EXPECT_EQ(d.SendCount, 1);   // the raise stays

  // A service that is not there at all: the same message, nothing lost.
  setenv("TARVIK_SERVER", ("127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort())).c_str(), 1);
  prompter.Clear();
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kSendFailed});
  EXPECT_EQ(d.LineCount(), 3);
  EXPECT_EQ(d.SendCount, 2);

  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  server.SetReply(Reply("1"));
  prompter.Clear();
  desk.SendOrder();
  ASSERT_EQ(Requests(), 3u);
  EXPECT_EQ(TagValue("OH_MCOUNT", Sent(1)), "3");
  EXPECT_EQ(TagValue("OA_IOG", Sent(2)), "R");
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kSent});
  EXPECT_FALSE(d.HasLines());
}

TEST_F(Desk, FailedSupplierMessageIsToldButTheOrderCountsAsSent) {
  FillThreeLines();
  server.QueueReplies({Reply("1"), Reply("0")});
  desk.SendOrder();
  EXPECT_EQ(Requests(), 2u);
  EXPECT_EQ(prompter.Texts(),
            (std::vector<std::string>{"메세지 보내기 오류입니다\r\r인터넷을 확인 하십시요.", kSent}));
  EXPECT_FALSE(desk.Draft().HasLines());
}

// An order read as the service answers it: header, then the line records.
std::string OpenReply(const std::string& status, const std::string& rcount, int records) {
  const std::string head = MakeTag("OH_CODE", "K7") + MakeTag("OH_SD", "240131") + MakeTag("OH_AT", "0930") +
                           MakeTag("OH_MCOUNT", "2") + MakeTag("OH_DD", "240203") +
                           MakeTag("OH_NOTE", "오전 배송") + MakeTag("OH_IOG", status) +
                           MakeTag("OH_RCOUNT", rcount);
  const std::string lines[] = {
      MakeTag("OL_GC", "P00002") + MakeTag("OL_GN", "") + MakeTag("OL_GBOX", "") + MakeTag("OL_LC", "3") +
          MakeTag("OL_LN", "") + MakeTag("G_NAME", "피스톤 링") + MakeTag("G_BOX", "EA"),
      MakeTag("OL_GC", "YZ") + MakeTag("OL_GN", "수동 전구") + MakeTag("OL_GBOX", "SET") +
          MakeTag("OL_LC", "1200") + MakeTag("OL_LN", "급함") + MakeTag("G_NAME", "") + MakeTag("G_BOX", ""),
      MakeTag("OL_GC", "P00010") + MakeTag("OL_LC", "1") + MakeTag("G_NAME", "캠 샤프트") + MakeTag("G_BOX", "SET"),
  };
  std::string body;
  for (int i = 0; i < records; ++i) body += MakeTag("RDC_" + std::to_string(i), lines[i]);
  return Reply("1", MakeTag("ORDERH_DATA", head) + MakeTag("ORDERL_DATA", body));
}

TEST_F(Desk, OpenedOrderBringsItsHeaderAndLinesAndItsStatusRules) {
  struct Case {
    const char* status;
    bool beingWritten;
    const char* message;  // empty: none
  } cases[] = {
      {"A", false, ""},
      {"X", true, ""},
      {"I", false, "거래처에서 발주가 접수중입니다.\r\r내용을 수정하여 저장해도 거래처에 다시 전송되지 않습니다."
                   "\r\r변경을 원할 경우 [복사]를 클릭하시여 다시 전송하십시요.\r\r신규로 전송됩니다."},
      {"O", false, "거래처에서 발주가 이미 접수되었습니다.\r\r내용을 수정하여 저장해도 거래처에 다시 전송되지 "
                   "않습니다.\r\r변경을 원할 경우 [복사]를 클릭하시여 다시 전송하십시요.\r\r신규로 전송됩니다."},
  };
  port.pick = "K7";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    desk.Draft().AddDirectLine("이전 줄", "EA", "1", "");
    desk.Draft().AddDirectLine("이전 줄", "EA", "1", "");
    desk.Draft().AddDirectLine("이전 줄", "EA", "1", "");
    desk.Draft().AddDirectLine("이전 줄", "EA", "1", "");
    server.SetReply(OpenReply(c.status, "3", 3));
    prompter.Clear();
    port.calls.clear();
    desk.OpenOrder(false);
    EXPECT_EQ(TagValue("COMMAND", Sent(Requests() - 1)), "100406");
    EXPECT_EQ(TagValue("OH_CODE", Sent(Requests() - 1)), "K7");
    const OrderDraft& d = desk.Draft();
    EXPECT_EQ(d.OpenedCode + "|" + d.OpenedDate + "|" + d.OpenedTime + "|" + d.OpenedStatus,
              std::string("K7|240131|0930|") + c.status);
    EXPECT_EQ(d.SendCount, 2);
    EXPECT_EQ(d.DeliveryDate, "240203");
    EXPECT_EQ(d.Note, "오전 배송");
    EXPECT_EQ(d.BeingWritten, c.beingWritten);
    ASSERT_EQ(d.LineCount(), 3);  // the earlier four lines are gone
    EXPECT_EQ(d.Line(0).GoodsName + "/" + d.Line(0).GoodsBox + "/" + d.Line(0).GoodsCode, "피스톤 링/EA/P00002");
    EXPECT_EQ(d.Line(1).GoodsName + "/" + d.Line(1).GoodsBox + "/" + d.Line(1).Quantity + "/" + d.Line(1).LineNote,
              "수동 전구/SET/1200/급함");
    EXPECT_EQ(d.Line(2).LineNo, "3");
    EXPECT_TRUE(d.Line(3).Empty());
    EXPECT_EQ(prompter.Texts(), *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    EXPECT_EQ(port.calls.front(), "pick orders");
    EXPECT_EQ(port.calls.at(1), "redraw cleared");
    desk.ClearDraft();
  }
}

TEST_F(Desk, OpenedSampleIsANewOrderAndShortLineRecordsAreTold) {
  port.pick = "K7";
  server.SetReply(OpenReply("O", "3", 3));
  desk.OpenOrder(true);
  const OrderDraft& d = desk.Draft();
  EXPECT_EQ(port.calls.front(), "pick samples");
  EXPECT_EQ(d.OpenedCode + d.OpenedDate + d.OpenedTime + d.OpenedStatus + d.DeliveryDate + d.Note, "");
  EXPECT_EQ(d.SendCount, 0);
  EXPECT_EQ(d.LineCount(), 3);
  EXPECT_TRUE(prompter.prompts.empty());

  server.SetReply(OpenReply("A", "3", 2));
  desk.OpenOrder(false);
  EXPECT_EQ(d.OpenedCode, "K7");
  EXPECT_EQ(d.LineCount(), 2);
  EXPECT_EQ(prompter.Texts(),
            std::vector<std::string>{"발주 제품 라인수량 불일치 입니다.\r\r인터넷 연결을 확인하십시요."});

  // A count that is not a number reads as none; a failed read changes nothing.
  server.SetReply(OpenReply("A", "x", 3));
  desk.OpenOrder(false);
  EXPECT_EQ(d.LineCount(), 0);
  EXPECT_EQ(d.OpenedCode, "K7");
  desk.Draft().AddLine("P1", "n", "EA", "1", "");
  server.SetReply(Reply("0"));
  prompter.Clear();
  desk.OpenOrder(false);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"발주 내용 읽기 실패입니다.\r\r인터넷 연결을 확인하십시요."});
  EXPECT_EQ(d.LineCount(), 1);
  const std::size_t before = Requests();
  port.pick.clear();  // the list was cancelled
  desk.OpenOrder(false);
  EXPECT_EQ(Requests(), before);
}

TEST_F(Desk, DeleteAsksFirstAndFollowsTheStatus) {
  OrderDraft& d = desk.Draft();
  d.AddLine("P1", "n", "EA", "1", "");
  desk.DeleteOrder();  // a new draft: nothing happens
  EXPECT_TRUE(prompter.prompts.empty());
  for (const char* status : {"I", "O"}) {
    d.OpenedCode = "K7";
    d.OpenedStatus = status;
    desk.DeleteOrder();
  }
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{"접수중인 내용은 삭제할수 없습니다.",
                                                        "이미 접수된 내용은 삭제할수 없습니다."}));
  d.OpenedStatus = "A";
  d.OpenedDate = "240131";
  prompter.Clear();
  prompter.answers = {false, true, true};
  desk.DeleteOrder();
  EXPECT_EQ(prompter.Last(), "발주일: 240131\r\r발주 내역을 삭제합니다.");
  EXPECT_EQ(Requests(), 0u);
  server.SetReply(Reply("0"));
  desk.DeleteOrder();
  EXPECT_EQ(prompter.Last(), "발주내역 삭제 오류입니다.");
  EXPECT_EQ(d.OpenedCode, "K7");
  server.SetReply(Reply("1"));
  desk.DeleteOrder();
  ASSERT_EQ(Requests(), 2u);
  EXPECT_EQ(Sent(1).substr(Sent(1).find("<COMMAND>")),
            "<COMMAND>100403</COMMAND><DB_KEY>S00001</DB_KEY><OH_CODE>K7</OH_CODE></POST_DATA>");
  EXPECT_FALSE(d.HasLines());
  EXPECT_TRUE(d.OpenedCode.empty());
}

TEST_F(Desk, CopyMakesANewOrderAndOnlyReceivedOrdersBecomeSamples) {
  OrderDraft& d = desk.Draft();
  desk.CopyOrder();
  desk.RegisterSample();
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{"복사할 내용을 열기하여 먼저 선택하십시요.",
                                                        "먼저 샘플로 등록할 내용을 발주열기하여 선택해 주십시요."}));
  d.AddLine("P1", "n", "EA", "1", "");
  d.OpenedCode = "K7";
  d.OpenedStatus = "X";
  desk.RegisterSample();
  d.OpenedStatus = "A";
  desk.RegisterSample();
  EXPECT_EQ(prompter.Texts().at(2), "작성중인 내용은 샘플등록을 할수 없습니다.");
  EXPECT_EQ(prompter.Last(), "미접수 내용은 샘플등록을 할수 없습니다.");
  EXPECT_EQ(Requests(), 0u);

  d.OpenedStatus = "O";
  server.SetReply(Reply("0"));
  desk.RegisterSample();
  EXPECT_EQ(prompter.Last(), "샘플 등록 오류입니다.");
  EXPECT_EQ(d.OpenedCode, "K7");
  server.SetReply(Reply("1"));
  prompter.Clear();
  desk.RegisterSample();
  ASSERT_EQ(Requests(), 2u);
  EXPECT_EQ(Sent(1), "VALUE=<POST_DATA><COMMAND>100411</COMMAND><DB_KEY>S00001</DB_KEY><OH_CODE>K7</OH_CODE>"
                     "<ORDERH_DATA><OH_CODE>K7</OH_CODE><OH_SG>1</OH_SG></ORDERH_DATA></POST_DATA>");
  EXPECT_TRUE(prompter.prompts.empty());  // no success message
  EXPECT_FALSE(d.HasLines());

  d.AddLine("P1", "n", "EA", "1", "");
  d.OpenedCode = "K8";
  d.OpenedDate = "240131";
  d.OpenedTime = "0930";
  d.OpenedStatus = "O";
  d.SendCount = 4;
  d.DeliveryDate = "240203";
  d.Note = "메모";
  d.BeingWritten = true;
  desk.CopyOrder();
  EXPECT_EQ(prompter.Last(), "새로운 발주로 복사 돠었습니다.");
  EXPECT_EQ(d.OpenedCode + d.OpenedDate + d.OpenedTime + d.OpenedStatus, "");
  EXPECT_EQ(d.SendCount, 0);
  EXPECT_EQ(d.DeliveryDate + d.Note, "240203메모");
  EXPECT_TRUE(d.BeingWritten);
  EXPECT_EQ(d.LineCount(), 1);
}

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
