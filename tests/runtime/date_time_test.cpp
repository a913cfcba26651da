#include "runtime/date_time.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(DateTime, BreaksDownAroundDayZero) {
  struct Case {
    double days;
    CivilTime expected;
  } cases[] = {
      {0, {1899, 12, 30, 0, 0, 0}},
      {-1.25, {1899, 12, 29, 6, 0, 0}},  // before day 0 the fraction's size is the time
      {-0.5, {1899, 12, 30, 12, 0, 0}},
      {39569 + 50709.0 / 86400, {2008, 5, 1, 14, 5, 9}},
      {3000000, {9999, 12, 31, 0, 0, 0}},  // clamped
      {-700000, {100, 1, 1, 0, 0, 0}},
      {1.9999999999, {1900, 1, 1, 0, 0, 0}},  // rounds to the next midnight
  };
  for (const auto& c : cases) EXPECT_EQ(BreakDown(c.days), c.expected) << c.days;
}

TEST(DateTime, MakeIsTheInverseOfBreakDown) {
  for (double days : {0.0, 39569.25, -1.25, -657434.0, 2958465.0, -12345.75}) {
    EXPECT_DOUBLE_EQ(MakeDateTime(BreakDown(days)), days) << days;
  }
}

TEST(DateTime, LinearDaysOrdersTimesBeforeDayZero) {
  // 1899-12-29 06:00 comes before 1899-12-29 18:00, although -1.25 > -1.75.
  EXPECT_LT(LinearDays(-1.25), LinearDays(-1.75));
  EXPECT_LT(LinearDays(-1.75), LinearDays(0));
  EXPECT_DOUBLE_EQ(LinearDays(-1.25), -0.75);
  EXPECT_DOUBLE_EQ(LinearDays(5.5), 5.5);
  EXPECT_DOUBLE_EQ(LinearDays(4e6), kLastDay);
}

TEST(DateTime, MonthLengths) {
  EXPECT_EQ(DaysInMonth(2008, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2009, 4), 30);
}

}  // namespace
}  // namespace runtime
