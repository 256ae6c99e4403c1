// Note lines from a reply, and a note request that cannot reach the service.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>

#include "catalog/ProductNote.h"
#include "net/CallIndex.h"
#include "wire/MessageFormat.h"
#include "platform/QtText.h"
#include "session/Session.h"
#include "tests/support/Environment.h"
#include "tests/net/WireParts.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

std::string NoteReply(int n) {
  std::string records;
  for (int i = 0; i < n; ++i)
    records += MakeTag("RDC_" + std::to_string(i), MakeTag("GM_NO", std::to_string(i + 1)) +
                                                       MakeTag("GM_NOTE", "line " + std::to_string(i)));
  return MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(n)) + records;
}

TEST(NoteLines, EmptiedThenFilledAndCappedAtTwenty) {
  NoteLines lines;
  FillNoteLines(lines, NoteReply(25), 25);
  EXPECT_EQ(lines[0], "line 0");
  EXPECT_EQ(lines[19], "line 19");
  FillNoteLines(lines, NoteReply(3), 3);  // lines of the longer note do not stay
  EXPECT_EQ(lines[2], "line 2");
  EXPECT_TRUE(lines[3].empty());
  EXPECT_TRUE(lines[19].empty());
  FillNoteLines(lines, NoteReply(3), -1);
  EXPECT_TRUE(lines[0].empty());
}

// The note of a product (F1 on the main screen or in the category browser)
// and the notices ask with the code as a bare GM_GC element, in line order.
TEST(LoadProductNote, SendsTheCodeAsItsOwnElementThenTheLineOrder) {
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  dm.MasterInfo.M_CODE = "S00001";
  test::ScriptedPrompter prompter;
  test::LoopbackServer server;
  server.SetReply(test::GzipReply(NoteReply(3)));
  setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  for (const char* code : {"P00042", "999999"}) {
    EXPECT_EQ(LoadProductNote(dm, code, true), 3) << code;
    const test::WireRequest w = test::SplitRequest(server.LastRequest());
    EXPECT_EQ(w.lines.at(0), "POST /NET/GMemo.php HTTP/1.1");
    EXPECT_EQ(w.text, "VALUE=<POST_DATA><CALL_INDEX>" + TodayStamp() + "-" + std::to_string(RequestCounter()) +
                          "</CALL_INDEX><COMMAND>100102</COMMAND><DB_KEY>S00001</DB_KEY><GM_GC>" + code +
                          "</GM_GC><ORDERBY>GM_NO ASC</ORDERBY></POST_DATA>");
  }
  unsetenv("TARVIK_SERVER");
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST(LoadProductNote, UnreachableServiceIsAReadError) {
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  dm.Catalogue.MemoReply = "old";
  test::ScriptedPrompter prompter;
  setenv("TARVIK_SERVER", "127.0.0.1:1", 1);  // nothing listens there
  EXPECT_EQ(LoadProductNote(dm, "P00001", true), -1);
  unsetenv("TARVIK_SERVER");
  EXPECT_EQ(prompter.Last(), "전체 읽기 오류입니다\r\r다시 시도하십시요.");
  EXPECT_TRUE(dm.Catalogue.MemoReply.empty());
}

}  // namespace
}  // namespace tarvik
