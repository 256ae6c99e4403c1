// The start-up decision: which command lines go on, what each hand-over starts; one program per basket.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "app/BasketClaim.h"
#include "app/Startup.h"
#include "platform/QtText.h"
#include "platform/RunningProgram.h"
#include "session/Session.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSeams.h"

namespace tarvik { namespace {

using Args = std::vector<std::string>;

StartValues Values() {
  StartValues v;
  SetStartPaths(v, "/home/kim/My Programs/Tarvik 2/TKClientI", "/home/kim/work/");
  return v;
}

TEST(Startup, CommandLineFormsAreComparedExactly) {
  test::RecordingLauncher launcher;  // the exact forms going on: the end-to-end tests' starts
  // The last but one has no folder to update.
  for (const Args& args : std::vector<Args>{{"p", "/skipcheck"}, {"p", "/SKIPCHECK "}, {"p", "/TMPFILEX", "/opt/"},
                                            {"p", "/TMPFILE"}, {"p", ""}}) {
    StartValues v = Values();
    EXPECT_EQ(ReadCommandLine(args).form, StartForm::Unknown) << args.back();
    TakeCommandLine(v, ReadCommandLine(args));
    EXPECT_FALSE(ActOnStartResult(v, launcher));
  }
  EXPECT_TRUE(launcher.launches.empty());
  // The update note: "/" a line break, "^" a blank.
  const CommandLine skip = ReadCommandLine({"p", "/SKIPCHECK", "Done^at^10/Restart", "extra"});
  EXPECT_EQ(skip.form, StartForm::SkipCheck);
  EXPECT_EQ(skip.updateNote + "|" + skip.extraArg, "Done at 10\r\nRestart|extra");
  const CommandLine replace = ReadCommandLine({"p", "/TMPFILE", "/opt/Tarvik Client", "x y"});
  EXPECT_EQ(replace.form, StartForm::Replace);
  EXPECT_EQ(replace.targetDir, "/opt/Tarvik Client");  // Qt's plugins are looked for there
  StartValues v = Values();
  TakeCommandLine(v, replace);
  EXPECT_EQ(v.TargetDir + "|" + v.ExtraArg, "/opt/Tarvik Client/|x y");
}

TEST(Startup, HandOversStartTheRightProgramWithWholeArguments) {
  test::RecordingLauncher launcher;
  StartValues v = Values();
  // 1, and 2 with a note: the update cycle's end-to-end test. 2: the note less its first blank, then an extra.
  v.TargetDir = "/opt/Tarvik Client/";
  v.StartResult = 2;
  const std::pair<const char*, const char*> notes[] = {{" ", ""}, {" 새 버전 ", "X"}};
  for (const auto& [note, extra] : notes) {  // an empty note gives no argument 2
    v.UpdateMessage = note;
    v.ExtraArg = extra;
    EXPECT_FALSE(ActOnStartResult(v, launcher));
  }
  v.StartResult = 3;  // anything else ends without a start
  EXPECT_FALSE(ActOnStartResult(v, launcher));
  const std::string t = "/opt/Tarvik Client/TKClientI|/opt/Tarvik Client/|/SKIPCHECK";
  EXPECT_EQ(launcher.launches, (Args{t, t + "|새 버전X"}));
}

TEST(BasketClaim, ASecondProgramOfTheSameOrdererIsToldAndEnds_AnotherOrdererOrALaterOneGetsIt) {
  QTemporaryDir dir;
  const std::string folder = S(dir.path()) + "/바구니";  // made on demand, Korean and all
  TDM dm(S(dir.path()) + "/"), other(S(dir.path()) + "/");
  dm.MasterInfo.M_CODE = other.MasterInfo.M_CODE = "S00001";
  dm.CustomerInfo.C_CODE = "C00001";
  other.CustomerInfo.C_CODE = "C00002";
  test::ScriptedPrompter prompter;
  auto first = ClaimBasket(folder, dm, prompter);
  ASSERT_TRUE(first);
  EXPECT_TRUE(QFileInfo::exists(Q(folder + "/basket-S00001-C00001.json.lock")));
  EXPECT_FALSE(ClaimBasket(folder, dm, prompter));  // the one process stands for a second program here
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kBasketOpenElsewhere});
  EXPECT_TRUE(ClaimBasket(folder, other, prompter));
  first.reset();
  EXPECT_TRUE(ClaimBasket(folder, dm, prompter));
  EXPECT_EQ(prompter.prompts.size(), 1u);
}

}}  // namespace tarvik
