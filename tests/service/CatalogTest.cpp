// Log-in and catalogue commands through the client's request functions against
// the real service with the demo data. The screens' tests drive the same
// replies through the log-in, the main screen and the part search; here:
// what they count and what is refused.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "net/ServiceRequests.h"
#include "tests/service/Requests.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

class Catalog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = std::make_unique<ServiceProcess>(); }
  static void TearDownTestSuite() { service_.reset(); }
  void SetUp() override { REQUIRE_RUNNING(*service_); }
  static std::unique_ptr<ServiceProcess> service_;
};
std::unique_ptr<ServiceProcess> Catalog::service_;

std::string Record0(const std::string& reply, const std::string& field) {
  return TagValue(field, TagValue("RDC_0", reply));
}

TEST_F(Catalog, RepliesHoldWhatTheClientReadsAndRefuseWhatItMayNotAsk) {
  const std::string pads = Same("CPN_GROUP", "01") + Same("CPN_MAKE", "02");  // BMW brake pads
  const struct {
    const char* what;
    std::string reply;
    long long count;  // -1: refused
  } cases[] = {
      {"unknown member: success with no record", RequestMember(Same("M_ID", "NOBODY")), 0},
      {"the supplier list is not handed out", RequestMember(""), -1},
      {"another supplier's orderer", RequestCustomer("S00002", Same("C_ID", "SHOP2")), 0},
      // The record holds the password.
      {"no orderer ID", RequestCustomer("S00001", ""), -1},
      {"an unknown DB_KEY", RequestCustomer("S09999", Same("C_ID", "SHOP1")), -1},
      {"all of S00002", RequestGoods("S00002", MakeTag("C_CODE", "C00001") + Like("G_NAME", "%")), 3100},
      {"products of an unknown supplier", RequestGoods("S09999", Like("G_NAME", "%")), -1},
      // Only '%' is a wildcard.
      {"%(쏘나타)%", RequestGoods("S00001", Like("G_NAME", "%(쏘나타)%")), 208},
      {"a whole name", RequestGoods("S00001", Like("G_NAME", "피스톤 앞 (쏘나타)")), 1},
      {"'_' is no wildcard", RequestGoods("S00001", Like("G_NAME", "피스톤_앞%")), 0},
      {"a prefix", RequestGoods("S00001", Like("G_NAME", "브레이크 패드%")), 11},
      {"C00002's prices", RequestUnitCosts("S00001", Same("U_CC", "C00002")), 120},
      {"C00003 has none", RequestUnitCosts("S00001", Same("U_CC", "C00003")), 0},
      {"not everybody's prices at once", RequestUnitCosts("S00001", ""), -1},
      {"an unknown code", RequestGoodByCode("S00001", Same("G_CODE", "NOPE")), 0},
      {"a product without a code", RequestGoodByCode("S00001", ""), -1},
      {"notes without GM_GC", RequestGoodsMemo("S00001", OrderBy("GM_NO ASC")), -1},
      {"car makes by a group's field", RequestCarMakes("S00001", Like("CG_NAME", "%")), -1},
      {"car groups ordered by a make's field", RequestCarGroups("S00001", Like("CG_NAME", "%") + OrderBy("CM_CODE ASC")), -1},
      {"BMW 320I pads", RequestCarPartNums("S00001", pads + Like("CPN_NAME", "320I%") + OrderBy("CPN_NAME ASC")), 2},
      {"part numbers by product", RequestCarPartNums("S00001", pads + Like("CPN_GCODE", "%")), -1},
      {"car makes", RequestCarMakes("S00001", Like("CM_NAME", "%")), 40},
      {"car groups", RequestCarGroups("S00001", Like("CG_NAME", "%")), 15},
      {"a product's notes", RequestGoodsMemo("S00001", MakeTag("GM_GC", "P00001")), 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ok(c.reply), c.count >= 0) << c.what;
    EXPECT_EQ(c.count >= 0 ? Count(c.reply) : -1, c.count) << c.what;
  }
  ExpectTags(TagValue("RDC_0", RequestMember(Same("M_ID", "DEMO"))),
             {{"M_CODE", "S00001"}, {"M_MGU", "1"}, {"M_DBTYPE", "1"}, {"M_BIGO", "타르빅 자동차부품 (데모)"}});
  EXPECT_EQ(Record0(RequestMember(Same("M_ID", "CLOSED")), "M_MGU"), "0");
  EXPECT_EQ(Record0(RequestMember(Same("M_ID", "OLDDB")), "M_DBTYPE"), "0");
  ExpectTags(TagValue("RDC_0", RequestCustomer("S00001", Same("C_ID", "SHOP1"))),
             {{"C_CODE", "C00001"}, {"C_NAME", "한빛카센터"}, {"C_SS", "1234"}, {"C_GU", "1"}});
  EXPECT_EQ(Record0(RequestCustomer("S00001", Same("C_ID", "NEWSHOP")), "C_SS"), "");
  // The makes of the older system come padded to 20 bytes.
  ExpectTags(TagValue("RDC_10", RequestCarMakes("S00001", Like("CM_NAME", "%") + OrderBy("CM_CODE ASC"))),
             {{"CM_CODE", "11"}, {"CM_NAME", "포르쉐" + std::string(14, ' ')}});
}

TEST_F(Catalog, AllProductsComeSortedByCategoryWithTheOrderersCosts) {
  const std::string all = Like("G_NAME", "%") + OrderBy(kGoodsOrder);
  const std::string r = RequestGoods("S00001", MakeTag("C_CODE", "C00001") + all);
  ASSERT_EQ(Count(r), 2525);
  // One major comes back after the others: 엔진부품 with the long minor name.
  const CategoryRuns runs = CountCategoryRuns(r);
  EXPECT_EQ(runs.broken, "엔진부품/EGR 밸브 (배기가스 재순환 장치)");
  EXPECT_GE(runs.majors, 30u);
  EXPECT_GE(runs.pairs, 200u);
  ReplyReader reader(r);
  std::set<std::string> barcodes;
  int priced = 0;
  for (int i = 0; i < 2525; ++i) {
    const std::string rec = reader.Record(i);
    EXPECT_EQ(TagValue("G_BCODE", rec).size(), 13u);
    barcodes.insert(TagValue("G_BCODE", rec));
    if (TagValue("U_COST", rec).empty()) continue;
    ++priced;
    EXPECT_EQ(TagValue("U_DATE", rec).size(), 6u);
  }
  EXPECT_EQ(barcodes.size(), 2525u);
  EXPECT_EQ(priced, 300);
  ExpectTags(TagValue("RDC_0", r), {{"G_CODE", "P00001"}, {"G_NAME", "피스톤 앞 (쏘나타)"}, {"G_BCODE", "8801230000011"}});
  // Another orderer sees the same products with its own (here: no) prices.
  const std::string newshop = RequestGoods("S00001", MakeTag("C_CODE", "C00003") + all);
  EXPECT_EQ(Count(newshop), 2525);
  EXPECT_EQ(newshop.find("<U_COST>1"), std::string::npos);
  // The traded products are the unit cost rows, whole categories too.
  const std::string traded = RequestUnitCosts("S00001", Same("U_CC", "C00001") + OrderBy(kGoodsOrder));
  ASSERT_EQ(Count(traded), 300);
  EXPECT_TRUE(CountCategoryRuns(traded).whole);
  EXPECT_EQ(Record0(traded, "G_CODE"), "P00002");
  EXPECT_FALSE(Record0(traded, "G_NAME").empty() || Record0(traded, "U_COST").empty());
}

}  // namespace
}  // namespace tarvik::test
