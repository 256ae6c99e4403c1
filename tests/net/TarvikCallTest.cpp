// tarvik-call as a user runs it, against the loopback server.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "app/UDM.h"
#include "net/Gzip.h"
#include "net/MessageFormat.h"
#include "tests/net/WireParts.h"
#include "tests/support/LoopbackServer.h"

namespace tarvik {
namespace {

using test::LoopbackServer;

struct CallResult {
  int exitCode = -1;
  std::string out;
};

// args are passed through the shell in single quotes (no quote inside).
CallResult Call(const std::string& args) {
  CallResult r;
  const std::string cmd = std::string("'") + TARVIK_CALL_BIN + "' " + args + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string GzipReply(const std::string& text) {
  return LoopbackServer::HttpReply({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"},
                                   GzipCompress(text));
}

TEST(TarvikCall, PairsBecomeDbKeyExtrasAndElementsInOrder) {
  LoopbackServer server;
  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  server.SetReply(GzipReply("<RESULT_CODE>1</RESULT_CODE>"));

  const CallResult r = Call("RequestOrderSample 'ORDERH_DATA=<OH_CODE>O9</OH_CODE>' OH_CODE=O9 DB_KEY=S1 'X_NOTE=a b'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "<RESULT_CODE>1</RESULT_CODE><CALL_INDEX></CALL_INDEX>\n");
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            "VALUE=<POST_DATA><COMMAND>100411</COMMAND><DB_KEY>S1</DB_KEY><OH_CODE>O9</OH_CODE>"
            "<ORDERH_DATA><OH_CODE>O9</OH_CODE></ORDERH_DATA><X_NOTE>a b</X_NOTE></POST_DATA>");

  // A full-header command numbers its first request 1; "=TEXT" goes in untagged.
  Call("RequestOrderList DB_KEY=S1 \"= OH_CC = 'C1' AND OH_SG='0' \" ORDERBY=OH_SD");
  EXPECT_EQ(test::SplitRequest(server.LastRequest()).text,
            "VALUE=<POST_DATA><CALL_INDEX>" + TodayStamp() +
                "-1</CALL_INDEX><COMMAND>100400</COMMAND><DB_KEY>S1</DB_KEY> OH_CC = 'C1' AND OH_SG='0' "
                "<ORDERBY>OH_SD</ORDERBY></POST_DATA>");

  server.SetReply(GzipReply("<RESULT_CODE>0</RESULT_CODE>"));
  EXPECT_EQ(Call("RequestMember SAME_FIELD=M_ID SAME_KEY=x").exitCode, 1);
  setenv("TARVIK_SERVER", "", 1);
}

TEST(TarvikCall, BadArgumentsGiveUsageWithoutSending) {
  LoopbackServer server;
  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  for (const char* args : {"", "RequestNothing", "RequestGoods novalue", "RequestGoods lower=1",
                           "RequestMember DB_KEY=S1"}) {
    SCOPED_TRACE(args);
    const CallResult r = Call(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(server.Requests().empty());
  setenv("TARVIK_SERVER", "", 1);
}

}  // namespace
}  // namespace tarvik
