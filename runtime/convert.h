// The conversions used wherever a value is shown as text or read as a number.
#pragma once

#include <string_view>

#include "runtime/value.h"

namespace runtime {

// The text form of a value: integers in decimal, Float rounded to six
// significant digits then "%.6g", Double "%.13g", Bool "真"/"假", DateTime
// "%d年%d月%d日" plus the time of day as far as it is non-zero, Text a copy,
// ByteSet and numeric arrays their raw bytes up to the first NUL.
Text ToText(const Value& value);

// The number a value stands for (Double). Texts are read as a C
// floating-point literal after full-width folding; no number gives 0.
// DateTime, ByteSet and no value give 0.
double ToNumber(const Value& value);

// `text` with full-width ASCII (0xA3A1-0xA3FE), the full-width space and the
// full-width ~ and * folded to their ASCII characters.
Text FoldFullWidth(std::string_view text);

// A float rounded to six significant decimal digits, as shown by ToText.
double RoundToSixDigits(float value);

// The text form of a Double ("%.13g").
Text DoubleText(double value);

}  // namespace runtime
