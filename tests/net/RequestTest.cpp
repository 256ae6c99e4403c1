// The request functions and tarvik-call over the loopback server: the bytes, the endpoint, the request counter.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <functional>

#include "net/CallIndex.h"
#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "tests/net/WireParts.h"

namespace tarvik { namespace {

// The dates of the CALL_INDEX these tests expect cannot change at midnight.
const bool kTodayFixed = (FixToday(TodayStamp()), true);  // today at the start, as the test main does

TEST(RequestFunctions, EachSendsItsRowOfTheTableToItsEndpoint) {
  test::LoopbackServer server;
  const std::string ok = "<RESULT_CODE>1</RESULT_CODE>";
  server.SetReply(test::GzipReply(ok));
  const ServiceLink link{ParseServerAddress(server.Address())};
  using namespace protocol;
  struct Case {
    std::function<PostOutcome()> call;
    const Command& command;
    std::vector<std::string> extras;
  };
  const std::string e = "<X_A>1</X_A><X_B>2</X_B>";
  // Every command, in the table's order; each request raises the counter by one.
  const std::vector<Case> cases = {
      {[&] { return RequestMember(link, e); }, kMember, {}},
      {[&] { return RequestCustomer(link, "K1", e); }, kCustomer, {}},
      {[&] { return RequestCustomerPassword(link, "K1", "C7", e); }, kCustomerPassword, {"C7"}},
      {[&] { return RequestGoods(link, "K1", e); }, kGoods, {}},
      {[&] { return RequestUnitCosts(link, "K1", e); }, kUnitCosts, {}},
      {[&] { return RequestUnitCostDelete(link, "K1", "C7", "G9", e); }, kUnitCostDelete, {"C7", "G9"}},
      {[&] { return RequestGoodByCode(link, "K1", e); }, kGoodByCode, {}},
      {[&] { return RequestGoodsMemo(link, "K1", e); }, kGoodsMemo, {}},
      {[&] { return RequestCarGroups(link, "K1", e); }, kCarGroups, {}},
      {[&] { return RequestCarMakes(link, "K1", e); }, kCarMakes, {}},
      {[&] { return RequestCarPartNums(link, "K1", e); }, kCarPartNums, {}},
      {[&] { return RequestOrderList(link, "K1", e); }, kOrderList, {}},
      {[&] { return RequestOrderSave(link, "K1", e); }, kOrderSave, {}},
      {[&] { return RequestOrderDelete(link, "K1", "O5", e); }, kOrderDelete, {"O5"}},
      {[&] { return RequestOrderOpen(link, "K1", "O5", e); }, kOrderOpen, {"O5"}},
      {[&] { return RequestOrderSample(link, "K1", "O5", e); }, kOrderSample, {"O5"}},
      {[&] { return RequestOrderAuth(link, e); }, kOrderAuth, {}},
  };
  ASSERT_EQ(Commands().size(), cases.size());
  const std::int64_t before = RequestCounter();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Command& c = cases[i].command;
    SCOPED_TRACE(c.function);
    EXPECT_EQ(&c, Commands()[i]);
    const std::string reply = cases[i].call().reply;
    const std::int64_t number = before + static_cast<std::int64_t>(i) + 1;
    ASSERT_EQ(RequestCounter(), number);
    // The first (bare) request uses its number without sending it; the next sends the one after.
    const std::string ci = TodayStamp() + "-" + std::to_string(number);
    const test::WireRequest w = test::SplitRequest(server.LastRequest());
    EXPECT_EQ(w.lines.at(0), "POST " + EndpointPath(c) + " HTTP/1.1");
    EXPECT_EQ(w.text, WrapPostData(RequestText(c, ci, "K1", cases[i].extras, e)));
    // The reply comes back unchanged with the request's CALL_INDEX (empty when none was sent).
    EXPECT_EQ(reply, ok + MakeTag("CALL_INDEX", c.header == Header::Full ? ci : ""));
  }
  // The all-products example, byte for byte.
  const std::string goods = "<C_CODE>C00001</C_CODE><LIKE_FIELD>G_NAME</LIKE_FIELD><LIKE_KEY>%</LIKE_KEY>"
                            "<ORDERBY>G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC</ORDERBY>";
  RequestGoods(link, "S00001", goods);
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            "VALUE=<POST_DATA><CALL_INDEX>" + TodayStamp() + "-" + std::to_string(RequestCounter()) +
                "</CALL_INDEX><COMMAND>100106</COMMAND><DB_KEY>S00001</DB_KEY>" + goods + "</POST_DATA>");
}

#ifndef _WIN32  // tarvik-call is a tool of the Linux side, run through the shell
// tarvik-call with args through the shell, env "NAME=VALUE ...": exit code and stdout (stderr with errors).
std::pair<int, std::string> Call(const std::string& env, const std::string& args, bool errors = false) {
  const std::string cmd = env + " '" + TARVIK_CALL_BIN + "' " + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
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
  const std::string env = "TARVIK_SERVER=" + server.Address();
  server.SetReply(test::GzipReply("<RESULT_CODE>1</RESULT_CODE>"));

  EXPECT_EQ(Call(env, "RequestOrderSample 'ORDERH_DATA=<OH_CODE>O9</OH_CODE>' OH_CODE=O9 DB_KEY=S1 'X_NOTE=a b'"),
            std::make_pair(0, std::string("<RESULT_CODE>1</RESULT_CODE><CALL_INDEX></CALL_INDEX>\n")));
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            WrapPostData(protocol::RequestText(protocol::kOrderSample, "", "S1", {"O9"},
                                               "<ORDERH_DATA><OH_CODE>O9</OH_CODE></ORDERH_DATA><X_NOTE>a b</X_NOTE>")));

  // A full-header command numbers its first request 1; "=TEXT" goes in untagged.
  Call(env, "RequestOrderList DB_KEY=S1 \"= OH_CC = 'C1' AND OH_SG='0' \" ORDERBY=OH_SD");
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            WrapPostData(protocol::RequestText(protocol::kOrderList, TodayStamp() + "-1", "S1", {},
                                               " OH_CC = 'C1' AND OH_SG='0' <ORDERBY>OH_SD</ORDERBY>")));

  server.SetReply(test::GzipReply("<RESULT_CODE>0</RESULT_CODE>"));
  EXPECT_EQ(Call(env, "RequestMember SAME_FIELD=M_ID SAME_KEY=x").first, 1);
  EXPECT_EQ(Call(env, "RequestMember DB_KEY=S1").first, 2);  // a bare command takes no DB_KEY

  // The reply says only "Send_PostRequest Error"; standard error tells a refusal from a time-out.
  server.StallAfter(0);
  EXPECT_EQ(Call(env + " TARVIK_STALL_TIMEOUT=1", "RequestMember SAME_FIELD=M_ID SAME_KEY=x", true).second,
            "tarvik-call: no data for 1 seconds\n");
  const std::string closed = "TARVIK_SERVER=127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
  const auto [code, err] = Call(closed, "RequestMember SAME_FIELD=M_ID SAME_KEY=x", true);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(err.rfind("tarvik-call: Failed to connect to 127.0.0.1 port", 0), 0u) << err;
}

#endif

}}  // namespace tarvik
