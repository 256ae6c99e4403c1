// A disk that fills up while a file is written: the old file stays, a cut one is never taken as whole.
#include <QDir>
#include <QTemporaryDir>

#include "order/BasketJournal.h"
#include "order/OrderPrint.h"
#include "platform/Printer.h"
#include "tests/order/DeskFixture.h"
#include "tests/support/Files.h"
#include "tests/support/FullDisk.h"
#include "update/UrlDownload.h"

namespace tarvik {
namespace {

constexpr rlim_t kRoomLeft = 4096;  // below what the new file needs

using FullDiskJournal = test::DeskTest;

TEST_F(FullDiskJournal, KeptWhenTheDiskIsFull) {
  desk.StartJournal(Folder());
  for (int i = 0; i < 40; ++i) desk.Draft().AddLine("G" + std::to_string(i), "캠 샤프트", "EA", "1", "");
  const std::string before = test::ReadFile(desk.Journal()->Path());
  ASSERT_GT(before.size(), kRoomLeft);
  {
    test::FullDisk full(kRoomLeft);
    desk.Draft().SetNote("빠른 배송");
  }
  EXPECT_EQ(test::ReadFile(desk.Journal()->Path()), before);
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.Last().rfind("작성중인 발주 내용을 임시 저장하지 못했습니다.", 0), 0u) << prompter.Last();
}

// Regression: without a printer, on a full disk, a PDF cut short was said to be saved.
TEST(FullDisk, APdfCutShortByAFullDiskWasSaidToBeSaved) {
  test::ScriptedPrompter prompter;
  SystemPrinter printer;
  OrderDraft d;
  for (int i = 0; i < 60; ++i) d.AddLine("G" + std::to_string(i), "브레이크 패드 세트", "EA", "2", "");
  QDir(Q(PdfFolder())).removeRecursively();
  {
    test::FullDisk full(kRoomLeft);
    EXPECT_EQ(PrintOrderList(d, "타르빅", printer, prompter), 0);
  }
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.Last().rfind("발주리스트를 인쇄하지 못했습니다.\r\rPDF 파일을 저장하지 못했습니다.", 0), 0u)
      << prompter.Last();
  EXPECT_TRUE(QDir(Q(PdfFolder())).entryList(QDir::Files | QDir::Hidden).isEmpty());
  EXPECT_EQ(PrintOrderList(d, "타르빅", printer, prompter), 2);  // room again: saved whole
  EXPECT_EQ(prompter.Last().rfind("설치된 프린터가 없어 발주리스트를 PDF 파일로 저장했습니다.", 0), 0u);
}

TEST(FullDisk, DownloadCutShortByAFullDiskIsNotInstalled) {
  test::LoopbackServer server;
  server.SetReply(test::LoopbackServer::HttpReply({}, std::string(3 * kRoomLeft, 'x')));
  QTemporaryDir dir;
  const std::string path = S(dir.path()) + "/TKClient";
  test::WriteFile(path, "old program");
  TUrlDownload d;
  d.Url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/update/DATA/TKClient";
  {
    test::FullDisk full(kRoomLeft);
    EXPECT_FALSE(d.Download(path));
  }
  EXPECT_FALSE(d.ErrorText.empty());
  EXPECT_EQ(test::ReadFile(path), "old program");
}

}  // namespace
}  // namespace tarvik
