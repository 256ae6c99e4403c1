// Log-in and catalogue commands against the real service with the demo data.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "net/MessageFormat.h"
#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

class Catalog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = std::make_unique<ServiceProcess>(); }
  static void TearDownTestSuite() { service_.reset(); }
  void SetUp() override { ASSERT_TRUE(service_->Running()); }
  static std::string Ask(const std::string& endpoint, const std::string& text) {
    return Call(service_->Port(), endpoint, text);
  }
  static std::unique_ptr<ServiceProcess> service_;
};
std::unique_ptr<ServiceProcess> Catalog::service_;

TEST_F(Catalog, SupplierLookupGivesTheLoginFields) {
  const std::string demo =
      Ask("KorvanMember", MakeTag("COMMAND", "100000") + Same("M_ID", "DEMO"));
  EXPECT_EQ(TagValue("RESULT_CODE", demo), "1");
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", demo), 1);
  const std::string r = TagValue("RDC_0", demo);
  EXPECT_EQ(TagValue("M_CODE", r), "S00001");
  EXPECT_EQ(TagValue("M_MGU", r), "1");
  EXPECT_EQ(TagValue("M_DBTYPE", r), "1");
  EXPECT_EQ(TagValue("M_BIGO", r), "타르빅 자동차부품 (데모)");

  EXPECT_EQ(TagValue("M_MGU", Ask("KorvanMember", MakeTag("COMMAND", "100000") +
                                                     Same("M_ID", "CLOSED"))),
            "0");
  EXPECT_EQ(TagValue("M_DBTYPE", Ask("KorvanMember", MakeTag("COMMAND", "100000") +
                                                        Same("M_ID", "OLDDB"))),
            "0");
  // Unknown: success with no record (the client tells "not registered" from a read error).
  const std::string none =
      Ask("KorvanMember", MakeTag("COMMAND", "100000") + Same("M_ID", "NOBODY"));
  EXPECT_EQ(TagValue("RESULT_CODE", none), "1");
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", none), 0);
  // Without the ID condition the supplier list is not handed out.
  EXPECT_NE(TagValue("RESULT_CODE", Ask("KorvanMember", MakeTag("COMMAND", "100000"))), "1");
}

TEST_F(Catalog, OrdererLookupIsPerSupplierAndNeedsTheId) {
  const std::string r = Ask("Customer", Full("100200", "S00001", Same("C_ID", "SHOP1")));
  ASSERT_EQ(TagValue("RESULT_CODE", r), "1");
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", r), 1);
  const std::string rec = TagValue("RDC_0", r);
  EXPECT_EQ(TagValue("C_CODE", rec), "C00001");
  EXPECT_EQ(TagValue("C_NAME", rec), "한빛카센터");
  EXPECT_EQ(TagValue("C_SS", rec), "1234");
  EXPECT_EQ(TagValue("C_GU", rec), "1");

  const std::string fresh = Ask("Customer", Full("100200", "S00001", Same("C_ID", "NEWSHOP")));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", fresh), 1);
  EXPECT_EQ(TagValue("C_SS", TagValue("RDC_0", fresh)), "");
  // SHOP2 is DEMO's orderer only.
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   Ask("Customer", Full("100200", "S00002", Same("C_ID", "SHOP2")))),
            0);
  // No ID, an unknown DB_KEY or no DB_KEY: refused (the record holds the password).
  EXPECT_NE(TagValue("RESULT_CODE", Ask("Customer", Full("100200", "S00001", ""))), "1");
  EXPECT_NE(TagValue("RESULT_CODE", Ask("Customer", Full("100200", "S09999", Same("C_ID", "SHOP1")))),
            "1");
  EXPECT_NE(TagValue("RESULT_CODE",
                     Ask("Customer", MakeTag("COMMAND", "100200") + Same("C_ID", "SHOP1"))),
            "1");
}

TEST_F(Catalog, AllProductsComeSortedByCategoryWithTheOrderersCosts) {
  const std::string r = Ask("Good", Full("100106", "S00001",
                                         MakeTag("C_CODE", "C00001") + Like("G_NAME", "%") +
                                             OrderBy(kGoodsOrder)));
  ASSERT_EQ(TagValue("RESULT_CODE", r), "1");
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", r), 2500);
  ReplyReader reader(r);
  std::set<std::string> majors, pairs, barcodes, codes;
  std::string lastMajor, lastPair;
  int priced = 0;
  for (int i = 0; i < 2500; ++i) {
    const std::string rec = reader.Record(i);
    const std::string major = TagValue("G_GPN1", rec);
    const std::string pair = major + "/" + TagValue("G_GPN2", rec);
    // Each major and each pair arrives in one run.
    if (major != lastMajor) {
      EXPECT_TRUE(majors.insert(major).second) << major;
    }
    if (pair != lastPair) {
      EXPECT_TRUE(pairs.insert(pair).second) << pair;
    }
    lastMajor = major;
    lastPair = pair;
    const std::string bc = TagValue("G_BCODE", rec);
    EXPECT_EQ(bc.size(), 13u);
    barcodes.insert(bc);
    codes.insert(TagValue("G_CODE", rec));
    if (!TagValue("U_COST", rec).empty()) {
      ++priced;
      EXPECT_EQ(TagValue("U_DATE", rec).size(), 6u);
    }
  }
  EXPECT_GE(majors.size(), 30u);
  EXPECT_GE(pairs.size(), 200u);
  EXPECT_EQ(barcodes.size(), 2500u);
  EXPECT_EQ(codes.size(), 2500u);
  EXPECT_EQ(priced, 300);
  const std::string first = reader.Record(0);
  EXPECT_EQ(TagValue("G_CODE", first), "P00001");
  EXPECT_EQ(TagValue("G_NAME", first), "피스톤 앞 (쏘나타)");
  EXPECT_EQ(TagValue("G_BCODE", first), "8801230000011");

  // Another orderer sees the same products with its own (here: no) prices.
  const std::string newshop = Ask("Good", Full("100106", "S00001",
                                               MakeTag("C_CODE", "C00003") + Like("G_NAME", "%") +
                                                   OrderBy(kGoodsOrder)));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", newshop), 2500);
  EXPECT_EQ(newshop.find("<U_COST>1"), std::string::npos);
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   Ask("Good", Full("100106", "S00002", MakeTag("C_CODE", "C00001") +
                                                            Like("G_NAME", "%")))),
            3100);
}

TEST_F(Catalog, LikeMatchesOnlyPercentAsWildcard) {
  auto count = [](const std::string& key) {
    return TagInt("RESULT_RECORD_COUNT",
                  Ask("Good", Full("100106", "S00001", Like("G_NAME", key))));
  };
  EXPECT_EQ(count("%(쏘나타)%"), 208);
  EXPECT_EQ(count("피스톤 앞 (쏘나타)"), 1);
  EXPECT_EQ(count("피스톤_앞%"), 0);  // '_' is a plain character here
  EXPECT_EQ(count("브레이크 패드%"), 11);
}

TEST_F(Catalog, TradedProductsAreTheUnitCostRows) {
  const std::string r = Ask("UCost", Short("100300", "S00001",
                                           Same("U_CC", "C00001") + OrderBy(kGoodsOrder)));
  ASSERT_EQ(TagValue("RESULT_CODE", r), "1");
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", r), 300);
  ReplyReader reader(r);
  const std::string rec = reader.Record(0);
  EXPECT_EQ(TagValue("G_CODE", rec), "P00002");
  EXPECT_FALSE(TagValue("G_NAME", rec).empty());
  EXPECT_FALSE(TagValue("U_COST", rec).empty());
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   Ask("UCost", Short("100300", "S00001", Same("U_CC", "C00002")))),
            120);
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   Ask("UCost", Short("100300", "S00001", Same("U_CC", "C00003")))),
            0);
  // Everybody's prices at once are not handed out.
  EXPECT_NE(TagValue("RESULT_CODE", Ask("UCost", Short("100300", "S00001", ""))), "1");
}

TEST_F(Catalog, ProductByCodeNotesAndCarLists) {
  const std::string g = Ask("Good", Full("100102", "S00001", Same("G_CODE", "P00100")));
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", g), 1);
  EXPECT_EQ(TagValue("G_NAME", g), "브레이크 디스크 뒤 (스타렉스)");
  EXPECT_EQ(TagValue("G_BOX", g), "EA");
  EXPECT_EQ(TagValue("G_BCNT", g), "1");
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT",
                   Ask("Good", Full("100102", "S00001", Same("G_CODE", "NOPE")))),
            0);

  const std::string notices = Ask("GMemo", Full("100102", "S00001", MakeTag("GM_GC", "999999") +
                                                                       OrderBy("GM_NO ASC")));
  ASSERT_EQ(TagInt("RESULT_RECORD_COUNT", notices), 3);
  EXPECT_EQ(TagValue("GM_NOTE", TagValue("RDC_0", notices)),
            "타르빅 자동차부품 발주 시스템에 오신 것을 환영합니다.");
  const std::string note = Ask("GMemo", Full("100102", "S00001", MakeTag("GM_GC", "P00001") +
                                                                    OrderBy("GM_NO ASC")));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", note), 3);
  EXPECT_EQ(TagValue("GM_NOTE", TagValue("RDC_0", note)), "제품명: 피스톤 앞 (쏘나타)");
  EXPECT_EQ(TagValue("GM_NO", TagValue("RDC_2", note)), "3");

  const std::string makes = Ask("CarMake", Full("100102", "S00001", Like("CM_NAME", "%") +
                                                                        OrderBy("CM_CODE ASC")));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", makes), 10);
  EXPECT_EQ(TagValue("CM_NAME", TagValue("RDC_1", makes)), "BMW");
  const std::string groups = Ask("CarGroup", Full("100102", "S00001", Like("CG_NAME", "%") +
                                                                          OrderBy("CG_CODE ASC")));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", groups), 15);
  EXPECT_EQ(TagValue("CG_CODE", TagValue("RDC_0", groups)), "01");

  // BMW ("02") brake pads ("01"): 10 part numbers, 2 of each model.
  const std::string byModel =
      Ask("CarPartNum", Full("100102", "S00001", Same("CPN_GROUP", "01") + Same("CPN_MAKE", "02") +
                                                    Like("CPN_NAME", "320I%") +
                                                    OrderBy("CPN_NAME ASC")));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", byModel), 2);
  const std::string byBody =
      Ask("CarPartNum", Full("100102", "S00001", Same("CPN_GROUP", "01") + Same("CPN_MAKE", "02") +
                                                    Like("CPN_BODY", "%WBA%") +
                                                    OrderBy("CPN_BODY ASC")));
  EXPECT_EQ(TagInt("RESULT_RECORD_COUNT", byBody), 10);
  EXPECT_EQ(TagValue("CPN_BODY", TagValue("RDC_0", byBody)).size(), 17u);
}

TEST_F(Catalog, UpdateFilesAreServedButNothingOutsideTheFolder) {
  EXPECT_EQ(Get(service_->Port(), "/update/tkclienti.ini").status, 404);  // no update folder
  EXPECT_EQ(Get(service_->Port(), "/elsewhere").status, 404);
}

}  // namespace
}  // namespace tarvik::test
