// The two update passes against the real reference service on loopback.
#include <gtest/gtest.h>

#include <QFileInfo>

#include <cstdlib>
#include <memory>

#include "tests/support/LoopbackServer.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ServiceFixture.h"
#include "tests/update/UpdateSite.h"
#include "update/UpdatePasses.h"

namespace tarvik {
namespace {

using test::CrcOf;
using test::ReadFile;
using test::RecordingView;
using test::ScriptedPrompter;
using test::UpdateSite;
using test::WriteFile;

const std::string kFileError = "파일 다운로드 오류 입니다.";

bool Exists(const std::string& p) { return QFileInfo::exists(QString::fromStdString(p)); }

class UpdatePassesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    service_ = std::make_unique<test::ServiceProcess>(false, site.serverDir);
    ASSERT_TRUE(service_->Running());
  }

  int Check() {
    UpdatePasses p(site.CheckPlaces(), &checkView);
    p.Prepare();
    return p.CheckUpdate();
  }
  int Apply(std::string* message = nullptr) {
    UpdatePasses p(site.ApplyPlaces(), &applyView);
    p.Prepare();
    const int r = p.ApplyUpdate();
    if (message) *message = p.UpdateMessage;
    return r;
  }

  UpdateSite site;
  ScriptedPrompter prompter;
  RecordingView checkView, applyView;
  std::unique_ptr<test::ServiceProcess> service_;
};

TEST_F(UpdatePassesTest, CurrentProgramFetchesOnlyTheManifest) {
  WriteFile(site.programDir + "lib.so", "module 1");
  QDir().mkpath(QString::fromStdString(site.imageDir));
  WriteFile(site.imageDir + "logo.bmp", "logo 1");
  WriteFile(site.programDir + "unlisted.so", "mine");
  site.ServeModule("lib.so", "module 2 never fetched");
  const std::string manifest = UpdateSite::Sections(CrcOf("old program"),
                                                    "lib.so," + CrcOf("module 1") + "\r\n",
                                                    "logo.bmp," + CrcOf("logo 1") + "\r\n", "m");
  site.Manifest(manifest);

  EXPECT_EQ(Check(), 0);
  EXPECT_TRUE(prompter.prompts.empty());
  EXPECT_TRUE(checkView.Downloads().empty());
  EXPECT_EQ(checkView.statuses.front(), "업데이트 서버와 연결중 입니다.");
  EXPECT_TRUE(checkView.Saw("업데이트 정보를 확인중 입니다.."));
  EXPECT_EQ(site.WorkFiles(), std::vector<std::string>{"TKClienti.dat"});  // no copy
  EXPECT_EQ(ReadFile(site.workDir + "TKClienti.dat"), manifest);
  EXPECT_EQ(ReadFile(site.programDir + "lib.so"), "module 1");
  EXPECT_EQ(ReadFile(site.programDir + "unlisted.so"), "mine");
}

TEST_F(UpdatePassesTest, ChangedImagesAreFetchedCountingOnlyTheChangedOnes) {
  QDir().mkpath(QString::fromStdString(site.imageDir));
  std::string images;
  for (int i = 0; i < 10; ++i) {
    const std::string name = "img" + std::to_string(i) + ".bmp";
    const std::string data = "picture " + std::to_string(i) + std::string(20000, 'x');
    site.ServeImage(name, data);
    if (i != 3 && i != 7) WriteFile(site.imageDir + name, data);
    if (i == 7) WriteFile(site.imageDir + name, "stale");
    images += name + "," + CrcOf(data) + "\r\n";
  }
  site.Manifest(UpdateSite::Sections(CrcOf("old program"), "", images, ""));

  EXPECT_EQ(Check(), 0);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
  EXPECT_EQ(checkView.Downloads(), (std::vector<std::string>{"파일 다운로드중 입니다. ( 1 / 2 )",
                                                             "파일 다운로드중 입니다. ( 2 / 2 )"}));
  EXPECT_EQ(ReadFile(site.imageDir + "img3.bmp"), ReadFile(site.serverDir + "DATA/IMAGE/img3.bmp"));
  EXPECT_EQ(ReadFile(site.imageDir + "img7.bmp"), ReadFile(site.serverDir + "DATA/IMAGE/img7.bmp"));
  EXPECT_GT(checkView.progressReports, 0);
  EXPECT_EQ(checkView.lastMax, checkView.lastPosition);
  EXPECT_FALSE(checkView.barShown);  // hidden again after the list
  EXPECT_EQ(site.WorkFiles(), std::vector<std::string>{"TKClienti.dat"});
}

TEST_F(UpdatePassesTest, ChangedModuleWithCurrentProgramHandsOverAndFinishes) {
  WriteFile(site.programDir + "lib.so", "module 1");
  site.ServeModule("lib.so", "module 2");
  site.Manifest(UpdateSite::Sections(CrcOf("old program"), "lib.so," + CrcOf("module 2") + "\r\n",
                                     "", "Done^at^10/Restart"));

  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(ReadFile(site.programDir + "lib.so"), "module 2");
  EXPECT_EQ(ReadFile(site.workDir + site.exeName), "old program");  // the copy to run

  std::string message;
  EXPECT_EQ(Apply(&message), 2);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
  EXPECT_EQ(message, " Done^at^10/Restart");
  EXPECT_TRUE(applyView.Downloads().empty());  // program current, module already fetched
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), "old program");
}

TEST_F(UpdatePassesTest, ChangedProgramIsSwappedInWhole) {
  const std::string fresh = "new program " + std::string(100000, 'n');
  site.ServeModule(site.exeName, fresh);
  site.Manifest(UpdateSite::Sections(CrcOf(fresh), "", "", "새 버전"));
  const QString installed = QString::fromStdString(site.programDir + site.exeName);
  const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadGroup | QFileDevice::ExeGroup;
  ASSERT_TRUE(QFile::setPermissions(installed, perms));

  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(ReadFile(site.workDir + site.exeName), "old program");
  // A "NEW_" file left by a replacement that failed to swap is removed at the next start.
  WriteFile(site.workDir + "NEW_" + site.exeName, "left over");

  std::string message;
  EXPECT_EQ(Apply(&message), 2);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
  EXPECT_EQ(message, " 새 버전");
  EXPECT_EQ(applyView.Downloads(), std::vector<std::string>{"파일 다운로드중 입니다. ( 1 / 1 )"});
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), fresh);
  // Owner, group and other bits as before: still executable.
  EXPECT_EQ(QFile::permissions(installed) & 0x7077, perms & 0x7077);
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName));
  EXPECT_FALSE(Exists(site.workDir + "NEW_" + site.exeName));
}

TEST_F(UpdatePassesTest, FailedSwapKeepsTheOldProgramAndTheNextStartCleansUp) {
  const std::string fresh = "new program";
  site.ServeModule(site.exeName, fresh);
  site.Manifest(UpdateSite::Sections(CrcOf(fresh), "", "", "m"));
  EXPECT_EQ(Check(), 1);
  // What stands in the installed program's place cannot be replaced by a rename.
  const std::string installed = site.programDir + site.exeName;
  QFile::remove(QString::fromStdString(installed));
  QDir().mkpath(QString::fromStdString(installed + "/busy"));

  EXPECT_EQ(Apply(), 2);  // not reported; the finished run starts what is there
  EXPECT_TRUE(prompter.prompts.empty());
  EXPECT_EQ(ReadFile(site.programDir + "NEW_" + site.exeName), fresh);
  UpdatePasses next(site.CheckPlaces(), nullptr);
  next.Prepare();
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName));
}

TEST_F(UpdatePassesTest, ProgramWithWrongCrcIsRefusedAndTheOldOneKept) {
  site.ServeModule(site.exeName, "new program");
  site.Manifest(UpdateSite::Sections("12345", "", "", "m"));
  EXPECT_EQ(Check(), 1);

  EXPECT_EQ(Apply(), -1);
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.prompts[0].text, kFileError + "[ 2 ] ");
  EXPECT_EQ(prompter.prompts[0].caption, "WARNING[ 12345 ] [ " + CrcOf("new program") + " ] ");
  EXPECT_EQ(prompter.prompts[0].icon, PromptIcon::Warning);
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), "old program");
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName));
}

TEST_F(UpdatePassesTest, MissingVersionHandsOverEveryTimeAndEndsInTheWarning) {
  site.ServeModule(site.exeName, "old program");
  site.Manifest("<MODULE></MODULE><IMAGE></IMAGE><MESSAGE>m</MESSAGE>");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(Apply(), -1);
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.prompts[0].text, kFileError + "[ 2 ] ");
  EXPECT_EQ(prompter.prompts[0].caption, "WARNING[  ] [ " + CrcOf("old program") + " ] ");
}

TEST_F(UpdatePassesTest, BlankAfterTheCommaIsFetchedAtEveryStart) {
  WriteFile(site.programDir + "lib.so", "module");
  site.ServeModule("lib.so", "module");
  site.Manifest(UpdateSite::Sections(CrcOf("old program"), "lib.so, " + CrcOf("module") + "\r\n",
                                     "", ""));
  for (int run = 0; run < 2; ++run) {
    checkView.statuses.clear();
    EXPECT_EQ(Check(), 1);
    EXPECT_EQ(checkView.Downloads(), std::vector<std::string>{"파일 다운로드중 입니다. ( 1 / 1 )"});
  }
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(UpdatePassesTest, NamesThatLeaveTheirFolderAreRefused) {
  // Served under that very name, so only the client's own check can refuse it.
  site.ServeImage("a\\b.bmp", "picture");
  for (const std::string name : {"a\\b.bmp", "../escape.bmp", "sub/x.bmp", "..", "/tmp/abs.bmp"}) {
    prompter.Clear();
    site.Manifest(UpdateSite::Sections(CrcOf("old program"), "", name + ",1\r\n", ""));
    EXPECT_EQ(Check(), -1) << name;
    ASSERT_EQ(prompter.prompts.size(), 1u) << name;
    EXPECT_EQ(prompter.prompts[0].text, kFileError + "[ 4 ] ");
    EXPECT_EQ(prompter.prompts[0].caption, "ERROR");
  }
  EXPECT_FALSE(Exists(site.imageDir + "a\\b.bmp"));
  EXPECT_FALSE(Exists(site.programDir + "escape.bmp"));

  prompter.Clear();
  site.Manifest(UpdateSite::Sections(CrcOf("old program"), "../evil.so,1\r\n", "", ""));
  EXPECT_EQ(Check(), -1);  // the chosen result after a failed module fetch
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.prompts[0].text, kFileError + "[ 5 ] ");
  EXPECT_FALSE(Exists(site.root + "evil.so"));
}

// A server that answers 404 to everything (the update folder as good as empty).
TEST(UpdatePassesNotFound, MissingFilesStopThePassWithTheirMessage) {
  UpdateSite site;
  ScriptedPrompter prompter;
  RecordingView view;
  test::LoopbackServer server;
  server.SetReply("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
  ::setenv("TARVIK_SERVER", server.Address().c_str(), 1);
  auto apply = [&](const std::string& manifest) {
    QDir().mkpath(QString::fromStdString(site.workDir));
    WriteFile(site.workDir + site.exeName, "old program");
    WriteFile(site.workDir + "TKClienti.dat", manifest);  // left by the check pass
    UpdatePasses p(site.ApplyPlaces(), &view);
    p.Prepare();
    return p.ApplyUpdate();
  };
  UpdatePasses check(site.CheckPlaces(), &view);
  check.Prepare();
  EXPECT_EQ(check.CheckUpdate(), -1);
  EXPECT_EQ(apply(UpdateSite::Sections("1", "", "", "")), -1);
  EXPECT_EQ(apply(UpdateSite::Sections(CrcOf("old program"), "gone.so,1\r\n", "", "")), -1);
  ::unsetenv("TARVIK_SERVER");

  std::vector<std::string> texts;
  for (const auto& p : prompter.prompts) {
    texts.push_back(p.text);
    EXPECT_EQ(p.caption, "ERROR");
    EXPECT_EQ(p.icon, PromptIcon::Stop);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"업데이트 정보 확인 오류 입니다.", kFileError + "[ 1 ] ",
                                             kFileError + "[ 3 ] "}));
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName));
  EXPECT_FALSE(Exists(site.programDir + "gone.so"));
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), "old program");
}

TEST(UpdatePassesNoServer, BothPassesEndWhenTheServerCannotBeReached) {
  UpdateSite site;
  ScriptedPrompter prompter;
  RecordingView view;
  const std::string address = "127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
  ::setenv("TARVIK_SERVER", address.c_str(), 1);
  UpdatePasses check(site.CheckPlaces(), &view);
  check.Prepare();
  EXPECT_EQ(check.CheckUpdate(), -1);
  UpdatePasses apply(site.ApplyPlaces(), &view);
  apply.Prepare();
  EXPECT_EQ(apply.ApplyUpdate(), -1);
  ::unsetenv("TARVIK_SERVER");
  ASSERT_EQ(prompter.prompts.size(), 2u);
  for (const auto& p : prompter.prompts) {
    EXPECT_EQ(p.text, "업데이트 서버와 연결할수 없습니다.");
    EXPECT_EQ(p.caption, "접속 실패");
    EXPECT_EQ(p.icon, PromptIcon::Stop);
  }
  EXPECT_TRUE(site.WorkFiles().empty());
}

TEST(UpdateFileList, EntriesAreSplitAtCommasOutsideQuotes) {
  const auto list = ParseFileList("\r\na.dll,1\r\n\n\"b,c.dll\",22\r'd,e',3,x\nplain\r\nsp, 4\r\n");
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0].name, "a.dll");
  EXPECT_EQ(list[0].crc, "1");
  EXPECT_EQ(list[1].name, "\"b,c.dll\"");
  EXPECT_EQ(list[1].crc, "22");
  EXPECT_EQ(list[2].name, "'d,e'");
  EXPECT_EQ(list[2].crc, "3");
  EXPECT_EQ(list[3].name, "plain");
  EXPECT_FALSE(list[3].hasCrc);
  EXPECT_EQ(list[4].crc, " 4");
  EXPECT_EQ(UrlPathPart("a b#?%.bmp"), "a%20b%23%3F%25.bmp");
  EXPECT_EQ(UrlPathPart("로고.bmp"), "%EB%A1%9C%EA%B3%A0.bmp");
}

}  // namespace
}  // namespace tarvik
