// Note lines from a reply, and a note request that cannot reach the service.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>

#include "catalog/ProductNote.h"
#include "net/MessageFormat.h"
#include "platform/QtText.h"
#include "session/UDM.h"
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

TEST(LoadProductNote, UnreachableServiceIsAReadError) {
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  dm.MemoReply = "old";
  test::ScriptedPrompter prompter;
  setenv("TARVIK_SERVER", "127.0.0.1:1", 1);  // nothing listens there
  EXPECT_EQ(LoadProductNote(dm, "P00001", true), -1);
  unsetenv("TARVIK_SERVER");
  EXPECT_EQ(prompter.Last(), "전체 읽기 오류입니다\r\r다시 시도하십시요.");
  EXPECT_TRUE(dm.MemoReply.empty());
}

}  // namespace
}  // namespace tarvik
