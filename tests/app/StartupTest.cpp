#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/Startup.h"
#include "platform/Launcher.h"
#include "tests/update/UpdateSite.h"

namespace tarvik {
namespace {

struct Launch {
  std::string program;
  std::vector<std::string> args;
  std::string workDir;
  bool operator==(const Launch& o) const {
    return program == o.program && args == o.args && workDir == o.workDir;
  }
};

class RecordingLauncher : public Launcher {
 public:
  RecordingLauncher() { SetLauncher(this); }
  ~RecordingLauncher() override { SetLauncher(nullptr); }
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& workDir) override {
    launches.push_back({program, args, workDir});
    return false;  // a failed start changes nothing
  }
  std::vector<Launch> launches;
};

StartValues Values() {
  StartValues v;
  SetStartPaths(v, "/home/kim/My Programs/Tarvik 2/TKClientI", "/home/kim/work/");
  return v;
}

TEST(Startup, CommandLineFormsAreComparedExactly) {
  RecordingLauncher launcher;
  const std::vector<std::vector<std::string>> goOn = {{"p"}, {"p", "/SKIPCHECK"}};
  const std::vector<std::vector<std::string>> end = {
      {"p", "/skipcheck"}, {"p", "/SKIPCHECK "}, {"p", "/TMPFILEX", "/opt/"},
      {"p", "/TMPFILE"},  // no folder to update
      {"p", ""}};
  for (const auto& args : goOn) {
    StartValues v = Values();
    ReadCommandLine(v, args);
    EXPECT_TRUE(ActOnStartResult(v)) << args.back();
    EXPECT_TRUE(v.TargetDir.empty() && v.ExtraArg.empty());
  }
  for (const auto& args : end) {
    StartValues v = Values();
    EXPECT_EQ(ReadCommandLine(v, args), StartForm::Unknown) << args.back();
    EXPECT_FALSE(ActOnStartResult(v));
  }
  EXPECT_TRUE(launcher.launches.empty());

  StartValues v = Values();
  EXPECT_EQ(ReadCommandLine(v, {"p", "/SKIPCHECK", "Done^at^10/Restart", "extra"}), StartForm::SkipCheck);
  EXPECT_EQ(v.ExtraArg, "extra");
  v = Values();
  EXPECT_EQ(ReadCommandLine(v, {"p", "/TMPFILE", "/opt/Tarvik Client", "x y"}), StartForm::Replace);
  EXPECT_EQ(v.TargetDir, "/opt/Tarvik Client/");
  EXPECT_EQ(v.ExtraArg, "x y");
}

TEST(Startup, HandOversStartTheRightProgramWithWholeArguments) {
  RecordingLauncher launcher;
  StartValues v = Values();
  v.StartResult = 1;  // the copy gets the installed folder, blanks and all, as one argument
  EXPECT_FALSE(ActOnStartResult(v));

  // 2: the note, without the blank in front, is argument 2; an extra argument follows it.
  v.TargetDir = "/opt/Tarvik Client/";
  v.UpdateMessage = " Done^at^10/Restart";
  v.StartResult = 2;
  EXPECT_FALSE(ActOnStartResult(v));
  v.UpdateMessage = " ";  // an empty note gives no argument 2
  EXPECT_FALSE(ActOnStartResult(v));
  v.UpdateMessage = " 새 버전 ";
  v.ExtraArg = "X";
  EXPECT_FALSE(ActOnStartResult(v));
  v.StartResult = 3;  // anything else ends without a start
  EXPECT_FALSE(ActOnStartResult(v));

  const std::string target = "/opt/Tarvik Client/";
  EXPECT_EQ(launcher.launches,
            (std::vector<Launch>{
                {"/home/kim/work/TKClientI", {"/TMPFILE", "/home/kim/My Programs/Tarvik 2/"}, "/home/kim/work/"},
                {target + "TKClientI", {"/SKIPCHECK", "Done^at^10/Restart"}, target},
                {target + "TKClientI", {"/SKIPCHECK"}, target},
                {target + "TKClientI", {"/SKIPCHECK", "새 버전X"}, target}}));
}

TEST(Startup, ProgramDirIsTheRealProgramFilesFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows shortcut is a .lnk file the shell resolves; the program always gets its own path";
#endif
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  ASSERT_TRUE(QDir().mkdir(dir.path() + "/installed here"));
  test::WriteFile(base + "/installed here/TKClientI", "x");
  ASSERT_TRUE(QFile::link(dir.path() + "/installed here/TKClientI", dir.path() + "/shortcut"));

  StartValues v;
  v.TargetDir = v.UpdateMessage = v.ExtraArg = "left";
  SetStartPaths(v, ResolveProgramFile(base + "/shortcut"), "/w/");
  EXPECT_EQ(v.ProgramDir, base + "/installed here/");
  EXPECT_EQ(v.ExeName, "TKClientI");
  EXPECT_TRUE(v.TargetDir.empty() && v.UpdateMessage.empty() && v.ExtraArg.empty());
  // No such file: the running executable stands in.
  EXPECT_FALSE(ResolveProgramFile(base + "/nothing/here").empty());
}

}  // namespace
}  // namespace tarvik
