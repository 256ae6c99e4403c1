#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fstream>

#include "app/Startup.h"
#include "platform/Launcher.h"

namespace tarvik {
namespace {

struct Launch {
  std::string program;
  std::vector<std::string> args;
  std::string workDir;
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
  SetStartPaths(v, "/home/kim/My Programs/Tarvik 2/TKClientI", "/home/kim/.local/share/Tarvik/update/");
  return v;
}

TEST(Startup, CommandLineFormsAreComparedExactly) {
  RecordingLauncher launcher;
  struct Case {
    std::vector<std::string> args;
    StartForm form;
    int result;
  };
  const std::vector<Case> cases = {
      {{"p"}, StartForm::Normal, 0},
      {{"p", "/SKIPCHECK"}, StartForm::SkipCheck, 0},
      {{"p", "/skipcheck"}, StartForm::Unknown, -1},
      {{"p", "/SKIPCHECK "}, StartForm::Unknown, -1},
      {{"p", "/TMPFILEX", "/opt/"}, StartForm::Unknown, -1},
      {{"p", "/TMPFILE"}, StartForm::Unknown, -1},  // no folder to update
      {{"p", "/TMPFILE", ""}, StartForm::Unknown, -1},
      {{"p", ""}, StartForm::Unknown, -1},
  };
  for (const auto& c : cases) {
    StartValues v = Values();
    EXPECT_EQ(ReadCommandLine(v, c.args), c.form) << c.args.back();
    EXPECT_EQ(v.StartResult, c.result) << c.args.back();
    EXPECT_EQ(ActOnStartResult(v), c.result == 0) << c.args.back();
    EXPECT_TRUE(v.TargetDir.empty());
    EXPECT_TRUE(v.ExtraArg.empty());
  }
  EXPECT_TRUE(launcher.launches.empty());

  StartValues v = Values();
  EXPECT_EQ(ReadCommandLine(v, {"p", "/SKIPCHECK", "Done^at^10/Restart", "extra"}), StartForm::SkipCheck);
  EXPECT_EQ(v.ExtraArg, "extra");
  EXPECT_TRUE(v.TargetDir.empty());

  v = Values();
  EXPECT_EQ(ReadCommandLine(v, {"p", "/TMPFILE", "/opt/Tarvik Client/", "x y"}), StartForm::Replace);
  EXPECT_EQ(v.TargetDir, "/opt/Tarvik Client/");
  EXPECT_EQ(v.ExtraArg, "x y");
  v = Values();
  ReadCommandLine(v, {"p", "/TMPFILE", "/opt/Tarvik"});
  EXPECT_EQ(v.TargetDir, "/opt/Tarvik/");
  EXPECT_TRUE(v.ExtraArg.empty());
}

TEST(Startup, HandOversStartTheRightProgramWithWholeArguments) {
  RecordingLauncher launcher;
  StartValues v = Values();
  EXPECT_EQ(v.ProgramDir, "/home/kim/My Programs/Tarvik 2/");
  EXPECT_EQ(v.ExeName, "TKClientI");

  // 1: the copy in the work folder gets the installed folder as one argument.
  v.StartResult = 1;
  EXPECT_FALSE(ActOnStartResult(v));
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].program, "/home/kim/.local/share/Tarvik/update/TKClientI");
  EXPECT_EQ(launcher.launches[0].args,
            (std::vector<std::string>{"/TMPFILE", "/home/kim/My Programs/Tarvik 2/"}));
  EXPECT_EQ(launcher.launches[0].workDir, v.WorkDir);

  // 2: the updated program gets the note, without the blank in front, as argument 2.
  v.TargetDir = "/opt/Tarvik Client/";
  v.UpdateMessage = " Done^at^10/Restart";
  v.StartResult = 2;
  EXPECT_FALSE(ActOnStartResult(v));
  ASSERT_EQ(launcher.launches.size(), 2u);
  EXPECT_EQ(launcher.launches[1].program, "/opt/Tarvik Client/TKClientI");
  EXPECT_EQ(launcher.launches[1].args, (std::vector<std::string>{"/SKIPCHECK", "Done^at^10/Restart"}));
  EXPECT_EQ(launcher.launches[1].workDir, "/opt/Tarvik Client/");

  // An empty note gives no argument 2 at all; an extra argument follows the note.
  v.UpdateMessage = " ";
  EXPECT_FALSE(ActOnStartResult(v));
  EXPECT_EQ(launcher.launches.back().args, std::vector<std::string>{"/SKIPCHECK"});
  v.UpdateMessage = " 새 버전 ";
  v.ExtraArg = "X";
  EXPECT_EQ(FinishedRunNote(v), "새 버전X");

  // Anything else ends without a start.
  for (int r : {-1, 3, 7}) {
    v.StartResult = r;
    EXPECT_FALSE(ActOnStartResult(v));
  }
  EXPECT_EQ(launcher.launches.size(), 3u);
}

TEST(Startup, ProgramDirIsTheRealProgramFilesFolder) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  ASSERT_TRUE(QDir().mkdir(dir.path() + "/installed here"));
  const std::string real = base + "/installed here/TKClientI";
  std::ofstream(real) << "x";
  ASSERT_TRUE(QFile::link(QString::fromStdString(real), dir.path() + "/shortcut"));

  StartValues v;
  SetStartPaths(v, ResolveProgramFile(base + "/shortcut"), "/w/");
  EXPECT_EQ(v.ProgramDir, base + "/installed here/");
  EXPECT_EQ(v.ExeName, "TKClientI");
  v.TargetDir = "t";
  v.UpdateMessage = "m";
  v.ExtraArg = "e";
  SetStartPaths(v, real, "/w/");
  EXPECT_TRUE(v.TargetDir.empty() && v.UpdateMessage.empty() && v.ExtraArg.empty());
  EXPECT_EQ(v.WorkDir, "/w/");
  // No such file: the running executable stands in.
  EXPECT_FALSE(ResolveProgramFile(base + "/nothing/here").empty());
}

}  // namespace
}  // namespace tarvik
