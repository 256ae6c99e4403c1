// The session unit: user.ini and the text, date and file utilities.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/QtText.h"
#include "platform/Folders.h"
#include "session/Session.h"
#include "tests/support/Files.h"
#include "wire/Text.h"

namespace tarvik {
namespace {

using test::ReadFile;
using test::WriteFile;

class UserIni : public ::testing::Test {
 protected:
  std::string Dir() const { return S(tmp_.path()) + "/"; }
  std::string Ini() const { return Dir() + "user.ini"; }
  QTemporaryDir tmp_;
};

TEST_F(UserIni, MissingIniIsCreatedWithBothKeysEmpty) {
  ASSERT_FALSE(QFileInfo::exists(Q(Ini())));
  TDM dm(Dir());
  EXPECT_EQ(ReadFile(Ini()), "[MASTER]\r\nID=\r\n[CUSTOMER]\r\nID=\r\n");
  EXPECT_EQ(dm.MasterInfo.M_ID + dm.CustomerInfo.C_ID, "");
}

TEST_F(UserIni, IdsKeepLeadingBlanksLoseTrailingOnesAndAreCut) {
  WriteFile(Ini(), "; kept\n[MASTER]\nID=  AB12  \n[CUSTOMER]\nNAME=x\nID=buyer-01 \n");
  {
    TDM dm(Dir());
    EXPECT_EQ(dm.MasterInfo.M_ID, "  AB12");
    EXPECT_EQ(dm.CustomerInfo.C_ID, "buyer-01");
  }
  WriteFile(Ini(), "[master]\r\nid=123456789012345\r\n[Customer]\r\nID=가나다라마바\r\n");
  TDM dm(Dir());
  EXPECT_EQ(dm.MasterInfo.M_ID, "12345678901");
  EXPECT_EQ(dm.CustomerInfo.C_ID, "가나다라마");  // 10 of 11 CP949 bytes
}

TEST_F(UserIni, LoginWritesTheIdsAsTypedOnlyIntoAnExistingIni) {
  WriteFile(Ini(), "; kept\r\n[MASTER]\r\nID=old\r\n[OTHER]\r\nID=stay\r\n");
  TDM dm(Dir());
  ASSERT_TRUE(dm.WriteUserIni(" shop-1 ", "가-1"));
  EXPECT_EQ(ReadFile(Ini()),
            std::string("; kept\r\n[MASTER]\r\nID= shop-1 \r\n[OTHER]\r\nID=stay\r\n[CUSTOMER]\r\nID=가-1\r\n"));
  TDM again(Dir());
  EXPECT_EQ(again.MasterInfo.M_ID, " shop-1");
  EXPECT_EQ(again.CustomerInfo.C_ID, "가-1");

  ASSERT_TRUE(QFile::remove(Q(Ini())));
  EXPECT_FALSE(dm.WriteUserIni("a", "b"));
  EXPECT_FALSE(QFileInfo::exists(Q(Ini())));
}

TEST_F(UserIni, UnwritableIniLeavesTheIdsEmptyAndNoTemporaryFile) {
  TDM nowhere(Dir() + "no/such/folder/");
  EXPECT_EQ(nowhere.MasterInfo.M_ID + nowhere.CustomerInfo.C_ID, "");
  EXPECT_FALSE(nowhere.WriteUserIni("a", "b"));

  ASSERT_TRUE(QDir().mkdir(Q(Ini())));  // a user.ini that cannot be replaced
  TDM dm(Dir());
  EXPECT_FALSE(dm.WriteUserIni("a", "b"));
  // Nothing beside it: no temporary file was left behind.
  EXPECT_EQ(QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(CheckYymmdd, CalendarRulesWithTheTwoDigitLeapYearAndItsMessages) {
  for (const char* ok : {"000229", "991231", "240229", "240430", "991231  "}) {
    EXPECT_TRUE(CheckYymmdd(ok, false)) << ok;
  }
  for (const char* bad : {"010229", "991331", "990100", "230229", "240431", "240001", "12345 ", "12a456",
                          "2401311", " 40131"}) {
    EXPECT_FALSE(CheckYymmdd(bad, false)) << bad;
  }
  EXPECT_TRUE(CheckYymmdd("   ", true));  // blanks are removed first
  EXPECT_FALSE(CheckYymmdd("", false));
  // The reasons name the given text, blanks and all.
  EXPECT_EQ(YymmddProblem("12345 ", true), "날짜가 정확하지 않습니다.\r\r             12345 ");
  EXPECT_EQ(YymmddProblem("", false), "검색할 날짜가 없습니다.");
}

TEST(TextUtilities, FormatTrimAndFirstCharacter) {
  EXPECT_EQ(FormatYymmdd("240131"), "24/01/31");
  EXPECT_EQ(FormatYymmdd("2401"), "2401");
  EXPECT_EQ(FormatYymmdd("      "), "      ");
  EXPECT_EQ(FormatYymmdd("한빛"), "한빛");  // six bytes, two characters: never split

  EXPECT_EQ(TrimRightBlanks("  ab \t  "), "  ab \t");
  EXPECT_EQ(TrimLeftBlanks("  \tab  "), "\tab  ");
  EXPECT_EQ(TrimLeftBlanks("    "), "");

  EXPECT_FALSE(StartsWithOtherChar("A12"));
  EXPECT_TRUE(StartsWithOtherChar("a12"));
  EXPECT_FALSE(StartsWithOtherChar(""));
  EXPECT_FALSE(StartsWithOtherChar(" x"));
  EXPECT_TRUE(StartsWithOtherChar("한빛"));

  EXPECT_EQ(TextBetween("x<s>mid<e>y<e>", "<s>", "<e>"), "mid");
  EXPECT_EQ(TextBetween("abc]d[e", "[", "]"), "");  // end marker first
  EXPECT_EQ(TextBetween("[abc", "[", "]"), "");
  EXPECT_EQ(TextBetween(std::string(70000, 'x') + "[far]", "[", "]"), "far");  // no 16-bit limit
}

TEST(CopyFolderFiles, CopiesPlainFilesAndReplacesExistingOnes) {
  QTemporaryDir tmp;
  const std::string src = S(tmp.path()) + "/src/", dst = S(tmp.path()) + "/dst/";
  ASSERT_TRUE(QDir().mkpath(Q(src + "sub")));
  WriteFile(src + "a.bin", std::string("\0\1\2", 3));
  WriteFile(src + "b.txt", "new");
  WriteFile(src + ".hidden", "h");
  WriteFile(src + "sub/inner", "x");
  EXPECT_TRUE(CopyFolderFiles(src, dst));
  EXPECT_EQ(ReadFile(dst + "a.bin"), std::string("\0\1\2", 3));
  EXPECT_EQ(ReadFile(dst + ".hidden"), "h");
  EXPECT_FALSE(QFileInfo::exists(Q(dst + "sub")));

  WriteFile(dst + "b.txt", "old and longer");
  EXPECT_TRUE(CopyFolderFiles(src, dst));
  EXPECT_EQ(ReadFile(dst + "b.txt"), "new");

  EXPECT_TRUE(CopyFolderFiles(S(tmp.path() + "/missing/"), S(tmp.path() + "/other/")));
  EXPECT_FALSE(CopyFolderFiles(src, S(tmp.path() + "/no/such/")));  // only one level is created
}

TEST(CopyFolderFiles, CopyOntoItselfKeepsTheFiles) {
  QTemporaryDir tmp;
  const std::string dir = S(tmp.path()) + "/";
  WriteFile(dir + "TKClientI", "program");
  EXPECT_FALSE(CopyFolderFiles(dir, dir));
  EXPECT_FALSE(CopyFolderFiles(dir, S(tmp.path() + "/./")));
  EXPECT_EQ(ReadFile(dir + "TKClientI"), "program");
}

}  // namespace
}  // namespace tarvik
