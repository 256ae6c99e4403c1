// The request functions over the loopback server: what each one puts on the
// wire, where it posts it, and how the session's counter moves.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <functional>

#include "app/UDM.h"
#include "net/Gzip.h"
#include "net/HC.h"
#include "net/MessageFormat.h"
#include "platform/QtText.h"
#include "tests/net/WireParts.h"
#include "tests/support/LoopbackServer.h"

namespace tarvik {
namespace {

using test::LoopbackServer;

const std::string kOk = "<RESULT_CODE>1</RESULT_CODE>";

class HcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    dm_ = std::make_unique<TDM>(S(dir_.path()) + "/");
    server_.SetReply(LoopbackServer::HttpReply(
        {"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"}, GzipCompress(kOk)));
    setenv("TARVIK_SERVER", server_.Address().c_str(), 1);
  }
  void TearDown() override { setenv("TARVIK_SERVER", "", 1); }

  // Request line path and decoded text of the last request.
  std::pair<std::string, std::string> Last() const {
    const test::WireRequest w = test::SplitRequest(server_.LastRequest());
    std::string path;
    if (!w.lines.empty()) {
      const auto a = w.lines[0].find(' ');
      path = w.lines[0].substr(a + 1, w.lines[0].rfind(' ') - a - 1);
    }
    return {path, w.text};
  }

  QTemporaryDir dir_;
  std::unique_ptr<TDM> dm_;
  LoopbackServer server_;
};

struct Case {
  const char* function;
  std::function<std::string()> call;
  const char* path;
  std::string text;  // "@" stands for the CALL_INDEX element
};

TEST_F(HcTest, EveryFunctionSendsItsHeaderExtrasAndElementsToItsEndpoint) {
  const std::string e = "<X_A>1</X_A><X_B>2</X_B>";
  const std::string c = "<COMMAND>", k = "</COMMAND><DB_KEY>K1</DB_KEY>";
  const std::vector<Case> cases = {
      {"RequestMember", [&] { return RequestMember(e); }, "/NET/KorvanMember.php",
       "<COMMAND>100000</COMMAND>" + e},
      {"RequestCustomer", [&] { return RequestCustomer("K1", e); }, "/NET/Customer.php", "@" + c + "100200" + k + e},
      {"RequestCustomerPassword", [&] { return RequestCustomerPassword("K1", "C7", e); }, "/NET/Customer.php",
       "@" + c + "100202" + k + "<C_CODE>C7</C_CODE>" + e},
      {"RequestGoods", [&] { return RequestGoods("K1", e); }, "/NET/Good.php", "@" + c + "100106" + k + e},
      {"RequestUnitCosts", [&] { return RequestUnitCosts("K1", e); }, "/NET/UCost.php", c + "100300" + k + e},
      {"RequestUnitCostDelete", [&] { return RequestUnitCostDelete("K1", "C7", "G9"); }, "/NET/UCost.php",
       c + "100303" + k + "<U_CC>C7</U_CC><U_GC>G9</U_GC>"},
      {"RequestGoodByCode", [&] { return RequestGoodByCode("K1", e); }, "/NET/Good.php", "@" + c + "100102" + k + e},
      {"RequestGoodsMemo", [&] { return RequestGoodsMemo("K1", e); }, "/NET/GMemo.php", "@" + c + "100102" + k + e},
      {"RequestCarGroups", [&] { return RequestCarGroups("K1", e); }, "/NET/CarGroup.php",
       "@" + c + "100102" + k + e},
      {"RequestCarMakes", [&] { return RequestCarMakes("K1", e); }, "/NET/CarMake.php", "@" + c + "100102" + k + e},
      {"RequestCarPartNums", [&] { return RequestCarPartNums("K1", e); }, "/NET/CarPartNum.php",
       "@" + c + "100102" + k + e},
      {"RequestOrderList", [&] { return RequestOrderList("K1", " OH_CC = 'C7' AND OH_SG='0' " + e); },
       "/NET/Order.php", "@" + c + "100400" + k + " OH_CC = 'C7' AND OH_SG='0' " + e},
      {"RequestOrderSave", [&] { return RequestOrderSave("K1", e); }, "/NET/Order.php", "@" + c + "100401" + k + e},
      {"RequestOrderDelete", [&] { return RequestOrderDelete("K1", "O5"); }, "/NET/Order.php",
       "@" + c + "100403" + k + "<OH_CODE>O5</OH_CODE>"},
      {"RequestOrderOpen", [&] { return RequestOrderOpen("K1", "O5"); }, "/NET/Order.php",
       "@" + c + "100406" + k + "<OH_CODE>O5</OH_CODE>"},
      {"RequestOrderSample", [&] { return RequestOrderSample("K1", "O5", e); }, "/NET/Order.php",
       c + "100411" + k + "<OH_CODE>O5</OH_CODE>" + e},
      {"RequestOrderAuth", [&] { return RequestOrderAuth(e); }, "/NET/OrderAuth.php", "<COMMAND>100001</COMMAND>" + e},
  };
  ASSERT_EQ(ServiceCommands().size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].function);
    EXPECT_STREQ(ServiceCommands()[i].function, cases[i].function);
    EXPECT_EQ(FindServiceCommand(cases[i].function), &ServiceCommands()[i]);
    const std::string reply = cases[i].call();
    const std::int64_t n = dm_->RequestCounter;
    EXPECT_EQ(n, static_cast<std::int64_t>(i + 1));
    const std::string ci = TodayStamp() + "-" + std::to_string(n);
    std::string text = cases[i].text;
    const bool full = !text.empty() && text[0] == '@';
    if (full) text = MakeTag("CALL_INDEX", ci) + text.substr(1);
    const auto [path, sent] = Last();
    EXPECT_EQ(path, cases[i].path);
    EXPECT_EQ(sent, WrapPostData(text));
    // The reply comes back unchanged with the request's CALL_INDEX (empty when none was sent).
    EXPECT_EQ(reply, kOk + MakeTag("CALL_INDEX", full ? ci : ""));
  }
  EXPECT_EQ(FindServiceCommand("RequestNothing"), nullptr);
}

TEST_F(HcTest, BareSupplierCheckUsesOneWithoutSendingIt) {
  RequestMember(MakeTag("SAME_FIELD", "M_ID") + MakeTag("SAME_KEY", "shop-1"));
  EXPECT_EQ(dm_->RequestCounter, 1);
  EXPECT_EQ(TagValue("CALL_INDEX", Last().second), "");
  EXPECT_EQ(Last().second.find("CALL_INDEX"), std::string::npos);

  RequestCustomer("S00001", MakeTag("SAME_FIELD", "C_ID") + MakeTag("SAME_KEY", "buyer"));
  EXPECT_EQ(TagValue("CALL_INDEX", Last().second), TodayStamp() + "-2");
}

TEST_F(HcTest, FailedExchangeReturnsTheTransportTextAndStillCounts) {
  setenv("TARVIK_SERVER", ("127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort())).c_str(), 1);
  const std::string reply = RequestOrderOpen("S00001", "O1");
  EXPECT_EQ(reply, "Send_PostRequest Error" + MakeTag("CALL_INDEX", TodayStamp() + "-1"));
  EXPECT_EQ(RequestUnitCosts("S00001", ""), "Send_PostRequest Error<CALL_INDEX></CALL_INDEX>");
  EXPECT_EQ(dm_->RequestCounter, 2);
}

// The example request of the all-products command, byte for byte.
TEST(HcText, AllProductsRequestText) {
  const ServiceCommand* goods = FindServiceCommand("RequestGoods");
  ASSERT_NE(goods, nullptr);
  const std::string elements = MakeTag("C_CODE", "C00001") + MakeTag("LIKE_FIELD", "G_NAME") +
                               MakeTag("LIKE_KEY", "%") +
                               MakeTag("ORDERBY", "G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC");
  EXPECT_EQ(WrapPostData(BuildRequestText(*goods, "240131-3", "S00001", {}, elements)),
            "VALUE=<POST_DATA><CALL_INDEX>240131-3</CALL_INDEX><COMMAND>100106</COMMAND><DB_KEY>S00001</DB_KEY>"
            "<C_CODE>C00001</C_CODE><LIKE_FIELD>G_NAME</LIKE_FIELD><LIKE_KEY>%</LIKE_KEY>"
            "<ORDERBY>G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC</ORDERBY></POST_DATA>");
}

}  // namespace
}  // namespace tarvik
