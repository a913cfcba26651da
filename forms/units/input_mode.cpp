#include "forms/units/input_mode.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/date_time.h"

namespace forms {
namespace {

using platform::operator""_gbk;

bool AcceptsByte(int mode, unsigned char c) {
  if (c < 0x20) return true;
  bool digit = c >= '0' && c <= '9';
  switch (mode) {
    case 0:
    case 11:
      return true;
    case 4:
    case 9:
    case 10:
      return digit || c == '-' || c == '.';
    case 5:
      return digit;
    case 6:
    case 7:
    case 8:
      return digit || c == '-';
    default:  // read-only, and modes without typing rules
      return mode != kReadOnlyMode && (mode < 0 || mode > 11);
  }
}

// The leading integer of `text` (blanks, sign, digits), saturated to the
// 64-bit range; 0 when there is none.
std::int64_t LeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Work in the negative range, which holds one more value.
  std::int64_t value = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    int digit = text[i] - '0';
    if (value < (kMin + digit) / 10) {
      value = kMin;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
      break;
    }
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::string ShownNumber(std::string text) { return text == "0" ? std::string() : text; }

// Reads exactly `count` integers laid out by `format`, filling the fields of
// `time` in order (year first); the whole text must be used.
bool ReadFields(std::string_view text, const char* format, int count, runtime::CivilTime& time) {
  std::string copy(text);
  int fields[6] = {0, 0, 0, 0, 0, 0};
  int used = -1;
  int unused = 0;
  int* targets[7];
  for (int i = 0; i < 7; ++i) targets[i] = i < count ? &fields[i] : i == count ? &used : &unused;
  std::string with_end = std::string(format) + "%n";
  int got = std::sscanf(copy.c_str(), with_end.c_str(), targets[0], targets[1], targets[2],
                        targets[3], targets[4], targets[5], targets[6]);
  if (got != count || used < 0 || static_cast<std::size_t>(used) != copy.size()) return false;
  time = {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
  return true;
}

bool IsValid(const runtime::CivilTime& t) {
  return t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= runtime::DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 &&
         t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

}  // namespace

std::string FilterTyped(int mode, std::string_view typed) {
  std::string kept;
  for (std::size_t i = 0; i < typed.size();) {
    std::size_t length = platform::CharLength(typed, i);
    bool accepted = length == 2 ? (mode == 0 || mode == 11)
                                : AcceptsByte(mode, static_cast<unsigned char>(typed[i]));
    if (accepted) kept.append(typed.substr(i, length));
    i += length;
  }
  return kept;
}

std::string NormaliseOnLeave(int mode, std::string_view text) {
  std::string folded = runtime::FoldFullWidth(text);
  char buffer[32];
  switch (mode) {
    case 5:
    case 6:
    case 7:
    case 8: {
      std::int64_t value = LeadingInteger(folded);
      const std::int64_t limits[4][2] = {
          {0, 255}, {-32768, 32767}, {INT32_MIN, INT32_MAX}, {INT64_MIN, INT64_MAX}};
      value = std::clamp(value, limits[mode - 5][0], limits[mode - 5][1]);
      std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
      return ShownNumber(buffer);
    }
    case 9:
    case 10: {
      double number = runtime::ToNumber(runtime::Value::OfText(std::string(text)));
      if (number == 0) number = 0;  // no "-0"
      runtime::Value value = mode == 9 ? runtime::Value::Float(static_cast<float>(number))
                                       : runtime::Value::Double(number);
      return ShownNumber(runtime::ToText(value));
    }
    case 11: {
      double date_time = 0;
      if (!ParseDateTimeText(text, date_time)) return {};
      return runtime::ToText(runtime::Value::DateTime(date_time));
    }
    default:
      return std::string(text);
  }
}

bool ParseDateTimeText(std::string_view text, double& date_time) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string utf8 = platform::GbkToUtf8(text, false);
  runtime::CivilTime time;
  bool read = false;
  for (const char* separators : {"-", "/", "."}) {
    std::string date = std::string("%d") + separators + "%d" + separators + "%d";
    if (ReadFields(utf8, date.c_str(), 3, time) ||
        ReadFields(utf8, (date + " %d:%d").c_str(), 5, time) ||
        ReadFields(utf8, (date + " %d:%d:%d").c_str(), 6, time)) {
      read = true;
      break;
    }
  }
  if (!read)
    read = ReadFields(utf8, "%d年%d月%d日", 3, time) ||
           ReadFields(utf8, "%d年%d月%d日%d时", 4, time) ||
           ReadFields(utf8, "%d年%d月%d日%d时%d分", 5, time) ||
           ReadFields(utf8, "%d年%d月%d日%d时%d分%d秒", 6, time);
  if (!read || !IsValid(time)) return false;
  date_time = runtime::MakeDateTime(time);
  return true;
}

}  // namespace forms
