#include "runtime/convert.h"

#include <cstdio>
#include <cstdlib>

namespace runtime {

// Provisional conversions; the exact tables replace them.
Text DoubleText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return buffer;
}

double RoundToSixDigits(float value) { return value; }

Text FoldFullWidth(std::string_view text) { return Text(text); }

Text ToText(const Value& value) {
  if (value.IsText()) return value.AsText();
  if (value.IsNumeric()) return DoubleText(value.NumericValue());
  return {};
}

double ToNumber(const Value& value) {
  if (value.IsText()) return std::strtod(value.AsText().c_str(), nullptr);
  return value.NumericValue();
}

}  // namespace runtime
