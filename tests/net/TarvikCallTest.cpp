// tarvik-call as a user runs it, against the loopback server.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "app/UDM.h"
#include "tests/net/WireParts.h"

namespace tarvik {
namespace {

// Runs tarvik-call with args (passed through the shell); exit code and output.
std::pair<int, std::string> Call(const std::string& args) {
  const std::string cmd = std::string("'") + TARVIK_CALL_BIN + "' " + args + " 2>/dev/null";
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
  setenv("TARVIK_SERVER", "", 1);
}

}  // namespace
}  // namespace tarvik
