// The imported-car part-number search and its pickers: the rules and the wire, over a loopback server.
#include <gtest/gtest.h>

#include <array>

#include "catalog/CarPartSearch.h"
#include "catalog/CodePicker.h"
#include "order/OrderDraft.h"
#include "tests/order/DeskFixture.h"
#include "text/Text.h"

namespace tarvik { namespace {

TEST(CutNameSuffix, DropsTheLastTwoGroupsOnlyWhenTheBlanksStandRight) {
  const struct { const char* name; const char* expected; } cases[] = {
      {"AB 123 456 789", "AB 123 "},                     // 14 bytes, blanks at 3, 7, 11
      {"ABCDEFGHIJKLM", "ABCDEFGHIJKLM"},                 // 13 bytes: never cut
      {"브레이크패드 955 341 101", "브레이크패드 955 "},  // Hangul counts two bytes
      {"BRAKE PAD 123 456X789", "BRAKE PAD 123 456X789"}, // a blank missing at any place
      {"BRAKE PAD 123X456 789", "BRAKE PAD 123X456 789"},
      {"BRAKE PADX123 456 789", "BRAKE PADX123 456 789"},
      {"BRAKE PAD 123 456 가나", "BRAKE PAD 123 456 가나"},  // L-3 inside a character
      {"OIL FILTER              ", "OIL FILTER       "},    // padding blanks count
      {"OIL FILTER          ", "OIL FILTER          "},    // 20 bytes: byte 9 is no blank
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutNameSuffix(c.name), c.expected) << c.name;
}

// The service's list reply of part-number records (name, body, goods code).
std::string PartsReply(const std::vector<std::array<const char*, 3>>& rows) {
  std::vector<std::string> records;
  for (const auto& r : rows)
    records.push_back(MakeTag("CPN_NAME", r[0]) + MakeTag("CPN_TYPE", "M10") + MakeTag("CPN_POWER", "150PS") +
                      MakeTag("CPN_YEAR", "2010~2014") + MakeTag("CPN_BODY", r[1]) + MakeTag("CPN_GCODE", r[2]));
  return test::ListText(records);
}

const char* const kEmptyList = "<RESULT_CODE>1</RESULT_CODE><RESULT_RECORD_COUNT>0</RESULT_RECORD_COUNT>";
const char* const kFailure = "<RESULT_CODE>0</RESULT_CODE>";

class PartSearchRules : public test::DeskTest, public CarPartSearchPort {
 protected:
  Offer OfferToBasket(const OfferedProduct& p) override {
    asked.push_back(p);
    if (!quantityOk) return Offer::Cancelled;
    return draft.AddLine(p.code, TrimRightBlanks(p.name), p.box, "2", "") ? Offer::Added : Offer::NotAdded;
  }
  void BasketChanged() override { ++basketChanges; }

  void Picked(const std::string& make, const std::string& group) {
    search->Fields.MakeName = search->Fields.MakeCode = make;
    search->Fields.GroupName = search->Fields.GroupCode = group;
  }
  // The elements of the last request after its DB_KEY (the frame is the request functions' test).
  std::string SentElements() const {
    const std::string text = test::SplitRequest(server.LastRequest()).text;
    EXPECT_EQ(TagValue("DB_KEY", text), "S00001");
    return text.substr(text.find("</DB_KEY>") + 9);
  }
  std::string SentPath() const { return test::SplitRequest(server.LastRequest()).lines.at(0); }
  void Answer(const std::string& text) { server.SetReply(test::GzipReply(text)); }

  OrderDraft draft;
  std::unique_ptr<CarPartSearch> search = std::make_unique<CarPartSearch>(dm, seams, *this);
  std::vector<OfferedProduct> asked;
  bool quantityOk = true;
  int basketChanges = 0;
};

TEST_F(PartSearchRules, RefusalsComeInTheirOrderAndATypedNameSetsNoCode) {
  const struct { const char* label; PartSearchFields fields; PartSearchKind kind; const char* message; } cases[] = {
      {"nothing", {}, PartSearchKind::Model, "차종을 먼저 선택해주십시요"},
      {"a typed make has no code", {"BMW", "", "", "", "320", ""}, PartSearchKind::Model, "차종을 먼저 선택해주십시요"},
      {"a make of blanks drops its code", {"  ", "02", "브레이크패드", "01", "320", ""}, PartSearchKind::Model,
       "차종을 먼저 선택해주십시요"},
      {"no group", {"BMW", "02", "", "", "320", ""}, PartSearchKind::Model, "부품을 먼저 선택해주십시요"},
      {"a body word of blanks", {"BMW", "02", "브레이크패드", "01", "320", "   "}, PartSearchKind::Body,
       "검색어를 입력해 주십시요."},
      {"an emptied group drops its code", {"BMW", "02", "", "01", "320", ""}, PartSearchKind::Body,
       "부품을 먼저 선택해주십시요"},
  };
  for (const auto& c : cases) {
    prompter.Clear();
    search->Fields = c.fields;
    EXPECT_EQ(search->Search(c.kind), CarPartSearch::Outcome::Refused) << c.label;
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{c.message}) << c.label;
    EXPECT_EQ(server.LastRequest(), "") << c.label << ": nothing is sent";
  }
  search->Fields = {"", "02", "", "01", "", ""};
  search->Search(PartSearchKind::Model);
  EXPECT_EQ(search->Fields.MakeCode + search->Fields.GroupCode, "");  // emptied names emptied their codes
}

TEST_F(PartSearchRules, SearchesAndTheLookupSendExactlyTheirElements) {
  Picked("02", "01");
  search->Fields.Model = "320  ";
  search->Fields.Body = "WBA";
  Answer(PartsReply({{"320I 2.0", "WBA123", "P00081"}}));
  EXPECT_EQ(search->Search(PartSearchKind::Model), CarPartSearch::Outcome::Records);
  EXPECT_EQ(SentPath(), "POST /NET/CarPartNum.php HTTP/1.1");
  EXPECT_EQ(SentElements(),
            "<SAME_FIELD>CPN_GROUP</SAME_FIELD><SAME_KEY>01</SAME_KEY><SAME_FIELD>CPN_MAKE</SAME_FIELD>"
            "<SAME_KEY>02</SAME_KEY><LIKE_FIELD>CPN_NAME</LIKE_FIELD><LIKE_KEY>320%</LIKE_KEY>"
            "<ORDERBY>CPN_NAME ASC</ORDERBY></POST_DATA>");
  EXPECT_EQ(search->Search(PartSearchKind::Body), CarPartSearch::Outcome::Records);
  EXPECT_EQ(SentElements(),
            "<SAME_FIELD>CPN_GROUP</SAME_FIELD><SAME_KEY>01</SAME_KEY><SAME_FIELD>CPN_MAKE</SAME_FIELD>"
            "<SAME_KEY>02</SAME_KEY><LIKE_FIELD>CPN_BODY</LIKE_FIELD><LIKE_KEY>%WBA%</LIKE_KEY>"
            "<ORDERBY>CPN_BODY ASC</ORDERBY></POST_DATA>");

  Answer("<RESULT_CODE>1</RESULT_CODE><RESULT_RECORD_COUNT>1</RESULT_RECORD_COUNT><RDC_0><G_NAME>BRAKE PAD 123 "
         "456 789</G_NAME><G_BOX>SET</G_BOX><G_BCNT></G_BCNT></RDC_0>");
  EXPECT_EQ(search->AddSelectedProduct(), CarPartSearch::AddOutcome::Added);
  EXPECT_EQ(SentPath(), "POST /NET/Good.php HTTP/1.1");
  EXPECT_EQ(SentElements(), "<SAME_FIELD>G_CODE</SAME_FIELD><SAME_KEY>P00081</SAME_KEY></POST_DATA>");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].code + asked[0].box + asked[0].unitQty, "P00081SET0");  // an empty G_BCNT
  EXPECT_EQ(draft.Line(0).GoodsCode + "|" + draft.Line(0).GoodsName, "P00081|BRAKE PAD 123");
  EXPECT_EQ(basketChanges, 1);
}

TEST_F(PartSearchRules, FailedRepliesAndRefusedRowsLeaveTheRowsAsTheyWere) {
  Picked("11", "01");
  search->Fields.Body = "WP0";
  Answer(PartsReply({{"CAYENNE 3.0", "WP0A", "P02501"}, {"MACAN 2.0", "WP0B", ""}, {"911 3.0", "WP0C", "P00081"}}));
  ASSERT_EQ(search->Search(PartSearchKind::Body), CarPartSearch::Outcome::Records);
  PagedList& list = search->List();
  list.KeyDown();
  EXPECT_EQ(search->AddSelectedProduct(), CarPartSearch::AddOutcome::NotReady);
  list.KeyDown();
  Answer(kFailure);
  EXPECT_EQ(search->AddSelectedProduct(), CarPartSearch::AddOutcome::ReadError);
  // No product record: the dialog opens with nothing filled in.
  quantityOk = false;
  Answer(kEmptyList);
  EXPECT_EQ(search->AddSelectedProduct(), CarPartSearch::AddOutcome::Cancelled);
  EXPECT_EQ(asked.back().name + asked.back().box + asked.back().unitQty, "");
  list.End();
  EXPECT_EQ(search->AddSelectedProduct(), CarPartSearch::AddOutcome::NoProduct);
  Answer(kFailure);
  EXPECT_EQ(search->Search(PartSearchKind::Body), CarPartSearch::Outcome::ReadError);
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{
                                  "준비되지 않은 제품입니다.",
                                  "제품 자료 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요.",
                                  "제품을 선택해 주십시요.",
                                  "자료 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요.",
                              }));
  EXPECT_EQ(list.Cell(2, kPartName), "911 3.0");  // the rows on display kept; the count is the reply records
  EXPECT_EQ(draft.LineCount(), 0);
}

// A code list of n entries (fields prefix "CM" or "CG"); names padded with blanks.
std::string CodeListReply(const std::string& prefix, int n) {
  std::vector<std::string> records;
  for (int i = 0; i < n; ++i) {
    const std::string code = (i < 9 ? "0" : "") + std::to_string(i + 1);
    records.push_back(MakeTag(prefix + "_CODE", code) + MakeTag(prefix + "_NAME", "NAME" + code + "   "));
  }
  return test::ListText(records);
}

TEST_F(PartSearchRules, PickersAskOnceForTheWholeListAndCountWithinTheWindow) {
  Answer(CodeListReply("CM", 40));
  CodePicker picker(dm, seams, kCarMakeList);
  ASSERT_EQ(picker.Load(), ReplyRecordSource::Load::Records);
  EXPECT_EQ(SentPath(), "POST /NET/CarMake.php HTTP/1.1");
  EXPECT_EQ(SentElements(),
            "<LIKE_FIELD>CM_NAME</LIKE_FIELD><LIKE_KEY>%</LIKE_KEY><ORDERBY>CM_CODE ASC</ORDERBY></POST_DATA>");
  const std::string sent = server.LastRequest();
  EXPECT_EQ(picker.Load(), ReplyRecordSource::Load::Records);
  EXPECT_EQ(server.LastRequest(), sent);  // not sent again (a new one has a new CALL_INDEX)

  // The count is "1" until the selected row first changes; Home after End counts from 0.
  PagedList& list = picker.List();
  list.PgDn();
  EXPECT_EQ(picker.CountText(), "1");
  list.Home();
  list.End();
  EXPECT_EQ(picker.CountText(), "24");
  list.Home();
  EXPECT_EQ(picker.CountText(), "0");

  prompter.Clear();
  Answer(kFailure);  // a read error: its message once, an empty list
  CodePicker failed(dm, seams, kCarMakeList);
  EXPECT_EQ(failed.Load(), ReplyRecordSource::Load::ReadError);
  EXPECT_EQ(prompter.Texts(),
            std::vector<std::string>{"자료 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요."});
  EXPECT_FALSE(failed.Confirm());
}

}}  // namespace tarvik
