// The conversions used wherever a value is shown as text or read as a number.
#pragma once

#include <string_view>

#include "runtime/value.h"

namespace runtime {

// The text form of a value:
//   Byte "%u"; Short and Int "%d"; Long signed decimal;
//   Float rounded to six significant digits (RoundToSixDigits), then "%.6g";
//   Double "%.13g"; Bool "真" / "假";
//   DateTime "%d年%d月%d日" followed by "%d时%d分%d秒" when the seconds are
//     non-zero, else "%d时%d分" when the minutes are, else "%d时" when the
//     hour is, else nothing;
//   Text a copy;
//   ByteSet and arrays of a numeric type their raw bytes (little-endian
//     elements) up to the first NUL byte, or all of them;
//   anything else the empty text.
Text ToText(const Value& value);
// Appends ToText(value) to `out`, for a date-time or a number without a
// text made on the way (list fills write many).
void AppendText(const Value& value, Text& out);

// The number a value stands for. Integer types and Float are widened, Double
// is kept, Bool gives 1 or 0, a subroutine pointer its address. A Text is
// folded (FoldFullWidth) and read as a C floating-point literal after leading
// blanks; reading stops at the first byte that does not fit, and no number at
// all gives 0. DateTime, ByteSet, arrays, units and no value give 0.
double ToNumber(const Value& value);

// The number at the start of `text` read as ToNumber reads a Text.
double TextToNumber(std::string_view text);

// `text` with full-width characters folded to ASCII: the full-width space
// 0xA1A1 to a space, 0xA1AB to '~', 0xA1EE and 0xA1EF to '*', and the
// full-width ASCII block 0xA3A1-0xA3FE to the ASCII character of the second
// byte minus 0x80. Every other character is left as it is.
Text FoldFullWidth(std::string_view text);

// A float rounded to six significant decimal digits, half away from zero,
// with the decimal exponent estimated from the binary one. Zero, infinities
// and NaN come back unchanged.
double RoundToSixDigits(float value);

// The text form of a Double ("%.13g").
Text DoubleText(double value);

// The text form of a date-time (see ToText).
Text DateTimeText(double days);
void AppendDateTimeText(double days, Text& out);

// Writes date-time texts as AppendDateTimeText does, keeping the text of the
// last day written: a list column's dates come mostly in runs of one day.
class DateTimeTexts {
 public:
  void Append(double days, Text& out);

 private:
  long long day_ = 0;
  bool known_ = false;
  Text date_;  // the day's text, "2026年1月2日"
};

}  // namespace runtime
