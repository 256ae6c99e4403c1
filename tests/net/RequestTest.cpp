// The request functions and tarvik-call over the loopback server: what each
// puts on the wire, where it posts it, and how the request counter moves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "net/CallIndex.h"
#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "tests/net/WireParts.h"

namespace tarvik { namespace {

// The dates of the CALL_INDEX these tests expect cannot change at midnight.
const bool kTodayFixed = (FixToday("261207"), true);

TEST(RequestFunctions, EachSendsItsHeaderExtrasAndElementsToItsEndpoint) {
  test::LoopbackServer server;
  const std::string ok = "<RESULT_CODE>1</RESULT_CODE>";
  server.SetReply(test::GzipReply(ok));
  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  struct Case {
    std::function<std::string()> call;
    const char* path;
    std::string text;  // "@" stands for the CALL_INDEX element
  };

  const std::string e = "<X_A>1</X_A><X_B>2</X_B>", c = "<COMMAND>", k = "</COMMAND><DB_KEY>K1</DB_KEY>";
  const std::string goods = "<C_CODE>C00001</C_CODE><LIKE_FIELD>G_NAME</LIKE_FIELD><LIKE_KEY>%</LIKE_KEY>"
                            "<ORDERBY>G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC</ORDERBY>";
  const std::string where = " OH_CC = 'C7' AND OH_SG='0' ";
  // Every command, in the order of ServiceCommands(); each request raises the counter by one.
  const std::vector<Case> cases = {
      {[&] { return RequestMember(e); }, "/NET/KorvanMember.php", c + "100000</COMMAND>" + e},
      {[&] { return RequestCustomer("K1", e); }, "/NET/Customer.php", "@" + c + "100200" + k + e},
      {[&] { return RequestCustomerPassword("K1", "C7", e); }, "/NET/Customer.php",
       "@" + c + "100202" + k + "<C_CODE>C7</C_CODE>" + e},
      // The all-products example, byte for byte.
      {[&] { return RequestGoods("S00001", goods); }, "/NET/Good.php",
       "@<COMMAND>100106</COMMAND><DB_KEY>S00001</DB_KEY>" + goods},
      {[&] { return RequestUnitCosts("K1", e); }, "/NET/UCost.php", c + "100300" + k + e},
      {[&] { return RequestUnitCostDelete("K1", "C7", "G9"); }, "/NET/UCost.php",
       c + "100303" + k + "<U_CC>C7</U_CC><U_GC>G9</U_GC>"},
      {[&] { return RequestGoodByCode("K1", e); }, "/NET/Good.php", "@" + c + "100102" + k + e},
      {[&] { return RequestGoodsMemo("K1", e); }, "/NET/GMemo.php", "@" + c + "100102" + k + e},
      {[&] { return RequestCarGroups("K1", e); }, "/NET/CarGroup.php", "@" + c + "100102" + k + e},
      {[&] { return RequestCarMakes("K1", e); }, "/NET/CarMake.php", "@" + c + "100102" + k + e},
      {[&] { return RequestCarPartNums("K1", e); }, "/NET/CarPartNum.php", "@" + c + "100102" + k + e},
      {[&] { return RequestOrderList("K1", where + e); }, "/NET/Order.php", "@" + c + "100400" + k + where + e},
      {[&] { return RequestOrderSave("K1", e); }, "/NET/Order.php", "@" + c + "100401" + k + e},
      {[&] { return RequestOrderDelete("K1", "O5"); }, "/NET/Order.php", "@" + c + "100403" + k + "<OH_CODE>O5</OH_CODE>"},
      {[&] { return RequestOrderOpen("K1", "O5"); }, "/NET/Order.php", "@" + c + "100406" + k + "<OH_CODE>O5</OH_CODE>"},
      {[&] { return RequestOrderSample("K1", "O5", e); }, "/NET/Order.php",
       c + "100411" + k + "<OH_CODE>O5</OH_CODE>" + e},
      {[&] { return RequestOrderAuth(e); }, "/NET/OrderAuth.php", c + "100001</COMMAND>" + e},
  };
  ASSERT_EQ(ServiceCommands().size(), cases.size());
  const std::int64_t before = RequestCounter();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].text);
    const std::string reply = cases[i].call();
    const std::int64_t number = before + static_cast<std::int64_t>(i) + 1;
    ASSERT_EQ(RequestCounter(), number);
    // The first (bare) request uses its number without sending it; the next sends the one after.
    const std::string ci = TodayStamp() + "-" + std::to_string(number), text = cases[i].text;
    const bool full = text[0] == '@';
    const test::WireRequest w = test::SplitRequest(server.LastRequest());
    EXPECT_EQ(w.lines.at(0), std::string("POST ") + cases[i].path + " HTTP/1.1");
    EXPECT_EQ(w.text, WrapPostData(full ? MakeTag("CALL_INDEX", ci) + text.substr(1) : text));
    // The reply comes back unchanged with the request's CALL_INDEX (empty when none was sent).
    EXPECT_EQ(reply, ok + MakeTag("CALL_INDEX", full ? ci : ""));
  }
  setenv("TARVIK_SERVER", "", 1);
}

// Runs tarvik-call with args (passed through the shell); exit code and
// standard output, or standard error with errors.
std::pair<int, std::string> Call(const std::string& args, bool errors = false) {
  const std::string cmd = std::string("'") + TARVIK_CALL_BIN + "' " + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {-1, out};
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(TarvikCall, PairsBecomeDbKeyExtrasAndElementsInOrder) {
  test::LoopbackServer server;
  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  server.SetReply(test::GzipReply("<RESULT_CODE>1</RESULT_CODE>"));

  EXPECT_EQ(Call("RequestOrderSample 'ORDERH_DATA=<OH_CODE>O9</OH_CODE>' OH_CODE=O9 DB_KEY=S1 'X_NOTE=a b'"),
            std::make_pair(0, std::string("<RESULT_CODE>1</RESULT_CODE><CALL_INDEX></CALL_INDEX>\n")));
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            "VALUE=<POST_DATA><COMMAND>100411</COMMAND><DB_KEY>S1</DB_KEY><OH_CODE>O9</OH_CODE>"
            "<ORDERH_DATA><OH_CODE>O9</OH_CODE></ORDERH_DATA><X_NOTE>a b</X_NOTE></POST_DATA>");

  // A full-header command numbers its first request 1; "=TEXT" goes in untagged.
  Call("RequestOrderList DB_KEY=S1 \"= OH_CC = 'C1' AND OH_SG='0' \" ORDERBY=OH_SD");
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            "VALUE=<POST_DATA><CALL_INDEX>" + TodayStamp() +
                "-1</CALL_INDEX><COMMAND>100400</COMMAND><DB_KEY>S1</DB_KEY> OH_CC = 'C1' AND OH_SG='0' "
                "<ORDERBY>OH_SD</ORDERBY></POST_DATA>");

  server.SetReply(test::GzipReply("<RESULT_CODE>0</RESULT_CODE>"));
  EXPECT_EQ(Call("RequestMember SAME_FIELD=M_ID SAME_KEY=x").first, 1);
  EXPECT_EQ(Call("RequestMember DB_KEY=S1").first, 2);  // a bare command takes no DB_KEY

  // TransportFailuresAreExplainedOnStandardError: the reply says only
  // "Send_PostRequest Error"; standard error tells a refusal from a time-out.
  server.StallAfter(0);
  setenv("TARVIK_STALL_TIMEOUT", "1", 1);
  EXPECT_EQ(Call("RequestMember SAME_FIELD=M_ID SAME_KEY=x", true).second,
            "tarvik-call: no data for 1 seconds\n");
  setenv("TARVIK_SERVER", ("127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort())).c_str(), 1);
  const auto [code, err] = Call("RequestMember SAME_FIELD=M_ID SAME_KEY=x", true);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(err.rfind("tarvik-call: Failed to connect to 127.0.0.1 port", 0), 0u) << err;
  unsetenv("TARVIK_STALL_TIMEOUT");
  setenv("TARVIK_SERVER", "", 1);
}

// A save whose reply never came may have been stored; one that never left
// whole cannot have been. The caller learns which, and the bytes on the wire
// are the same either way. A refused connection, a stall and a reply cut
// short are the transport's table (HttpClientTest.cpp, HttpClientFailure).
TEST(RequestFunctions, DeliveryTellsARequestThatLeftFromOneThatDidNot) {
  test::LoopbackServer server;
  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  const std::string body = "<ORDERH_DATA><OH_CODE></OH_CODE></ORDERH_DATA>";
  const std::string noGzip = test::LoopbackServer::HttpReply(
      {"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"}, "not gzip");
  struct Case {
    const char* what;
    std::string reply;
    Delivery expected;
  } cases[] = {
      {"stored", test::GzipReply("<RESULT_CODE>1</RESULT_CODE>"), Delivery::Replied},
      {"refused by the service", test::GzipReply("<RESULT_CODE>0</RESULT_CODE>"), Delivery::Replied},
      {"closed without a reply", "", Delivery::Unknown},
      {"reply that is no gzip", noGzip, Delivery::Unknown},
  };
  std::vector<std::string> texts;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    server.SetReply(c.reply);
    const std::size_t before = server.Requests().size();
    Delivery d = Delivery::NotSent;
    RequestOrderSave("S1", body, &d);
    EXPECT_EQ(d, c.expected);
    ASSERT_EQ(server.Requests().size(), before + 1);
    std::string text = test::SplitRequest(server.Requests().back()).text;
    text.erase(text.find("<CALL_INDEX>"), text.find("</CALL_INDEX>") + 13 - text.find("<CALL_INDEX>"));
    texts.push_back(text);
  }
  for (const std::string& t : texts) EXPECT_EQ(t, texts.front());
  setenv("TARVIK_SERVER", "", 1);
}

}}  // namespace tarvik
