// Hostile and broken requests: each gets a failure reply, stores nothing, leaks
// nothing, and the service goes on answering.
#include <gtest/gtest.h>

#include "wire/Gzip.h"
#include "wire/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

const std::string kBoundary = "--------DHC120624201500123";
const std::string kMultipart = "multipart/form-data; boundary=" + kBoundary;

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_RUNNING(service);
    // One stored order, so "nothing changed" has something to lose.
    const std::string r =
        Ask("Order", Full("100401", "S00001", OrderBody("", "A", {{"P00001", "", "", "1", ""}})));
    ASSERT_EQ(TagValue("RESULT_CODE", r), "1") << r;
    order_ = TagValue("OH_CODE", r);
  }

  std::string Ask(const std::string& endpoint, const std::string& text) {
    return Call(service.Port(), endpoint, text);
  }
  RawReply PostText(const std::string& path, const std::string& plain) {
    return PostRaw(service.Port(), path, kMultipart, MultipartBody(kBoundary, GzipCompress(plain)));
  }
  static bool Refused(const RawReply& r) { return TagValue("RESULT_CODE", r.text) != "1"; }
  static bool Refused(const std::string& text) { return TagValue("RESULT_CODE", text) != "1"; }

  // Nothing changed and the service still answers.
  void ExpectIntact() {
    const std::string m = Ask("KorvanMember", MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO"));
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", m), 1);
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                     Ask("Good", Full("100106", "S00001", Like("G_NAME", "%")))),
              2525);
    const std::string shop1 = Ask("Customer", Full("100200", "S00001", Same("C_ID", "SHOP1")));
    EXPECT_EQ(TagValue("C_SS", TagValue("RDC_0", shop1)), "1234");
    std::string out;
    EXPECT_EQ(service.Admin({"orders"}, &out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find(order_), std::string::npos);
    const std::string open = Ask("Order", Full("100406", "S00001", MakeTag("OH_CODE", order_)));
    EXPECT_EQ(TagValue("OL_GC", TagValue("RDC_0", TagValue("ORDERL_DATA", open))), "P00001");
  }

  ServiceProcess service;
  std::string order_;
};

TEST_F(BadInput, BrokenRequestsGetFailureReplies) {
  const std::string member = WrapPostData(MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO"));
  const auto port = service.Port();
  // Sanity: the well-formed one answers.
  EXPECT_FALSE(Refused(PostText("/NET/KorvanMember.php", member)));

  EXPECT_TRUE(Refused(PostRaw(port, "/NET/KorvanMember.php", "text/plain", member)));
  EXPECT_TRUE(Refused(PostRaw(port, "/NET/KorvanMember.php", kMultipart, "garbage")));
  std::string otherPart = MultipartBody(kBoundary, GzipCompress(member));
  otherPart.replace(otherPart.find("name=POST"), 9, "name=DATA");
  EXPECT_TRUE(Refused(PostRaw(port, "/NET/KorvanMember.php", kMultipart, otherPart)));
  EXPECT_TRUE(Refused(PostRaw(port, "/NET/KorvanMember.php", kMultipart,
                              MultipartBody(kBoundary, member))));  // not gzip
  std::string badCrc = GzipCompress(member);
  badCrc[badCrc.size() - 6] ^= 0x55;
  EXPECT_TRUE(Refused(PostRaw(port, "/NET/KorvanMember.php", kMultipart,
                              MultipartBody(kBoundary, badCrc))));
  // A small member that inflates past the cap.
  const std::string bomb = WrapPostData(MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO") +
                                        MakeTag("PAD", std::string(3 * 1024 * 1024, 'A')));
  const RawReply bombReply = PostText("/NET/KorvanMember.php", bomb);
  EXPECT_TRUE(Refused(bombReply));
  EXPECT_NE(bombReply.status, 0);
  EXPECT_TRUE(Refused(PostText("/NET/KorvanMember.php",
                               WrapPostData(MakeTag("COMMAND", "100000") +
                                            Same("M_ID", "DEMO\xC3\x28")))));  // invalid UTF-8
  EXPECT_TRUE(Refused(PostText("/NET/KorvanMember.php",
                               MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO"))));  // no envelope
  EXPECT_TRUE(Refused(PostText("/NET/Nothing.php", member)));
  EXPECT_TRUE(Refused(PostText("/NET/Good.php", member)));  // 100000 is not a Good command
  EXPECT_TRUE(Refused(Ask("Good", Full("999999", "S00001", ""))));
  EXPECT_TRUE(Refused(Ask("Good", MakeTag("COMMAND", "100106") + Like("G_NAME", "%"))));  // no DB_KEY
  EXPECT_TRUE(Refused(Ask("KorvanMember", MakeTag("COMMAND", "100000") +
                                              "<SAME_FIELD>M_ID</SAME_FIELD><SAME_KEY>DEMO")));
  std::string many = MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO");
  for (int i = 0; i < 5000; ++i) many += MakeTag("X", "1");
  EXPECT_TRUE(Refused(Ask("KorvanMember", many)));
  EXPECT_TRUE(Refused(Get(port, "/NET/Good.php")));

  // Bigger than the body limit: refused before it is read.
  const std::string huge = MultipartBody(kBoundary, std::string(3 * 1024 * 1024, 'x'));
  const RawReply big = PostRaw(port, "/NET/KorvanMember.php", kMultipart, huge);
  EXPECT_TRUE(Refused(big));
  ExpectIntact();
}

TEST_F(BadInput, BrokenOrdersStoreNothing) {
  const std::string head = MakeTag("OH_CODE", "") + MakeTag("OH_CC", "C00001") +
                           MakeTag("OH_IOG", "A") + MakeTag("OH_RCOUNT", "2");
  auto save = [&](const std::string& lines) {
    return Ask("Order", Full("100401", "S00001",
                             MakeTag("ORDERH_DATA", head) + MakeTag("ORDERL_DATA", lines)));
  };
  const std::string l0 = MakeTag("OLD_0", MakeTag("OL_GC", "P00001") + MakeTag("OL_LC", "1"));
  const std::string l1 = MakeTag("OLD_1", MakeTag("OL_GC", "P00002") + MakeTag("OL_LC", "1"));
  EXPECT_TRUE(Refused(save(l1 + l0)));                             // out of order
  EXPECT_TRUE(Refused(save(l0 + MakeTag("OLD_5", "<OL_GC>P00002</OL_GC>"))));  // a gap
  EXPECT_TRUE(Refused(save(l0 + "<OLD_1><OL_GC>P00002</OL_GC>")));  // not closed
  EXPECT_TRUE(Refused(save(l0 + MakeTag("OLD_1", MakeTag("OL_GC", "P00002") +
                                                     MakeTag("OL_CC", "C00002")))));  // other orderer
  EXPECT_TRUE(Refused(Ask("Order", Full("100401", "S00001", MakeTag("ORDERH_DATA", head)))));
  EXPECT_TRUE(Refused(Ask("Order", Full("100401", "S00001",
                                        MakeTag("ORDERH_DATA", head + MakeTag("OH_DD", "2402")) +
                                            MakeTag("ORDERL_DATA", l0 + l1)))));
  EXPECT_TRUE(Refused(Ask("Order", Full("100401", "S00001",
                                        MakeTag("ORDERH_DATA", head + MakeTag("OH_SG", "1")) +
                                            MakeTag("ORDERL_DATA", l0 + l1)))));
  ExpectIntact();
}

TEST_F(BadInput, InjectionInConditionsChangesAndLeaksNothing) {
  auto customer = [&](const std::string& conditions) {
    return Ask("Customer", Full("100200", "S00001", conditions));
  };
  auto goods = [&](const std::string& conditions) {
    return Ask("Good", Full("100106", "S00001", MakeTag("C_CODE", "C00001") + conditions));
  };
  // Values are bound: they only ever match themselves.
  for (const std::string key :
       {"SHOP1' OR '1'='1", "SHOP1\" OR \"1\"=\"1", "x'; DROP TABLE C_; --", "SHOP1'--",
        "' UNION SELECT M_CODE, M_ID, M_BIGO, M_MGU, M_DBTYPE, M_CODE FROM M_ --",
        "SHOP1/*", "SHOP1; DELETE FROM C_"}) {
    const std::string r = customer(Same("C_ID", key));
    EXPECT_EQ(TagValue("RESULT_CODE", r), "1") << key;
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", r), 0) << key;
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", goods(Like("G_NAME", key))), 0) << key;
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                     Ask("UCost", Short("100300", "S00001", Same("U_CC", key)))), 0) << key;
    EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                     Ask("CarPartNum", Full("100102", "S00001", Same("CPN_GROUP", "01") +
                                                                   Same("CPN_MAKE", key) +
                                                                   Like("CPN_BODY", key)))),
              0) << key;
  }
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", goods(Like("G_NAME", "%' OR 1=1 --"))), 0);
  // Field names come from a list: anything else is refused.
  for (const std::string field : {"C_ID OR 1=1 OR C_ID", "1=1 --", "C_SS", "C_ID;", "c_id"}) {
    EXPECT_TRUE(Refused(customer(Same(field, "SHOP1")))) << field;
    EXPECT_TRUE(Refused(goods(Like(field, "%")))) << field;
  }
  EXPECT_TRUE(Refused(customer(MakeTag("SAME_KEY", "SHOP1") + Same("C_ID", "SHOP1"))));
  EXPECT_TRUE(Refused(customer(MakeTag("SAME_FIELD", "C_ID") + MakeTag("LIKE_KEY", "%"))));
  for (const std::string order :
       {"G_NAME; DROP TABLE G_", "G_NAME ASC; DELETE FROM G_", "(SELECT C_SS FROM C_)",
        "G_NAME ASC -- ", "G_NAME ASC UNION SELECT 1", "G_NAME ASC,/**/G_CODE", "C_SS ASC",
        "G_NAME SIDEWAYS", "G_NAME ASC,,G_CODE", "1", "RANDOM()"}) {
    EXPECT_TRUE(Refused(goods(Like("G_NAME", "%") + OrderBy(order)))) << order;
    EXPECT_TRUE(Refused(Ask("UCost", Short("100300", "S00001",
                                           Same("U_CC", "C00001") + OrderBy(order)))))
        << order;
  }
  EXPECT_FALSE(Refused(goods(OrderBy(" G_NAME desc , G_CODE "))));  // blanks and case are fine

  auto list = [&](const std::string& where, const std::string& untagged = std::string()) {
    return Ask("Order", Full("100400", "S00001",
                             untagged + MakeTag("WHERE_OPTION", where) +
                                 OrderBy("OH_SD DESC,OH_CODE DESC")));
  };
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", list(" OH_CC = 'C00001' AND OH_SG='0' ")), 1);
  // The untagged copy of the condition is never read.
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   list("OH_CC='C00001'", "'; DELETE FROM OH_; -- OH_CC = 'C00002'")),
            1);
  for (const std::string where :
       {"OH_CC = 'C00001' OR '1'='1'", "OH_CC = 'C00001'; DELETE FROM OH_",
        "OH_CC = 'C00001' -- ", "OH_CC = 'C00001' UNION SELECT C_SS FROM C_",
        "OH_CC = 'C00001' AND 1=1", "OH_SG='0'", "OH_CC = 'x'' OR ''1''=''1'",
        "OH_CC = 'C00001' AND OH_CC = 'C00002'", "OH_CC = C00001", "OH_CC LIKE '%'",
        "OH_CC = 'C00001' AND", "M_CODE = 'S00002' AND OH_CC = 'C00001'", ""}) {
    EXPECT_TRUE(Refused(list(where))) << where;
  }
  ExpectIntact();
}

}  // namespace
}  // namespace tarvik::test
