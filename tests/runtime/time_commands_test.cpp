#include "runtime/time_commands.h"

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "runtime/date_time.h"

namespace runtime {
namespace {

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return MakeDateTime({y, mo, d, h, mi, s});
}

TEST(AddToTime, CalendarAndSpanUnits) {
  struct Case {
    double from;
    std::int32_t unit, amount;
    CivilTime expected;
  } cases[] = {
      {At(2008, 1, 31), 3, 1, {2008, 2, 29, 0, 0, 0}},  // day held to the month's end
      {At(2009, 1, 31), 3, 1, {2009, 2, 28, 0, 0, 0}},
      {At(2008, 1, 31), 5, -1, {2008, 1, 30, 0, 0, 0}},
      {At(2008, 2, 29, 10, 30), 1, 1, {2009, 2, 28, 10, 30, 0}},
      {At(2008, 2, 29), 1, 4, {2012, 2, 29, 0, 0, 0}},
      {At(2008, 11, 30), 2, 1, {2009, 2, 28, 0, 0, 0}},  // a quarter is three months
      {At(2008, 3, 31), 3, -1, {2008, 2, 29, 0, 0, 0}},
      {At(2008, 1, 15), 3, -13, {2006, 12, 15, 0, 0, 0}},
      {At(2008, 1, 15), 3, 24, {2010, 1, 15, 0, 0, 0}},
      {At(2008, 5, 1), 4, 2, {2008, 5, 15, 0, 0, 0}},
      {At(2008, 5, 1, 23, 0), 6, 24, {2008, 5, 2, 23, 0, 0}},
      {At(2008, 5, 1, 23, 59, 59), 8, 1, {2008, 5, 2, 0, 0, 0}},
      {At(2008, 5, 1), 7, -1, {2008, 4, 30, 23, 59, 0}},
      {At(2008, 5, 1), 99, 1, {2008, 5, 1, 0, 0, 1}},  // above 8 counts as seconds
      {At(2008, 5, 1), -4, 1, {2009, 5, 1, 0, 0, 0}},  // below 1 counts as years
      // Before day 0 spans still move forward in time.
      {-1.25, 6, 6, {1899, 12, 29, 12, 0, 0}},
      {-1.25, 6, 20, {1899, 12, 30, 2, 0, 0}},
      {At(1899, 12, 30, 2), 6, -4, {1899, 12, 29, 22, 0, 0}},
      // Past either end of the calendar.
      {At(9999, 12, 15), 3, 1, {9999, 12, 31, 0, 0, 0}},
      {At(100, 1, 15), 1, -1, {100, 1, 1, 0, 0, 0}},
      {At(9999, 12, 31), 5, 1, {9999, 12, 31, 0, 0, 0}},
      {At(2008, 1, 1), 1, 2147483647, {9999, 12, 31, 0, 0, 0}},
      {At(2008, 1, 1), 4, -2147483647, {100, 1, 1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    CivilTime t = BreakDown(AddToTime(c.from, c.unit, c.amount));
    EXPECT_EQ(t, c.expected) << "from " << c.from << " unit " << c.unit << " by " << c.amount
                             << ": " << t.year << "-" << t.month << "-" << t.day << " " << t.hour
                             << ":" << t.minute << ":" << t.second;
  }
}

TEST(AddToTime, AmountZeroChangesNothing) {
  EXPECT_EQ(AddToTime(39569.123456789, 3, 0), 39569.123456789);
  EXPECT_EQ(AddToTime(5e6, 5, 0), 5e6);
}

TEST(AddToTime, TwentyFourHoursIsExactlyOneDay) {
  // The fund statistics take DateOf(AddToTime(end, hours, 24)) as the end bound.
  EXPECT_EQ(AddToTime(At(2008, 5, 1), 6, 24), At(2008, 5, 2));
  EXPECT_EQ(DateOf(AddToTime(At(2008, 5, 1, 13, 14, 15), 6, 24)), At(2008, 5, 2));
}

TEST(DateParts, OfClampedDateTimes) {
  double t = At(2008, 5, 1, 14, 5, 9);
  EXPECT_EQ(DateOf(t), At(2008, 5, 1));
  EXPECT_EQ(YearOf(t), 2008);
  EXPECT_EQ(MonthOf(t), 5);
  EXPECT_EQ(DayOf(t), 1);
  EXPECT_EQ(DateOf(-1.25), -1);
  EXPECT_EQ(DayOf(-1.25), 29);
  EXPECT_EQ(DateOf(3000000), kLastDay);
  EXPECT_EQ(YearOf(3000000), 9999);
  EXPECT_EQ(YearOf(-700000), 100);
  EXPECT_EQ(MonthOf(-700000), 1);
}

TEST(Now, ComesFromThePlatformClock) {
  platform::FixedClock clock({2008, 5, 1, 14, 5, 9});
  platform::ScopedServices services({&clock, nullptr, nullptr});
  EXPECT_EQ(Now(), At(2008, 5, 1, 14, 5, 9));
  clock.Set({1999, 12, 31, 23, 59, 59});
  EXPECT_EQ(Now(), At(1999, 12, 31, 23, 59, 59));
}

}  // namespace
}  // namespace runtime
