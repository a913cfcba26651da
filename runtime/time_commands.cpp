#include "runtime/time_commands.h"

#include <algorithm>
#include <cmath>

#include "platform/services.h"
#include "runtime/date_time.h"

namespace runtime {
namespace {

constexpr double kSecondsPerDay = 86400;

// The inverse of LinearDays: before day 0 the whole part is the day and the
// fraction's size the time of day.
double FromLinearDays(double linear) {
  if (linear >= 0) return linear;
  double day = std::floor(linear);
  double time_of_day = linear - day;
  if (time_of_day == 0) return day;
  return day - time_of_day;
}

// The calendar date `months` months after the date-time, time of day kept.
double AddMonths(double date_time, std::int64_t months) {
  CivilTime t = BreakDown(date_time);
  std::int64_t month_index = std::int64_t{t.year} * 12 + (t.month - 1) + months;
  std::int64_t year = month_index >= 0 ? month_index / 12 : (month_index - 11) / 12;
  // Past either end of the calendar the result is that end.
  if (year < 100) return kFirstDay;
  if (year > 9999) return kLastDay;
  t.year = static_cast<int>(year);
  t.month = static_cast<int>(month_index - year * 12) + 1;
  t.day = std::min(t.day, DaysInMonth(t.year, t.month));
  return ClampDate(MakeDateTime(t));
}

double AddSeconds(double date_time, double seconds) {
  return ClampDate(FromLinearDays(LinearDays(date_time) + seconds / kSecondsPerDay));
}

}  // namespace

double AddToTime(double date_time, std::int32_t unit, std::int32_t amount) {
  if (amount == 0) return date_time;
  auto time_unit = static_cast<TimeUnit>(std::clamp(unit, 1, 8));
  switch (time_unit) {
    case TimeUnit::kYear:
      return AddMonths(date_time, std::int64_t{amount} * 12);
    case TimeUnit::kQuarter:
      return AddMonths(date_time, std::int64_t{amount} * 3);
    case TimeUnit::kMonth:
      return AddMonths(date_time, amount);
    case TimeUnit::kWeek:
      return AddSeconds(date_time, amount * (7 * kSecondsPerDay));
    case TimeUnit::kDay:
      return AddSeconds(date_time, amount * kSecondsPerDay);
    case TimeUnit::kHour:
      return AddSeconds(date_time, amount * 3600.0);
    case TimeUnit::kMinute:
      return AddSeconds(date_time, amount * 60.0);
    case TimeUnit::kSecond:
      return AddSeconds(date_time, amount);
  }
  return date_time;
}

double DateOf(double date_time) {
  CivilTime t = BreakDown(date_time);
  t.hour = t.minute = t.second = 0;
  return MakeDateTime(t);
}

std::int32_t YearOf(double date_time) { return BreakDown(date_time).year; }
std::int32_t MonthOf(double date_time) { return BreakDown(date_time).month; }
std::int32_t DayOf(double date_time) { return BreakDown(date_time).day; }

double Now() { return FromLocalTime(platform::Current().clock->Now()); }

}  // namespace runtime
