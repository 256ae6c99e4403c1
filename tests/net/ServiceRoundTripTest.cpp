// The request functions against the real reference service over loopback.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/UDM.h"
#include "net/HC.h"
#include "net/MessageFormat.h"
#include "platform/QtText.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik {
namespace {

std::string Same(const std::string& field, const std::string& key) {
  return MakeTag("SAME_FIELD", field) + MakeTag("SAME_KEY", key);
}

TEST(ServiceRoundTrip, LoginCommandsAndAWholeCatalogue) {
  test::ServiceProcess service;
  ASSERT_TRUE(service.Running());
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");

  const std::string member = RequestMember(Same("M_ID", "DEMO"));
  ASSERT_EQ(TagValue("RESULT_CODE", member), "1") << member.substr(0, 200);
  const std::string mCode = TagValue("M_CODE", TagValue("RDC_0", member));
  EXPECT_EQ(mCode, "S00001");
  EXPECT_EQ(TagValue("CALL_INDEX", member), "");

  const std::string customer = RequestCustomer(mCode, Same("C_ID", "SHOP1"));
  ASSERT_EQ(TagValue("RESULT_CODE", customer), "1");
  EXPECT_EQ(TagValue("C_NAME", TagValue("RDC_0", customer)), "한빛카센터");
  EXPECT_EQ(TagValue("CALL_INDEX", customer), TodayStamp() + "-2");

  // The large demo catalogue: every announced record is there, read in one walk.
  const std::string goods = RequestGoods(
      "S00002", MakeTag("C_CODE", "C00001") + MakeTag("LIKE_FIELD", "G_NAME") + MakeTag("LIKE_KEY", "%") +
                    MakeTag("ORDERBY", "G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC"));
  ASSERT_EQ(TagValue("RESULT_CODE", goods), "1");
  const long long n = TagInt("RESULT_RECORD_COUNT", goods);
  EXPECT_GT(n, 1000);
  const ReplyReader reader(goods);
  for (long long i = 0; i < n; ++i) {
    ASSERT_FALSE(TagValue("G_CODE", reader.Record(static_cast<std::size_t>(i))).empty()) << i;
  }
  EXPECT_EQ(reader.Record(static_cast<std::size_t>(n)), "");

  // An unknown supplier: the service answers, with no record.
  const std::string unknown = RequestMember(Same("M_ID", "NOBODY"));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", unknown), 0);
  EXPECT_EQ(TagValue("RDC_0", unknown), "");
  EXPECT_EQ(dm.RequestCounter, 4);
}

}  // namespace
}  // namespace tarvik
