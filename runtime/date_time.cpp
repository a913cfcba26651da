#include "runtime/date_time.h"

#include <cmath>

namespace runtime {
namespace {

constexpr int kSecondsPerDay = 86400;

// Days from 1970-01-01 to the given proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

// The date of a day count from 1970-01-01.
void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

const long long kDayZero = DaysFromCivil(1899, 12, 30);

}  // namespace

double ClampDate(double days) {
  if (std::isnan(days)) return 0;
  if (days < kFirstDay) return kFirstDay;
  if (days > kLastDay) return kLastDay;
  return days;
}

DayAndSeconds SplitDays(double days) {
  days = ClampDate(days);
  double whole = std::trunc(days);
  long long day = static_cast<long long>(whole);
  long long seconds = std::llround(std::fabs(days - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    // Rounded up to the next midnight: the next calendar day.
    seconds -= kSecondsPerDay;
    ++day;
  }
  return {day, seconds};
}

CivilTime BreakDown(double days) {
  const auto [day, seconds] = SplitDays(days);
  CivilTime time;
  CivilFromDays(kDayZero + day, time.year, time.month, time.day);
  time.hour = static_cast<int>(seconds / 3600);
  time.minute = static_cast<int>(seconds / 60 % 60);
  time.second = static_cast<int>(seconds % 60);
  return time;
}

double MakeDateTime(const CivilTime& time) {
  double day = static_cast<double>(
      DaysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)) -
      kDayZero);
  double fraction = (time.hour * 3600.0 + time.minute * 60.0 + time.second) / kSecondsPerDay;
  return day >= 0 ? day + fraction : day - fraction;
}

double LinearDays(double days) {
  days = ClampDate(days);
  if (days >= 0) return days;
  double whole = std::trunc(days);
  return whole + (whole - days);
}

double FromLocalTime(const platform::LocalTime& time) {
  return MakeDateTime({time.year, time.month, time.day, time.hour, time.minute, time.second});
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace runtime
