// Date-times: a double counting days since 1899-12-30 00:00, the fraction
// being the time of day. Before day 0 the whole part is the day and the
// fraction's size the time of day (-1.25 is 1899-12-29 06:00).
#pragma once

#include "platform/services.h"

namespace runtime {

constexpr double kFirstDay = -657434;  // 0100-01-01
constexpr double kLastDay = 2958465;   // 9999-12-31

// `days` brought into kFirstDay..kLastDay.
double ClampDate(double days);

// Calendar fields of a date-time (after clamping), by the proleptic
// Gregorian calendar; seconds rounded to the nearest whole second.
struct CivilTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  friend bool operator==(const CivilTime&, const CivilTime&) = default;
};
CivilTime BreakDown(double days);

// The day BreakDown shows `days` on (counted from 1899-12-30) and the
// seconds into it, after rounding to the second.
struct DayAndSeconds {
  long long day = 0;
  long long seconds = 0;
};
DayAndSeconds SplitDays(double days);

// The date-time of the given fields. Fields out of range are not checked
// here; callers build valid dates.
double MakeDateTime(const CivilTime& time);

// A date-time as a position on one straight line of days, for comparisons:
// clamped, and before day 0 the fraction counts forwards.
double LinearDays(double days);

// The date-time of a platform clock reading.
double FromLocalTime(const platform::LocalTime& time);

// True in Gregorian leap years; days of a month.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

}  // namespace runtime
