// The two update passes and the start-up screen against the real reference
// service on loopback.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>

#include "tests/support/LoopbackServer.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSeams.h"
#include "tests/support/ServiceFixture.h"
#include "tests/update/UpdateSite.h"
#include "update/Splash.h"

namespace tarvik { namespace {

using test::CrcOf;
using test::ReadFile;
using test::WriteFile;
using Strings = std::vector<std::string>;

const std::string kFileError = "파일 다운로드 오류 입니다.";
const std::string kOld = CrcOf("old program");
bool Exists(const std::string& p) { return QFileInfo::exists(QString::fromStdString(p)); }

int RunPass(const UpdatePlaces& places, const Seams& seams, test::RecordingView* view,
            std::string* message = nullptr) {
  UpdatePasses p(places, seams, view);
  p.Prepare();
  const int r = places.TargetDir.empty() ? p.CheckUpdate() : p.ApplyUpdate();
  if (message) *message = p.UpdateMessage;
  return r;
}

class UpdatePassesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(service_.Running()); }
  int Check() { return RunPass(site.CheckPlaces(), seams, &checkView); }
  int Apply(std::string* message = nullptr) { return RunPass(site.ApplyPlaces(), seams, &applyView, message); }
  test::UpdateSite site;
  test::ScriptedPrompter prompter;
  test::RecordingView checkView, applyView;
  test::ServiceProcess service_{false, site.serverDir};
  const Seams seams = test::TestSeams(prompter, service_.Address());
};

TEST_F(UpdatePassesTest, CurrentProgramFetchesOnlyTheManifestAndChangedImagesCountingOnlyThose) {
  WriteFile(site.programDir + "lib.so", "module 1");
  WriteFile(site.programDir + "unlisted.so", "mine");
  site.Serve("lib.so", "module 2 never fetched");
  std::string images;
  for (int i = 0; i < 10; ++i) {
    const std::string name = "img" + std::to_string(i) + ".bmp", data = "picture " + name + std::string(20000, 'x');
    site.Serve("IMAGE/" + name, data);
    if (i != 3) WriteFile(site.imageDir + name, i == 7 ? "stale" : data);  // 3 missing, 7 stale
    images += name + "," + CrcOf(data) + "\r\n";
  }
  site.Manifest(kOld, "lib.so," + CrcOf("module 1") + "\r\n", images);

  EXPECT_EQ(Check(), 0);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
  EXPECT_EQ(checkView.statuses, (Strings{"업데이트 서버와 연결중 입니다.", "업데이트 정보를 확인중 입니다..",
                                         "파일 다운로드중 입니다. ( 1 / 2 )", "파일 다운로드중 입니다. ( 2 / 2 )"}));
  for (const char* name : {"img3.bmp", "img7.bmp"})
    EXPECT_EQ(ReadFile(site.imageDir + name), ReadFile(site.serverDir + "DATA/IMAGE/" + name));
  EXPECT_GT(checkView.lastMax, 20000u);
  EXPECT_EQ(checkView.lastMax, checkView.lastPosition);
  EXPECT_FALSE(checkView.barShown);  // hidden again after the list
  EXPECT_EQ(test::FilesIn(site.workDir), Strings{"TKClienti.dat"});  // no copy
  EXPECT_EQ(ReadFile(site.workDir + "TKClienti.dat"), ReadFile(site.serverDir + "tkclienti.ini"));
  EXPECT_EQ(ReadFile(site.programDir + "lib.so"), "module 1");
  EXPECT_EQ(ReadFile(site.programDir + "unlisted.so"), "mine");
}

// The swap of a changed program itself is the end-to-end update cycle's test.
TEST_F(UpdatePassesTest, ChangedModuleWithCurrentProgramHandsOverAndFinishes) {
  WriteFile(site.programDir + "lib.so", "module 1");
  site.Serve("lib.so", "module 2");
  site.Manifest(kOld, "lib.so," + CrcOf("module 2") + "\r\n", "", "Done^at^10/Restart");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(ReadFile(site.programDir + "lib.so"), "module 2");
  EXPECT_EQ(ReadFile(site.workDir + site.exeName), "old program");  // the copy to run
  // A "NEW_" file left by a replacement that failed to swap is removed at the next start.
  WriteFile(site.workDir + "NEW_" + site.exeName, "left over");
  std::string message;
  EXPECT_EQ(Apply(&message), 2);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
  EXPECT_EQ(message, " Done^at^10/Restart");
  EXPECT_TRUE(applyView.Downloads().empty());  // program current, module already fetched
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), "old program");
  EXPECT_FALSE(Exists(site.workDir + "NEW_" + site.exeName));
}

TEST_F(UpdatePassesTest, FailedSwapKeepsTheOldProgramAndTheNextStartCleansUp) {
  site.Serve(site.exeName, "new program");
  site.Manifest(CrcOf("new program"), "");
  EXPECT_EQ(Check(), 1);
  // What stands in the installed program's place cannot be replaced by a rename.
  QFile::remove(QString::fromStdString(site.programDir + site.exeName));
  QDir().mkpath(QString::fromStdString(site.programDir + site.exeName + "/busy"));
  EXPECT_EQ(Apply(), 2);  // not reported; the finished run starts what is there
  EXPECT_TRUE(prompter.prompts.empty());
  EXPECT_EQ(ReadFile(site.programDir + "NEW_" + site.exeName), "new program");
  UpdatePasses(site.CheckPlaces(), seams, nullptr).Prepare();
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName));
}

TEST_F(UpdatePassesTest, ProgramFailingItsCrcCheckIsRefusedAndTheOldOneKept) {
  site.Serve(site.exeName, "new program");
  site.Manifest("12345", "");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(Apply(), -1);
  // Without a VERSION section every check hands over, and the caption's first brackets are empty.
  WriteFile(site.serverDir + "tkclienti.ini", "<MODULE></MODULE><IMAGE></IMAGE><MESSAGE>m</MESSAGE>");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(Apply(), -1);
  ASSERT_EQ(prompter.prompts.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const test::Prompt& p = prompter.prompts[i];
    EXPECT_EQ(p.text + p.caption, kFileError + "[ 2 ] WARNING[ " + (i ? "" : "12345") + " ] [ " + CrcOf("new program") + " ] ");
    EXPECT_EQ(p.icon, PromptIcon::Warning);
  }
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), "old program");
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName));
}

TEST_F(UpdatePassesTest, NamesThatLeaveTheirFolderAreRefused) {
  site.Serve("IMAGE/a\\b.bmp", "picture");  // served under that very name: only the client's check refuses it
  // The images, then a module (-1: the chosen result after a failed module fetch).
  for (const std::string name : {"a\\b.bmp", "../escape.bmp", "sub/x.bmp", "..", "/tmp/abs.bmp", "../evil.so"}) {
    prompter.Clear();
    const bool module = name == "../evil.so";
    site.Manifest(kOld, module ? name + ",1\r\n" : "", module ? "" : name + ",1\r\n");
    EXPECT_EQ(Check(), -1) << name;
    EXPECT_EQ(prompter.Texts(), Strings{kFileError + (module ? "[ 5 ] " : "[ 4 ] ")}) << name;
    EXPECT_EQ(prompter.prompts.at(0).caption, "ERROR");
  }
  for (const std::string& f : {site.imageDir + "a\\b.bmp", site.programDir + "escape.bmp", site.root + "evil.so"})
    EXPECT_FALSE(Exists(f)) << f;
}

// The copy onto itself used to delete every file of the folder, the program included.
TEST_F(UpdatePassesTest, CheckPassStartedFromTheWorkFolderKeepsItsFiles) {
  QDir().mkpath(QString::fromStdString(site.workDir));
  WriteFile(site.workDir + site.exeName, "old program");
  WriteFile(site.workDir + "lib.so", "module 1");
  site.Serve("lib.so", "module 2");
  site.Manifest("1", "lib.so," + CrcOf("module 2") + "\r\n");
  UpdatePlaces places = site.CheckPlaces();
  places.ProgramDir = site.workDir;
  EXPECT_EQ(RunPass(places, seams, &checkView), 1);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
  EXPECT_EQ(ReadFile(site.workDir + site.exeName), "old program");
  EXPECT_EQ(ReadFile(site.workDir + "lib.so"), "module 2");
}

// Esc used to close the screen before its timer fired: no check, and the program just ended.
TEST_F(UpdatePassesTest, SplashRunsTheCheckOnItsTimerAndClosesOnlyThen) {
  site.Manifest(kOld, "");
  TFrmSplash splash(site.CheckPlaces(), seams);
  auto* label = splash.findChild<QLabel*>("LblMsg");
  QString shownFirst;
  QTimer::singleShot(100, &splash, [&] {
    shownFirst = label->text();
    QTest::keyClick(&splash, Qt::Key_Escape);
  });
  QTimer guard;  // never hang: a check that does not close the screen fails the test
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &splash, [&] { splash.done(99); });
  guard.start(20000);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(splash.RunCheck(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(600));  // its timer
  EXPECT_TRUE(guard.isActive());
  EXPECT_TRUE(shownFirst.isEmpty());
  EXPECT_EQ(label->text(), QString::fromUtf8("업데이트 정보를 확인중 입니다.."));
  EXPECT_TRUE(splash.findChild<QProgressBar*>("Gauge1")->isHidden());
  EXPECT_FALSE(splash.isVisible());
  EXPECT_TRUE(prompter.prompts.empty());
}

// A server that cannot be reached, then one that answers 404 to everything.
TEST(UpdatePassesServerFailures, EachStopsThePassWithItsMessage) {
  test::UpdateSite site;
  test::ScriptedPrompter prompter;
  test::LoopbackServer server;
  Seams seams = test::TestSeams(prompter, "127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort()));
  server.SetReply("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
  auto apply = [&](const std::string& version, const std::string& modules) {
    QDir().mkpath(QString::fromStdString(site.workDir));
    WriteFile(site.workDir + site.exeName, "old program");
    WriteFile(site.workDir + "TKClienti.dat",  // left by the check pass
              "<VERSION>" + version + "</VERSION><MODULE>" + modules + "</MODULE>");
    return RunPass(site.ApplyPlaces(), seams, nullptr);
  };
  EXPECT_EQ(RunPass(site.CheckPlaces(), seams, nullptr), -1);
  EXPECT_TRUE(test::FilesIn(site.workDir).empty());
  EXPECT_EQ(apply(kOld, ""), -1);
  seams.service.server = ParseServerAddress(server.Address());
  EXPECT_EQ(RunPass(site.CheckPlaces(), seams, nullptr), -1);
  EXPECT_EQ(apply("1", ""), -1);
  EXPECT_EQ(apply(kOld, "gone.so,1"), -1);
  // A program folder the new file cannot be written into: the cause is said.
  server.SetReply("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(site.programDir + "NEW_" + site.exeName)));
  EXPECT_EQ(apply("1", ""), -1);
  QDir().rmdir(QString::fromStdString(site.programDir + "NEW_" + site.exeName));
  const std::string noServer = "업데이트 서버와 연결할수 없습니다.";
  // The folder as Windows writes it (C:\users\...) on Windows.
  const std::string shownDir = QDir::toNativeSeparators(QString::fromStdString(site.programDir)).toStdString();
  EXPECT_EQ(prompter.Texts(), (Strings{noServer, noServer, "업데이트 정보 확인 오류 입니다.", kFileError + "[ 1 ] ",
                                       kFileError + "[ 3 ] ",
                                       kFileError + "[ 1 ] \r\r" + kUnwritableFolder + "\r" + shownDir}));
  for (const auto& p : prompter.prompts) {
    EXPECT_EQ(p.caption, p.text == noServer ? "접속 실패" : "ERROR");
    EXPECT_EQ(p.icon, PromptIcon::Stop);
  }
  EXPECT_FALSE(Exists(site.programDir + "NEW_" + site.exeName) || Exists(site.programDir + "gone.so"));
  EXPECT_EQ(ReadFile(site.programDir + site.exeName), "old program");
}

double Luminance(QRgb c) {  // relative luminance (0 black ... 1 white) of an sRGB colour
  auto lin = [](int v) { return v <= 10 ? v / 255.0 / 12.92 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

// Without update.bmp the black status line stood on a near-black background.
TEST(Splash, WithoutASkinTheStatusLineReadsOnTheCarriedPicture) {
  test::UpdateSite site;
  test::ScriptedPrompter prompter;
  const Seams seams = test::TestSeams(prompter);
  TFrmSplash plain(site.CheckPlaces(), seams);
  EXPECT_FALSE(plain.HasSkin());
  auto* label = plain.findChild<QLabel*>("LblMsg");
  label->setText(QString::fromUtf8("업데이트 서버와 연결중 입니다"));
  const QImage shown = plain.grab().toImage();
  std::vector<double> behind;  // the background behind the line is what most of its pixels show
  const QRect line = label->geometry();
  for (int y = line.top(); y <= line.bottom(); ++y)
    for (int x = line.left(); x <= line.right(); ++x) behind.push_back(Luminance(shown.pixel(x, y)));
  const double text = *std::min_element(behind.begin(), behind.end());  // the letters' cores
  std::nth_element(behind.begin(), behind.begin() + behind.size() / 2, behind.end());
  // 7:1 is the contrast the accessibility guidelines ask of small text.
  EXPECT_GE((behind[behind.size() / 2] + 0.05) / (text + 0.05), 7.0);
}

TEST(UpdateFileList, QuotedCommasStayNamesAreUrlEncodedANulIsRefusedABlankNeverMatches) {
  const auto list = ParseFileList("\r\n\"b,c.dll\",22\r\n\nplain\r'd,e',3,x\n");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].name + "|" + list[0].crc, "\"b,c.dll\"|22");
  EXPECT_FALSE(list[1].hasCrc);
  EXPECT_EQ(list[2].name + "|" + list[2].crc, "'d,e'|3");
  EXPECT_EQ(UrlPathPart("a b#?%.bmp"), "a%20b%23%3F%25.bmp");
  EXPECT_EQ(UrlPathPart("로고.bmp"), "%EB%A1%9C%EA%B3%A0.bmp");
  EXPECT_EQ(UrlPathPart("a+b(1)~_-.dll\x7F\x01"), "a+b(1)~_-.dll%7F%01");
  // A name holding a NUL was checked and written as the name before the NUL:
  // a manifest could replace another file than the one it lists.
  test::UpdateSite site;
  WriteFile(site.programDir + "keep.dll", "abc");
  const std::string name("keep.dll\0x", 10), nul = name + "," + CrcOf("abc") + "\r\n";
  test::ScriptedPrompter prompter;
  const Seams seams = test::TestSeams(prompter);
  UpdatePasses passes(site.CheckPlaces(), seams, nullptr);
  EXPECT_EQ(passes.ListChangedFiles(site.programDir, nul), Strings{name});
  // A blank before the CRC never matches: such a file is fetched again at every start.
  const std::string crc = CrcOf("abc") + "\r\n";
  EXPECT_EQ(passes.ListChangedFiles(site.programDir, "keep.dll, " + crc), Strings{"keep.dll"});
  EXPECT_TRUE(passes.ListChangedFiles(site.programDir, "keep.dll," + crc).empty());
  EXPECT_FALSE(passes.FetchFiles(nul, site.programDir, "http://127.0.0.1:1/update/DATA/"));
  EXPECT_EQ(ReadFile(site.programDir + "keep.dll"), "abc");
}

}}  // namespace tarvik
