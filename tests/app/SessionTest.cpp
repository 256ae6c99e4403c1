// TDM and user.ini.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/UDM.h"
#include "platform/QtText.h"

namespace tarvik {
namespace {

class SessionTest : public ::testing::Test {
 protected:
  std::string Dir() const { return S(tmp_.path()) + "/"; }
  QString Ini() const { return tmp_.path() + "/user.ini"; }
  void WriteIni(const QByteArray& bytes) {
    QFile f(Ini());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  QByteArray ReadIni() const {
    QFile f(Ini());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QTemporaryDir tmp_;
};

TEST_F(SessionTest, MissingIniIsCreatedWithBothKeysEmpty) {
  ASSERT_FALSE(QFileInfo::exists(Ini()));
  TDM dm(Dir());
  EXPECT_EQ(ReadIni(), QByteArray("[MASTER]\r\nID=\r\n[CUSTOMER]\r\nID=\r\n"));
  EXPECT_EQ(dm.MasterInfo.M_ID, "");
  EXPECT_EQ(dm.CustomerInfo.C_ID, "");
}

TEST_F(SessionTest, IdsKeepLeadingBlanksLoseTrailingOnesAndAreCut) {
  WriteIni("; kept\n[MASTER]\nID=  AB12  \n[CUSTOMER]\nNAME=x\nID=buyer-01 \n");
  {
    TDM dm(Dir());
    EXPECT_EQ(dm.MasterInfo.M_ID, "  AB12");
    EXPECT_EQ(dm.CustomerInfo.C_ID, "buyer-01");
  }
  WriteIni("[master]\r\nid=123456789012345\r\n[Customer]\r\nID=가나다라마바\r\n");
  TDM dm(Dir());
  EXPECT_EQ(dm.MasterInfo.M_ID, "12345678901");
  EXPECT_EQ(dm.CustomerInfo.C_ID, "가나다라마");  // 10 of 11 CP949 bytes
}

TEST_F(SessionTest, LoginWritesTheIdsAsTypedOnlyIntoAnExistingIni) {
  WriteIni("; kept\r\n[MASTER]\r\nID=old\r\n[OTHER]\r\nID=stay\r\n");
  TDM dm(Dir());
  ASSERT_TRUE(dm.WriteUserIni(" shop-1 ", "가-1"));
  EXPECT_EQ(ReadIni(),
            QByteArray("; kept\r\n[MASTER]\r\nID= shop-1 \r\n[OTHER]\r\nID=stay\r\n[CUSTOMER]\r\nID=가-1\r\n"));
  TDM again(Dir());
  EXPECT_EQ(again.MasterInfo.M_ID, " shop-1");
  EXPECT_EQ(again.CustomerInfo.C_ID, "가-1");

  ASSERT_TRUE(QFile::remove(Ini()));
  EXPECT_FALSE(dm.WriteUserIni("a", "b"));
  EXPECT_FALSE(QFileInfo::exists(Ini()));
}

TEST_F(SessionTest, UnwritableFolderLeavesTheIdsEmpty) {
  TDM dm(Dir() + "no/such/folder/");
  EXPECT_EQ(dm.MasterInfo.M_ID, "");
  EXPECT_EQ(dm.CustomerInfo.C_ID, "");
  EXPECT_FALSE(dm.WriteUserIni("a", "b"));
}

TEST_F(SessionTest, FailedIniWriteLeavesNoTemporaryFileBehind) {
  ASSERT_TRUE(QDir().mkdir(Ini()));  // a user.ini that cannot be replaced
  TDM dm(Dir());
  EXPECT_FALSE(dm.WriteUserIni("a", "b"));
  EXPECT_FALSE(QFileInfo::exists(Ini() + ".tmp"));
}

}  // namespace
}  // namespace tarvik
