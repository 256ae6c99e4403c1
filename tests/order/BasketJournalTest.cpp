// The basket journal's file, and the desk keeping it at every change and dropping it when done.
#include <QDir>
#include <QFile>

#include "order/BasketJournal.h"
#include "platform/Folders.h"
#include "tests/order/DeskFixture.h"
#include "tests/support/Files.h"

namespace tarvik::test {
namespace {

// Everything a draft holds, with texts a journal must not bend: Korean, end blanks, separators.
OrderDraft FullDraft() {
  OrderDraft d;
  d.AddLine("P00002", "피스톤 링 <표준>", "EA", "3", "");
  d.AddLine("P00010", "캠 샤프트", "SET", "1,200", "급함  ");
  d.AddDirectLine("수동 전구", "EA", "2.5", " 확인 ");
  d.AddLine("P00011", "", "", "-1", "");
  d.Select(2);
  d.SetOpened("K00001", "240131", "0930", "X", 3);
  d.SetDeliveryDate("240215");
  d.SetNote("  빠른 배송 \"부탁\" \\ ");
  d.SetBeingWritten(true);
  d.SetUnsure({"<ORDERH_DATA><OH_CODE></OH_CODE></ORDERH_DATA>", "2024-01-31T09:31:07"});
  return d;
}

// Every field of a draft, for comparing two.
std::string Dump(const OrderDraft& d) {
  std::string s = std::to_string(d.LineCount()) + "|" + std::to_string(d.Selected());
  for (int r = 0; r < kMaxDraftLines; ++r)
    for (int c : {kDColLineNo, kDColName, kDColBox, kDColQuantity, kDColNote, kDColCode}) s += "|" + d.Line(r).Cell(c);
  return s + "|" + d.OpenedCode + "|" + d.OpenedDate + "|" + d.OpenedTime + "|" + d.OpenedStatus + "|" +
         std::to_string(d.SendCount) + "|" + d.DeliveryDate + "|" + d.Note + "|" + (d.BeingWritten ? "W" : "") +
         "|" + d.Unsure.body + "|" + d.Unsure.at;
}

class Journal : public ::testing::Test {
 protected:
  std::string Folder() const { return S(dir.path()) + "/baskets"; }
  QTemporaryDir dir;
  BasketJournal journal{Folder(), "S00001", "C00001"};
};

TEST_F(Journal, KeepsEveryFieldOfTheDraftExactlyInAFileOfItsOwn) {
  const OrderDraft full = FullDraft();
  ASSERT_TRUE(journal.Save(full));
  EXPECT_EQ(journal.Path(), Folder() + "/basket-S00001-C00001.json");
  OrderDraft back;
  back.AddLine("OLD", "left over", "EA", "1", "");
  std::string saved;
  ASSERT_EQ(journal.Read(back, &saved), BasketJournal::ReadResult::Read);
  EXPECT_EQ(Dump(back), Dump(full));
  EXPECT_EQ(saved.size(), 19u);  // yyyy-MM-ddTHH:mm:ss

  OrderDraft many;
  for (int i = 0; i < kMaxDraftLines; ++i) many.AddLine("G" + std::to_string(i), "이름", "EA", "1", "비고");
  ASSERT_TRUE(journal.Save(many));
  ASSERT_EQ(journal.Read(back), BasketJournal::ReadResult::Read);
  EXPECT_EQ(Dump(back), Dump(many));

  // Each supplier and orderer has a file of its own, and reads no other's.
  const BasketJournal other(Folder(), "S00001", "C00002"), odd(Folder(), "S/0.1", "C 한");
  EXPECT_EQ(odd.Path(), Folder() + "/basket-S%2F0%2E1-C%20%ED%95%9C.json");
  EXPECT_NE(other.Path(), journal.Path());
  EXPECT_EQ(other.Read(back), BasketJournal::ReadResult::Missing);
  WriteFile(other.Path(), ReadFile(journal.Path()));
  EXPECT_EQ(other.Read(back), BasketJournal::ReadResult::Unreadable);

  EXPECT_TRUE(journal.Remove());
  EXPECT_FALSE(journal.Exists());
  EXPECT_EQ(journal.Read(back), BasketJournal::ReadResult::Missing);
  EXPECT_TRUE(journal.Remove());  // nothing left is fine
}

TEST_F(Journal, WhatIsNotAJournalIsUnreadableAndSetAsideWhole) {
  ASSERT_TRUE(journal.Save(FullDraft()));
  const std::string good = ReadFile(journal.Path());
  auto replaced = [&](const std::string& from, const std::string& to) { return Replaced(good, from, to); };
  std::string hundredLines = "[";
  for (int i = 0; i < 100; ++i) hundredLines += std::string(i ? "," : "") + "{\"code\":\"G\"}";
  hundredLines += "]";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"cut short", good.substr(0, good.size() / 2)},
      {"not an object", "[1,2]"},
      {"another format", replaced("tarvik-basket", "something")},
      {"a newer version", replaced("\"version\": 1", "\"version\": 2")},
      {"another supplier", replaced("\"S00001\"", "\"S00002\"")},
      {"a line without a code", replaced("\"P00010\"", "\"\"")},
      {"a hundred lines", replaced(good.substr(good.find("\"lines\": ["), good.find("]", good.find("\"lines\": [")) -
                                                                             good.find("\"lines\": [") + 1),
                                   "\"lines\": " + hundredLines)},
      {"a send count beyond 16 bits", replaced("\"sendCount\": 3", "\"sendCount\": 40000")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(journal.Path(), c.bytes);
    OrderDraft d;
    d.AddLine("KEEP", "kept", "EA", "1", "");
    EXPECT_EQ(journal.Read(d), BasketJournal::ReadResult::Unreadable);
    EXPECT_EQ(d.Line(0).GoodsCode, "KEEP");
    const std::string aside = journal.SetAside();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(aside.rfind(journal.Path() + ".unreadable-", 0), 0u) << aside;
    EXPECT_FALSE(journal.Exists());
    EXPECT_EQ(ReadFile(aside), c.bytes);
  }
  // Set aside within one second: every one kept under its own name.
  EXPECT_EQ(QDir(QString::fromStdString(Folder())).entryList(QDir::Files).size(), std::size(cases));
}

// The desk with a journal below a temporary folder.
class DeskJournal : public DeskTest {
 protected:
  BasketJournal journal{Folder(), "S00001", "C00001"};
};

TEST_F(DeskJournal, EveryChangeIsWrittenAndAnEmptiedBasketLeavesNoFile) {
  desk.StartJournal(Folder());
  EXPECT_FALSE(journal.Exists());
  OrderDraft& d = desk.Draft();
  OrderDraft seen;
  auto journaled = [&] {
    seen = OrderDraft();
    return journal.Read(seen) == BasketJournal::ReadResult::Read;
  };
  d.AddLine("P1", "이름", "EA", "2", "");
  ASSERT_TRUE(journaled());
  EXPECT_EQ(seen.LineCount(), 1);
  d.SetNote("N");
  d.AddDirectLine("손", "EA", "1", "");
  ASSERT_TRUE(journaled());
  EXPECT_EQ(Dump(seen), Dump(d));

  desk.ClearDraft();  // as a sent, deleted or registered order ends
  EXPECT_FALSE(journal.Exists());
  d.SetNote("only a note");
  EXPECT_TRUE(journal.Exists());
  d.SetNote("");
  EXPECT_FALSE(journal.Exists());

  d.AddLine("P1", "이름", "EA", "2", "");
  prompter.answers = {true};
  EXPECT_TRUE(desk.ClearScreen());  // F9, after its question
  EXPECT_FALSE(journal.Exists());

  d.AddLine("P1", "이름", "EA", "2", "");
  prompter.answers = {false};
  EXPECT_FALSE(desk.ConfirmExit());  // Esc, and No: the basket stays, so does its file
  EXPECT_TRUE(journal.Exists());
  prompter.answers = {true};
  EXPECT_TRUE(desk.ConfirmExit());
  EXPECT_FALSE(journal.Exists());
  d.AddLine("P2", "n", "EA", "1", "");  // the screen closing is no change to keep
  EXPECT_FALSE(journal.Exists());
  EXPECT_TRUE(prompter.answers.empty());
}

TEST_F(DeskJournal, AnUnreadableJournalIsSetAsideAndTheOrdererTold) {
  QDir().mkpath(QString::fromStdString(Folder()));
  WriteFile(journal.Path(), "{ torn");
  desk.StartJournal(Folder());
  ASSERT_EQ(prompter.prompts.size(), 1u);
  const std::string lead = "저장해 둔 발주 내용을 읽을 수 없습니다.\r\r파일을 다음 이름으로 옮겨 두었습니다.\r\r";
  ASSERT_EQ(prompter.Last().rfind(lead, 0), 0u) << prompter.Last();
  EXPECT_EQ(ReadFile(prompter.Last().substr(lead.size())), "{ torn");
  EXPECT_TRUE(desk.Draft().IsBlank());
  desk.Draft().AddLine("P1", "n", "EA", "1", "");  // a new basket gets a new journal
  EXPECT_TRUE(journal.Exists());
}

TEST_F(DeskJournal, AFailedWriteIsToldOnceUntilOneSucceeds) {
  WriteFile(Folder(), "a file where the folder should be");
  desk.StartJournal(Folder());
  OrderDraft& d = desk.Draft();
  d.AddLine("P1", "n", "EA", "1", "");
  d.SetNote("N");
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.Last(), "작성중인 발주 내용을 임시 저장하지 못했습니다.\r\r" + ShownPath(journal.Path()) +
                                 "\r\r디스크 공간과 폴더의 쓰기 권한을 확인하십시요.");
  QFile::remove(QString::fromStdString(Folder()));
  d.SetNote("NN");
  EXPECT_TRUE(journal.Exists());
  QFile::remove(QString::fromStdString(journal.Path()));
  QDir().rmdir(QString::fromStdString(Folder()));
  WriteFile(Folder(), "again");
  d.SetNote("NNN");
  EXPECT_EQ(prompter.prompts.size(), 2u);
}

}  // namespace
}  // namespace tarvik::test
