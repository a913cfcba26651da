// The date-time commands. Every one first brings its date-time into the
// range 0100-01-01 ... 9999-12-31.
#pragma once

#include <cstdint>

namespace runtime {

// Units of AddToTime.
enum class TimeUnit : std::int32_t {
  kYear = 1,
  kQuarter = 2,
  kMonth = 3,
  kWeek = 4,
  kDay = 5,
  kHour = 6,
  kMinute = 7,
  kSecond = 8
};

// `date_time` moved by `amount` units (a unit above 8 counts as 8, below 1 as
// 1). Years, quarters and months move the calendar date and keep the time of
// day, the day held to the last day of the resulting month (31 January plus
// one month is the last day of February); a year beyond 100-9999 gives the
// first or last day of the range. Weeks, days, hours, minutes and seconds
// add a span of time. An amount of 0 returns `date_time` unchanged.
double AddToTime(double date_time, std::int32_t unit, std::int32_t amount);

// The same day at 00:00:00.
double DateOf(double date_time);

// Year; month 1-12; day of the month 1-31.
std::int32_t YearOf(double date_time);
std::int32_t MonthOf(double date_time);
std::int32_t DayOf(double date_time);

// The platform clock's local time, whole seconds.
double Now();

}  // namespace runtime
