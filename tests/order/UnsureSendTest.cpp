// A send whose reply was lost: its outcome, finding the order it may have stored, the next F7.
#include <QDir>
#include <QFile>

#include "order/BasketJournal.h"
#include "order/OrderWire.h"
#include "order/SendCheck.h"
#include "platform/Folders.h"
#include "tests/order/DeskFixture.h"
#include "text/Text.h"

namespace tarvik::test {
namespace {

// A service's read of a stored body: as sent, with its code, date, time and product names.
std::string OpenText(const std::string& body, const std::string& code, const std::string& sd,
                     const std::string& at) {
  const std::string head = TagValue("ORDERH_DATA", body), sent = TagValue("ORDERL_DATA", body);
  std::vector<std::string> header;
  for (const char* field : protocol::kOrderHeader) header.push_back(TagValue(field, head));
  header[0] = code, header[1] = sd, header[2] = at, header[8] = "A";  // OH_CODE, OH_SD, OH_AT, OH_IOG
  std::string lines;
  for (int r = 0; !TagValue("OLD_" + std::to_string(r), sent).empty(); ++r)
    lines += MakeTag("RDC_" + std::to_string(r),
                     TagValue("OLD_" + std::to_string(r), sent) + MakeTag("G_NAME", "이름") + MakeTag("G_BOX", "EA"));
  return MakeTag("RESULT_CODE", "1") + MakeTag("ORDERH_DATA", protocol::Elements(protocol::kOrderHeader, header)) +
         MakeTag("ORDERL_DATA", lines);
}

OrderDraft ThreeLines() {
  OrderDraft d;
  AddThreeLines(d);
  d.DeliveryDate = "240215";
  d.Note = " 빠른 배송 ";
  d.SendCount = 1;
  return d;
}

TEST(SendCheck, OnlyARefusalOrARequestThatNeverLeftIsNotStored) {
  const struct {
    std::string reply;
    Delivery delivery;
    SaveOutcome outcome;
  } cases[] = {
      {"<RESULT_CODE>1</RESULT_CODE>", Delivery::Replied, SaveOutcome::Stored},
      {"<RESULT_CODE>0</RESULT_CODE>", Delivery::Replied, SaveOutcome::NotStored},
      {"Send_PostRequest Error<CALL_INDEX></CALL_INDEX>", Delivery::NotSent, SaveOutcome::NotStored},
      {"Send_PostRequest Error<CALL_INDEX></CALL_INDEX>", Delivery::Unknown, SaveOutcome::Unknown},
      {"ResponseBuffer Decompress Error<CALL_INDEX></CALL_INDEX>", Delivery::Unknown, SaveOutcome::Unknown},
      {"<HTTP HEAD>HTTP/1.1 504 Gateway Timeout</HTTP HEAD>", Delivery::Replied, SaveOutcome::Unknown},
  };
  for (const auto& c : cases) {
    PostOutcome sent;
    sent.reply = c.reply;
    sent.delivery = c.delivery;
    EXPECT_EQ(SaveOutcomeOf(sent), c.outcome) << c.reply;
  }
}

TEST(SendCheck, CandidatesAreTheNewestOrdersWithTheSameDateAndNote) {
  const UnsureSend unsure{OrderSaveBody(ThreeLines(), "C1"), "2024-01-31T09:30:00"};
  const QDateTime now(QDate(2024, 1, 31), QTime(9, 35));
  const std::string dd = "240215", note = "빠른 배송";
  const std::string list = ListText({
      ListRecord("NOTE", "240131", "0934", dd, "다른 메모"),
      ListRecord("DATE", "240131", "0933", "240216", note),
      ListRecord("B", "240131", "0931", dd, note),
      ListRecord("A", "240131", "0933", dd, note),  // listed after B, stored after it
      ListRecord("BLANKS", "240131", "0930", " 240215 ", "  빠른 배송 "),
      ListRecord("BADTIME", "240131", "093", dd, note),
      ListRecord("MORE", "240131", "0929", dd, note),  // a fourth: not read
  });
  std::vector<std::string> codes;
  for (const UnsureCandidate& c : UnsureCandidates(list, unsure, now, QDateTime())) codes.push_back(c.code);
  EXPECT_EQ(codes, (Texts{"A", "B", "BLANKS"}));
  EXPECT_TRUE(UnsureCandidates(list, UnsureSend{unsure.body, "not a time"}, now, QDateTime()).empty());
}

TEST(SendCheck, TheSendIsFoundWhateverThePcClockAndTheDatabaseTimeZone) {
  const std::string body = OrderSaveBody(ThreeLines(), "C1"), dd = "240215", note = "빠른 배송";
  // The send left at 23:58 UTC; the list is read five minutes later.
  const QDateTime sentUtc(QDate(2024, 1, 30), QTime(23, 58), Qt::UTC);
  const QDateTime serviceNow = sentUtc.addSecs(300);  // the list reply's Date
  auto record = [&](const char* code, const QDateTime& t, const std::string& n) {
    return ListRecord(code, S(t.toString("yyMMdd")), S(t.toString("HHmm")), dd, n);
  };
  const struct {
    const char* what;
    int pcHours, zoneHours;  // ahead of UTC
  } cases[] = {
      {"one clock, one zone", 9, 9},
      {"the database in UTC, the PC in Seoul", 9, 0},
      {"and the PC's clock an hour fast", 10, 0},
      {"the PC's clock an hour slow, the database at UTC-12", 8, -12},
      {"the database at UTC+14", 9, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const UnsureSend unsure{body, S(sentUtc.addSecs(c.pcHours * 3600).toString("yyyy-MM-ddTHH:mm:ss"))};
    const QDateTime now = QDateTime::fromString(Q(unsure.at), Qt::ISODate).addSecs(300);
    const QDateTime stored = sentUtc.addSecs(c.zoneHours * 3600 + 20);
    const std::string list = ListText({
        record("OTHER", stored.addSecs(60), "다른 메모"),
        record("SENT", stored, note),
        record("EARLIER", stored.addSecs(-20 * 60), note),  // before the send, beyond the slack
    });
    for (const QDateTime& date : {serviceNow, QDateTime()}) {
      const auto found = UnsureCandidates(list, unsure, now, date);
      ASSERT_EQ(found.size(), 1u);
      EXPECT_EQ(found[0].code, "SENT");
    }
  }
  // The same order stored two days before is no send of now; only the service's Date tells.
  const UnsureSend unsure{body, S(sentUtc.addSecs(9 * 3600).toString("yyyy-MM-ddTHH:mm:ss"))};
  const QDateTime now = QDateTime::fromString(Q(unsure.at), Qt::ISODate).addSecs(300);
  const std::string old = ListText({record("OLD", sentUtc.addDays(-2), note)});
  EXPECT_TRUE(UnsureCandidates(old, unsure, now, serviceNow).empty());
  EXPECT_EQ(UnsureCandidates(old, unsure, now, QDateTime()).size(), 1u);
  EXPECT_EQ(ServiceTimeOf("Wed, 31 Jan 2024 00:03:00 GMT"), serviceNow);
  EXPECT_FALSE(ServiceTimeOf("").isValid());
}

TEST(SendCheck, TheStoredOrderMustHoldWhatWasSent) {
  const std::string body = OrderSaveBody(ThreeLines(), "C1");
  const std::string stored = OpenText(body, "K1", "240131", "0930");
  auto edited = [&](const std::string& from, const std::string& to) { return Replaced(stored, from, to); };
  const struct {
    const char* what;
    std::string reply;
    bool matches;
  } cases[] = {
      {"as sent", stored, true},
      {"quantity written otherwise", edited("<OL_LC>1200</OL_LC>", "<OL_LC>1200.00</OL_LC>"), true},
      {"blanks around the note", edited("<OH_NOTE>빠른 배송</OH_NOTE>", "<OH_NOTE> 빠른 배송  </OH_NOTE>"), true},
      {"another quantity", edited("<OL_LC>1200</OL_LC>", "<OL_LC>120</OL_LC>"), false},
      {"another product", edited("<OL_GC>P00010</OL_GC>", "<OL_GC>P00011</OL_GC>"), false},
      {"another line note", edited("<OL_LN>급함</OL_LN>", "<OL_LN>급해</OL_LN>"), false},
      {"another hand-typed name", edited("<OL_GN>수동 전구</OL_GN>", "<OL_GN>수동 전구2</OL_GN>"), false},
      {"another delivery date", edited("<OH_DD>240215</OH_DD>", "<OH_DD>240216</OH_DD>"), false},
      {"another line count", edited("<OH_RCOUNT>3</OH_RCOUNT>", "<OH_RCOUNT>2</OH_RCOUNT>"), false},
      {"a line record missing", edited("<RDC_2>", "<RDC_X>"), false},
      {"a refused read", edited("<RESULT_CODE>1</RESULT_CODE>", "<RESULT_CODE>0</RESULT_CODE>"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredOrderMatches(body, c.reply), c.matches) << c.what;
}

class UnsureDesk : public DeskTest {
 protected:
  // Two lines sent as a new order, lost; list and open: the service holding it among others.
  void LoseTheFirstSend() {
    OrderDraft& d = desk.Draft();
    d.AddLine("P00002", "피스톤 링", "EA", "3", "");
    d.AddDirectLine("수동 전구", "EA", "10", "");
    d.SetDeliveryDate("240215");
    d.SetNote("빠른 배송");
    server.QueueReplies({""});
    desk.SendOrder();
    ASSERT_EQ(prompter.Texts(), Texts{kUnsureSendMessage});
    const std::string t = Sent(Requests() - 1);
    EXPECT_EQ(d.Unsure.body, t.substr(t.find("<ORDERH_DATA>"), t.find("</POST_DATA>") - t.find("<ORDERH_DATA>")));
    EXPECT_EQ(d.SendCount * 10 + d.LineCount(), 12);
    prompter.Clear();
    Now();
    list = ListText({ListRecord("K9", sd, at, "240215", "빠른 배송"), ListRecord("K8", sd, at, "240215", "다른")});
    open = OpenText(d.Unsure.body, "K9", sd, at);
  }
  void Now() {
    const QDateTime now = QDateTime::currentDateTime();
    sd = S(now.toString("yyMMdd"));
    at = S(now.toString("HHmm"));
  }
  std::string When() const { return "발주일: " + FormatYymmdd(sd) + " " + at.substr(0, 2) + ":" + at.substr(2); }
  std::string Question(bool unchanged) const {
    return "조금 전에 전송한 발주가 이미 접수되어 있습니다.\r\r" + When() + "   제품 2개\r\r" +
           (unchanged ? "다시 전송하지 않고 접수된 발주를 여시겠습니까?"
                      : "그 뒤에 바뀐 내용으로 접수된 발주를 수정하여 전송하시겠습니까?") +
           "\r\r[아니요]를 누르면 새 발주로 한 번 더 전송합니다.";
  }

  std::string sd, at, list, open;
};

TEST_F(UnsureDesk, TheNextSendFindsTheStoredOrderAndOpensItInstead) {
  LoseTheFirstSend();
  server.QueueReplies({GzipReply(list), GzipReply(open), GzipReply(open), Reply("1")});
  prompter.answers = {true};
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), Texts{Question(true)});
  ASSERT_EQ(Requests(), 5u);
  // Only commands every service answers: the list as the order list screen asks, then the reads.
  EXPECT_EQ(Sent(1).substr(Sent(1).find("<COMMAND>")),
            MakeTag("COMMAND", protocol::kOrderList.code) + "<DB_KEY>S00001</DB_KEY>" + OrderListBody("C00001", false) + "</POST_DATA>");
  EXPECT_EQ(Command(2) + TagValue("OH_CODE", Sent(2)) + Command(3), protocol::kOrderOpen.code + std::string("K9") + protocol::kOrderOpen.code);
  // The supplier's message the lost reply kept back, as after a first send.
  EXPECT_EQ(Command(4), protocol::kOrderAuth.code);
  EXPECT_EQ(TagValue("OA_IOG", Sent(4)), "O");
  const OrderDraft& d = desk.Draft();
  EXPECT_EQ(d.OpenedCode + d.OpenedStatus + std::to_string(d.SendCount * 10 + d.LineCount()), "K9A12");
  EXPECT_TRUE(d.Unsure.Empty());
}

TEST_F(UnsureDesk, NoMatchSendsOnceAndNoSendsAgainAsTheClerkChose) {
  LoseTheFirstSend();
  // Nothing alike: the send goes as any second send does.
  server.QueueReplies({GzipReply(ListText({ListRecord("K1", "200101", "0000", "240215", "다른 메모")})),
                       Reply("1"), Reply("1")});
  desk.SendOrder();
  ASSERT_EQ(Requests(), 4u);
  EXPECT_EQ(Command(1) + Command(2) + TagValue("OH_MCOUNT", Sent(2)), protocol::kOrderList.code + std::string(protocol::kOrderSave.code) + "2");
  EXPECT_EQ(TagValue("OA_IOG", Sent(3)), "R");
  EXPECT_EQ(prompter.Texts(), Texts{kSent});

  prompter.Clear();
  LoseTheFirstSend();
  server.QueueReplies({GzipReply(list), GzipReply(open), Reply("1"), Reply("1")});
  prompter.answers = {false};
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), (Texts{Question(true), kSent}));
  EXPECT_EQ(Command(Requests() - 2), protocol::kOrderSave.code);
  EXPECT_EQ(TagValue("OH_CODE", Sent(Requests() - 2)), "");
}

// Regression: after a lost reply and a changed basket the stored order went again as a
// change only, so the supplier never heard of the new order.
TEST_F(UnsureDesk, ChangesMadeSinceGoToTheStoredOrderAfterItsNewOrderMessage) {
  LoseTheFirstSend();
  desk.Draft().AddLine("P00010", "캠 샤프트", "SET", "1", "");
  server.QueueReplies({GzipReply(list), GzipReply(open), Reply("1"), Reply("1"), Reply("1")});
  prompter.answers = {true};
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), (Texts{Question(false), kSent}));
  ASSERT_EQ(Requests(), 6u);
  EXPECT_EQ(Command(3) + TagValue("OA_IOG", Sent(3)) + Command(4) + Command(5) + TagValue("OA_IOG", Sent(5)),
            "100001O100401100001R");
  const std::string head = TagValue("ORDERH_DATA", Sent(4));
  EXPECT_EQ(head.substr(0, head.find("<OH_DD>")), "<OH_CODE>K9</OH_CODE><OH_SD>" + sd + "</OH_SD><OH_AT>" + at +
                                                      "</OH_AT><OH_MT></OH_MT><OH_MCOUNT>2</OH_MCOUNT>");
  EXPECT_EQ(TagValue("OH_RCOUNT", head), "3");
  EXPECT_TRUE(desk.Draft().IsBlank());
}

TEST_F(UnsureDesk, WhenTheServiceCannotBeAskedNothingIsSent) {
  LoseTheFirstSend();
  const std::string cannot =
      "조금 전에 전송한 발주가 접수되었는지 확인하지 못했습니다.\r\r인터넷 연결을 확인하시고 다시 시도하십시요.";
  server.QueueReplies({Reply("0")});  // the list
  desk.SendOrder();
  server.QueueReplies({GzipReply(list), Reply("0")});  // the candidate's read
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts(), (Texts{cannot, cannot}));
  EXPECT_EQ(Requests(), 4u);
  for (std::size_t i = 1; i < 4; ++i) EXPECT_NE(Command(i), protocol::kOrderSave.code);
  EXPECT_EQ(desk.Draft().SendCount, 1);

  // The open after Yes fails: still unsure, so the next F7 asks again.
  server.QueueReplies({GzipReply(list), GzipReply(open), Reply("0")});
  prompter.Clear();
  prompter.answers = {true};
  desk.SendOrder();
  EXPECT_EQ(prompter.Texts().back(), "발주 내용 읽기 실패입니다.\r\r인터넷 연결을 확인하십시요.");
  EXPECT_FALSE(desk.Draft().Unsure.Empty());
}

TEST_F(UnsureDesk, ARefusalOrARefusedConnectionOrAReSendIsNeverUnsure) {
  OrderDraft& d = desk.Draft();
  d.AddLine("P00002", "피스톤 링", "EA", "3", "");
  server.QueueReplies({Reply("0")});
  desk.SendOrder();
  EXPECT_TRUE(d.Unsure.Empty());
  const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort());
  seams.service.server = ParseServerAddress(refused);
  desk.SendOrder();
  EXPECT_TRUE(d.Unsure.Empty());
  seams.service.server = ParseServerAddress(server.Address());
  d.SetOpened("K5", "240131", "0930", "A", 1);  // a re-send names its order
  server.QueueReplies({""});
  desk.SendOrder();
  EXPECT_TRUE(d.Unsure.Empty());
  EXPECT_EQ(prompter.Texts(), (Texts{kSendFailed, kSendFailed, kSendFailed}));
}

TEST_F(UnsureDesk, AJournalLeftByASentOrderIsNotSentAgain) {
  const std::string folder = Folder();
  const BasketJournal journal(folder, "S00001", "C00001");
  desk.StartJournal(folder);
  OrderDraft& d = desk.Draft();
  d.AddLine("P00002", "피스톤 링", "EA", "3", "");
  const OrderDraft written = d;  // the journal's last write
  // A journal that cannot be removed (nor written): a folder in its place.
  QFile::remove(Q(journal.Path()));
  QDir().mkpath(Q(journal.Path() + "/x"));
  d.SetDeliveryDate("240215");
  d.RaiseQuantity(0);
  d.AddDirectLine("수동 전구", "EA", "10", "");
  OrderDraft sent = d;
  sent.SendCount = 1;
  server.QueueReplies({Reply("1"), Reply("1")});
  desk.SendOrder();
  const std::string notRemoved =
      "임시 저장해 둔 발주 내용을 지우지 못했습니다.\r\r" + ShownPath(journal.Path()) + "\r\r폴더의 쓰기 권한을 확인하십시요.";
  desk.ClearScreen();  // each time it should go, it is told again
  const Texts told = prompter.Texts();
  ASSERT_EQ(told.size(), 4u);  // the failed write, then these
  EXPECT_EQ(told[1] + told[2] + told[3], kSent + notRemoved + notRemoved);

  // The next log-in offers an earlier state of the sent order, No by default, the PC's clock a day behind.
  QDir(Q(journal.Path())).removeRecursively();
  ASSERT_TRUE(journal.Save(written));
  Now();
  const std::string stored = GzipReply(OpenText(OrderSaveBody(sent, "C00001"), "K9", sd, at));
  // Yes restores it (No, Enter's answer, is Guard.AJournalThatCouldNotBeRemovedNeverBecomesASecondOrder).
  server.QueueReplies({GzipReply(ListText({ListRecord("K9", sd, at, "240215", "")})), stored});
  prompter.Clear();
  prompter.answers = {true};
  Seams behind = seams;
  behind.clock = [] { return QDateTime::currentDateTime().addDays(-1); };
  OrderDesk restored(dm, behind, port);
  restored.StartJournal(folder);
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_TRUE(prompter.prompts[0].noByDefault);
  EXPECT_EQ(prompter.Last(), "저장되어 있던 발주 내용의 제품이 모두 이미 전송된 발주에 들어 있습니다.\r\r" + When() +
                                 "   제품 2개\r\r저장된 내용(제품 1개)을 그래도 불러오시겠습니까?\r\r[아니요]를 누르면 저장된 "
                                 "내용은 지워집니다. 전송된 발주는 [주문열기]로 볼 수 있습니다.");
  EXPECT_TRUE(journal.Exists());
  EXPECT_EQ(restored.Draft().LineCount(), 1);
  // The service cannot be asked at the start: the question says so; F7 looks first and asks; No by default.
  server.QueueReplies({Reply("0"), GzipReply(ListText({ListRecord("K9", sd, at, "240215", "")})), stored});
  prompter.Clear();
  prompter.answers = {true};
  prompter.enterAtEveryQuestion = true;
  OrderDesk next(dm, seams, port);
  next.StartJournal(folder);
  next.SendOrder();
  const Texts asked = prompter.Texts();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].substr(0, asked[0].find("저장 시각 ")), "작성하던 발주 내용이 저장되어 있습니다.\r\r(제품 1개, ");
  EXPECT_EQ(asked[0].substr(asked[0].find(")")), ")\r\r이미 전송된 발주인지 서버에 확인하지 못했습니다.\r\r불러오시겠습니까?"
                                                 "\r\r[아니요]를 누르면 저장된 내용은 지워집니다.");
  EXPECT_EQ(asked[1].substr(asked[1].find("제품 2개")), "제품 2개\r\r그래도 새 발주로 전송하시겠습니까?\r\r[아니요]를 "
                                                      "누르면 전송하지 않습니다. 전송된 발주는 [주문열기]로 볼 수 있습니다.");
  EXPECT_TRUE(prompter.prompts[0].noByDefault && prompter.prompts[1].noByDefault);
  for (std::size_t i = 2; i < Requests(); ++i) EXPECT_NE(Command(i), protocol::kOrderSave.code);
}

}  // namespace
}  // namespace tarvik::test
