// The number format the lists share.
#include <gtest/gtest.h>

#include "screens/CellFormat.h"

namespace tarvik {
namespace {

TEST(CellFormat, GroupedNumbers) {
  EXPECT_EQ(FormatGrouped(1234567.5, 2), "1,234,567.5");
  EXPECT_EQ(FormatGrouped(-1234, 2), "-1,234");
  EXPECT_EQ(FormatGrouped(0.125, 2), "0.13");
  EXPECT_EQ(FormatGrouped(999.999, 2), "1,000");
  EXPECT_EQ(FormatGrouped(12.5, 0), "13");
}

}  // namespace
}  // namespace tarvik
