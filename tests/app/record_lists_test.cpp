#include "app/record_lists.h"

#include <gtest/gtest.h>

#include "app/pickup.h"
#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace {

using platform::operator""_gbk;

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return runtime::MakeDateTime({year, month, day, hour, minute, second});
}

// A range covers its start day's midnight up to, not including, the midnight
// after its end day, so adjacent days never share an order.
TEST(DayRange, CoversWholeDaysAndNoMidnightTwice) {
  const desk::DateRange day = desk::DayRange(At(2026, 12, 1, 15, 30), At(2026, 12, 1, 8));
  const desk::DateRange next = desk::DayRange(At(2026, 12, 2), At(2026, 12, 2));
  struct Case {
    double when;
    bool in_day;
    bool in_next;
  } cases[] = {
      {At(2026, 11, 30, 23, 59, 59), false, false}, {At(2026, 12, 1), true, false},
      {At(2026, 12, 1, 23, 59, 59), true, false},   {At(2026, 12, 2), false, true},
      {At(2026, 12, 2, 0, 0, 1), false, true},      {At(2026, 12, 3), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(day.Contains(c.when), c.in_day) << c.when;
    EXPECT_EQ(next.Contains(c.when), c.in_next) << c.when;
  }
}

TEST(DayRange, EndBeforeStartHoldsNothing) {
  const desk::DateRange range = desk::DayRange(At(2026, 12, 2), At(2026, 12, 1));
  EXPECT_FALSE(range.Contains(At(2026, 12, 2)));
  EXPECT_FALSE(range.Contains(At(2026, 12, 1, 12)));
}

TEST(DateCellText, ShowsADateNeverSetAsADash) {
  EXPECT_EQ(desk::DateCellText(runtime::Value::DateTime(0)), "——"_gbk);
  EXPECT_EQ(desk::DateCellText(runtime::Value::DateTime(At(2026, 12, 1, 9, 30))),
            "2026年12月1日9时30分"_gbk);
  // One second past the zero date-time is a date that was set.
  EXPECT_NE(desk::DateCellText(runtime::Value::DateTime(At(1899, 12, 30, 0, 0, 1))), "——"_gbk);
}

TEST(BalanceDue, IncludesTheShopsFee) {
  struct Case {
    double total, fee, deposit, balance;
  } cases[] = {
      {100, 0, 100, 0}, {100, 0, 30, 70}, {100, 5, 100, 5}, {100, 5, 105, 0}, {50, 0, 60, -10},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(desk::BalanceDue(c.total, c.fee, c.deposit), c.balance);
}

}  // namespace
