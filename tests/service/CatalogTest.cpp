// Log-in and catalogue commands through the client's request functions against
// the real service with the demo data. What the log-in, the main screen, the
// part search and the category browser show of these replies is their tests'
// (tests/app, tests/catalog); here: what they never ask for or never see.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "net/ServiceRequests.h"
#include "tests/service/Requests.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

// The service the test started: ServiceProcess names it in TARVIK_SERVER.
ServiceLink Link() { return ServiceLinkAtStart(); }

class Catalog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = std::make_unique<ServiceProcess>(); }
  static void TearDownTestSuite() { service_.reset(); }
  void SetUp() override { REQUIRE_RUNNING(*service_); }
  static std::unique_ptr<ServiceProcess> service_;
};
std::unique_ptr<ServiceProcess> Catalog::service_;

TEST_F(Catalog, CountsOfWhatTheScreensNeverAskAndRefusalsOfWhatTheClientMayNotAsk) {
  const std::string pads = Same("CPN_GROUP", "01") + Same("CPN_MAKE", "02");  // BMW brake pads
  const struct {
    const char* what;
    std::string reply;
    long long count;  // -1: refused
  } cases[] = {
      {"the supplier list is not handed out", RequestMember(Link(), "").reply, -1},
      {"another supplier's orderer", RequestCustomer(Link(), "S00002", Same("C_ID", "SHOP2")).reply, 0},
      // The record holds the password.
      {"no orderer ID", RequestCustomer(Link(), "S00001", "").reply, -1},
      {"an unknown DB_KEY", RequestCustomer(Link(), "S09999", Same("C_ID", "SHOP1")).reply, -1},
      {"products of an unknown supplier", RequestGoods(Link(), "S09999", Like("G_NAME", "%")).reply, -1},
      // Only '%' is a wildcard.
      {"%(쏘나타)%", RequestGoods(Link(), "S00001", Like("G_NAME", "%(쏘나타)%")).reply, 208},
      {"a whole name", RequestGoods(Link(), "S00001", Like("G_NAME", "피스톤 앞 (쏘나타)")).reply, 1},
      {"'_' is no wildcard", RequestGoods(Link(), "S00001", Like("G_NAME", "피스톤_앞%")).reply, 0},
      {"a prefix", RequestGoods(Link(), "S00001", Like("G_NAME", "브레이크 패드%")).reply, 11},
      {"C00003 has none", RequestUnitCosts(Link(), "S00001", Same("U_CC", "C00003")).reply, 0},
      {"not everybody's prices at once", RequestUnitCosts(Link(), "S00001", "").reply, -1},
      {"an unknown code", RequestGoodByCode(Link(), "S00001", Same("G_CODE", "NOPE")).reply, 0},
      {"a product without a code", RequestGoodByCode(Link(), "S00001", "").reply, -1},
      {"notes without GM_GC", RequestGoodsMemo(Link(), "S00001", OrderBy("GM_NO ASC")).reply, -1},
      {"car makes by a group's field", RequestCarMakes(Link(), "S00001", Like("CG_NAME", "%")).reply, -1},
      {"car groups ordered by a make's field",
       RequestCarGroups(Link(), "S00001", Like("CG_NAME", "%") + OrderBy("CM_CODE ASC")).reply, -1},
      {"part numbers by product", RequestCarPartNums(Link(), "S00001", pads + Like("CPN_GCODE", "%")).reply, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ok(c.reply), c.count >= 0) << c.what;
    EXPECT_EQ(c.count >= 0 ? Count(c.reply) : -1, c.count) << c.what;
  }
  // The makes of the older system come padded to 20 bytes (the part search
  // shows them without the blanks).
  ExpectTags(TagValue("RDC_10", RequestCarMakes(Link(), "S00001", Like("CM_NAME", "%") + OrderBy("CM_CODE ASC")).reply),
             {{"CM_CODE", "11"}, {"CM_NAME", "포르쉐" + std::string(14, ' ')}});
}

TEST_F(Catalog, AllProductsCarryTheirBarcodesAndOnlyTheOrderersOwnCosts) {
  const std::string all = Like("G_NAME", "%") + OrderBy(kGoodsOrder);
  const std::string r = RequestGoods(Link(), "S00001", MakeTag("C_CODE", "C00001") + all).reply;
  ASSERT_EQ(Count(r), 2525);
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
  const std::string newshop = RequestGoods(Link(), "S00001", MakeTag("C_CODE", "C00003") + all).reply;
  EXPECT_EQ(Count(newshop), 2525);
  EXPECT_EQ(newshop.find("<U_COST>1"), std::string::npos);
  // The traded products are the unit cost rows, whole categories too.
  const std::string traded = RequestUnitCosts(Link(), "S00001", Same("U_CC", "C00001") + OrderBy(kGoodsOrder)).reply;
  ASSERT_EQ(Count(traded), 300);
  EXPECT_TRUE(CountCategoryRuns(traded).whole);
}

}  // namespace
}  // namespace tarvik::test
