#include "report/lengths.h"

#include <cstdlib>

namespace report {

std::string MillimetreText(std::int32_t tenths) {
  const std::int64_t value = tenths;
  const std::int64_t magnitude = value < 0 ? -value : value;
  // Appended piece by piece: a literal joined to a temporary string trips
  // a false overlap warning in some optimising compilers.
  std::string text = value < 0 ? "-" : "";
  text += std::to_string(magnitude / 10);
  if (magnitude % 10 != 0) {
    text += '.';
    text += std::to_string(magnitude % 10);
  }
  return text;
}

std::optional<std::int32_t> ParseMillimetres(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::int64_t whole = 0;
  std::size_t digits = 0, pos = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
    whole = whole * 10 + (text[pos] - '0');
    if (whole > 100'000) return std::nullopt;
  }
  std::int64_t tenth = 0;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      tenth = text[pos++] - '0';
      ++digits;
    }
  }
  if (digits == 0 || pos != text.size()) return std::nullopt;
  return static_cast<std::int32_t>(whole * 10 + tenth);
}

}  // namespace report
