// The session unit: user.ini, and the folder utilities.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/Folders.h"
#include "platform/QtText.h"
#include "session/Session.h"
#include "tests/support/Files.h"

namespace tarvik { namespace {

using test::ReadFile;
using test::WriteFile;

struct UserIni : ::testing::Test {
  std::string Ids(const std::string& dir = "") {
    const TDM dm(dir.empty() ? Dir() : dir);
    return dm.MasterInfo.M_ID + "|" + dm.CustomerInfo.C_ID;
  }
  // A Korean folder name, as a shop's may be: a narrow file call under Windows would miss it.
  UserIni() { QDir(tmp.path()).mkdir(QStringLiteral("매장")); }
  std::string Dir() const { return S(tmp.path()) + "/매장/"; }
  std::string Ini() const { return Dir() + "user.ini"; }
  QTemporaryDir tmp;
};

TEST_F(UserIni, IdsAreReadCutAndCreatedEmpty) {
  EXPECT_EQ(Ids(), "|");  // a missing ini is created with both keys empty
  EXPECT_EQ(ReadFile(Ini()), "[MASTER]\r\nID=\r\n[CUSTOMER]\r\nID=\r\n");
  // Leading blanks kept, trailing ones dropped; cut to 11 and 10 CP949 bytes.
  WriteFile(Ini(), "; kept\n[MASTER]\nID=  AB12  \n[CUSTOMER]\nNAME=x\nID=buyer-01 \n");
  EXPECT_EQ(Ids(), "  AB12|buyer-01");
  WriteFile(Ini(), "[master]\r\nid=123456789012345\r\n[Customer]\r\nID=가나다라마바\r\n");
  EXPECT_EQ(Ids(), "12345678901|가나다라마");
}

TEST_F(UserIni, LoginWritesTheIdsAsTypedOnlyIntoAnExistingIni) {
  WriteFile(Ini(), "; kept\r\n[MASTER]\r\nID=old\r\n[OTHER]\r\nID=stay\r\n");
  TDM dm(Dir());
  ASSERT_TRUE(dm.WriteUserIni(" shop-1 ", "가-1"));
  EXPECT_EQ(ReadFile(Ini()), "; kept\r\n[MASTER]\r\nID= shop-1 \r\n[OTHER]\r\nID=stay\r\n[CUSTOMER]\r\nID=가-1\r\n");
  EXPECT_EQ(Ids(), " shop-1|가-1");
  ASSERT_TRUE(QFile::remove(Q(Ini())));
  EXPECT_FALSE(dm.WriteUserIni("a", "b"));
  EXPECT_FALSE(QFileInfo::exists(Q(Ini())));
  // Unwritable: the IDs stay empty and no temporary file is left.
  EXPECT_EQ(Ids(Dir() + "no/such/folder/"), "|");
  EXPECT_FALSE(TDM(Dir() + "no/such/folder/").WriteUserIni("a", "b"));
  ASSERT_TRUE(QDir().mkdir(Q(Ini())));  // a user.ini that cannot be replaced
  EXPECT_FALSE(TDM(Dir()).WriteUserIni("a", "b"));
  EXPECT_EQ(QDir(Q(Dir())).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(CopyFolderFiles, CopiesPlainFilesAndReplacesExistingOnes_CopyOntoItselfKeepsTheFiles) {
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
  // A copy onto itself used to delete the files.
  EXPECT_FALSE(CopyFolderFiles(src, src));
  EXPECT_FALSE(CopyFolderFiles(src, S(tmp.path() + "/src/./")));
  EXPECT_EQ(ReadFile(src + "b.txt"), "new");
}

}}  // namespace tarvik
