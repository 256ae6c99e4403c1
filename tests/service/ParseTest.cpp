// The service's own parsers, called directly.
#include <gtest/gtest.h>

#include "service/CatalogImport.h"
#include "service/Conditions.h"
#include "service/Wire.h"

namespace tarvik::service {
namespace {

TEST(ScanElements, KeepsRecordsWholeAndSkipsLooseText) {
  std::vector<Element> els;
  ASSERT_TRUE(ScanElements(" OH_CC = 'C1' <A>1</A><ORDERL_DATA><OLD_0><A>2</A></OLD_0></ORDERL_DATA>"
                           "x < y <B></B>",
                           els, 10, nullptr));
  ASSERT_EQ(els.size(), 3u);
  EXPECT_EQ(els[0].name, "A");
  EXPECT_EQ(els[1].value, "<OLD_0><A>2</A></OLD_0>");
  EXPECT_EQ(els[2].name, "B");
  EXPECT_EQ(els[2].value, "");
  EXPECT_FALSE(ScanElements("<A>1</A><B>2", els, 10, nullptr));
  EXPECT_FALSE(ScanElements("<A>1</A><B>2</B>", els, 1, nullptr));
}

TEST(WhereOption, ReadsTheClientsConditionAndNothingElse) {
  const FieldMap fields = {{"OH_CC", "OH_CC"}, {"OH_SG", "OH_SG"}};
  std::map<std::string, std::string> t;
  ASSERT_TRUE(ParseWhereOption(" OH_CC = 'C00001' AND OH_SG='1' ", fields, t, nullptr));
  EXPECT_EQ(t["OH_CC"], "C00001");
  EXPECT_EQ(t["OH_SG"], "1");
  ASSERT_TRUE(ParseWhereOption("OH_CC='한빛' and\tOH_SG = ''", fields, t, nullptr));
  EXPECT_EQ(t["OH_CC"], "한빛");
  EXPECT_EQ(t["OH_SG"], "");
  EXPECT_FALSE(ParseWhereOption("OH_CC='a' ANDOH_SG='1'", fields, t, nullptr));
  EXPECT_FALSE(ParseWhereOption("OH_CC='a' AND (OH_SG='1')", fields, t, nullptr));
}

TEST(OrderBy, BecomesWhitelistedColumns) {
  Request req;
  req.elements = {{"ORDERBY", "G_NAME DESC, G_CODE"}};
  SqlFilter f;
  ASSERT_TRUE(SetOrderBy(req, {{"G_NAME", "G.G_NAME"}, {"G_CODE", "G.G_CODE"}}, "X", f, nullptr));
  EXPECT_EQ(f.orderBy, " ORDER BY G.G_NAME DESC, G.G_CODE ASC");
  req.elements = {};
  ASSERT_TRUE(SetOrderBy(req, {}, "G.G_SORT", f, nullptr));
  EXPECT_EQ(f.orderBy, " ORDER BY G.G_SORT");
  EXPECT_EQ(LikePattern("a_b\\%"), "a\\_b\\\\%");
}

TEST(CatalogueCsv, DerivesSortKeysFromTheFileOrder) {
  std::vector<CatalogueRow> rows;
  ASSERT_TRUE(ParseCatalogueCsv("A1,\"패드\r\n두 줄\",EA,1,1,제동,패드\n"
                                "A2,디스크,EA,2,1,제동,디스크\n"
                                "A3,필터,EA,3,1,필터,오일\n"
                                "A4,패드2,EA,4,1,제동,패드",
                                rows, nullptr));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].name, "패드\r\n두 줄");
  // (major, minor, position) keys: 제동/패드 = 001/001, 제동/디스크 = 001/002, 필터 = 002/001.
  EXPECT_EQ(rows[0].sort1 + rows[0].sort2 + rows[0].sort, "00100100001");
  EXPECT_EQ(rows[1].sort1 + rows[1].sort2 + rows[1].sort, "00100200001");
  EXPECT_EQ(rows[2].sort1 + rows[2].sort2 + rows[2].sort, "00200100001");
  EXPECT_EQ(rows[3].sort1 + rows[3].sort2 + rows[3].sort, "00100100002");
  ASSERT_TRUE(ParseCatalogueCsv("B1,이름,EA,1,1,대,소,9,8,7\r\n", rows, nullptr));
  EXPECT_EQ(rows[0].sort1 + rows[0].sort2 + rows[0].sort, "987");
  std::string error;
  EXPECT_FALSE(ParseCatalogueCsv("B1,이름,EA\n", rows, &error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(ParseCatalogueCsv("B1,\xFF,EA,1,1,대,소\n", rows, nullptr));
}

}  // namespace
}  // namespace tarvik::service
