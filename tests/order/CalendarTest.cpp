// The start day of the delivery-date calendar and the code it hands back.
#include <gtest/gtest.h>

#include "order/UCA.h"

namespace tarvik {
namespace {

TEST(Calendar, StartsOnAValidTextOtherwiseToday) {
  const QDate today(2026, 12, 6);
  EXPECT_EQ(CalendarStartDate("990101", today), QDate(2099, 1, 1));
  EXPECT_EQ(CalendarStartDate("080229", today), QDate(2008, 2, 29));
  EXPECT_EQ(CalendarStartDate("071301", today), today);
  EXPECT_EQ(CalendarStartDate("070230", today), today);
  EXPECT_EQ(CalendarStartDate("070229", today), today);
  EXPECT_EQ(CalendarStartDate("", today), today);
  EXPECT_EQ(CalendarStartDate("      ", today), today);
  EXPECT_EQ(CalendarStartDate("12ab56", today), today);
  EXPECT_EQ(PickCodeOf(QDate(2010, 3, 5)), "100305");
  EXPECT_EQ(PickCodeOf(QDate(2007, 1, 18)), "070118");
}

}  // namespace
}  // namespace tarvik
