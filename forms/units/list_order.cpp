#include "forms/units/list_order.h"

#include <tuple>

#include "forms/units/input_mode.h"
#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace forms {
namespace {

using platform::operator""_gbk;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "-12.50" → negative, "12", "5". False when the text is no plain decimal.
bool ReadDecimal(std::string_view text, bool& negative, std::string& whole, std::string& fraction) {
  negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  std::string_view before = text.substr(0, point);
  std::string_view after =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (before.empty() && after.empty()) return false;
  for (char c : before)
    if (!IsDigit(c)) return false;
  for (char c : after)
    if (!IsDigit(c)) return false;
  while (!before.empty() && before.front() == '0') before.remove_prefix(1);
  while (!after.empty() && after.back() == '0') after.remove_suffix(1);
  whole.assign(before);
  fraction.assign(after);
  if (whole.empty() && fraction.empty()) negative = false;  // -0 is 0
  return true;
}

// Magnitudes of two non-negative decimals.
int CompareMagnitude(const std::string& whole_a, const std::string& fraction_a,
                     const std::string& whole_b, const std::string& fraction_b) {
  if (whole_a.size() != whole_b.size()) return whole_a.size() < whole_b.size() ? -1 : 1;
  if (int order = whole_a.compare(whole_b); order != 0) return order < 0 ? -1 : 1;
  if (int order = fraction_a.compare(fraction_b); order != 0) return order < 0 ? -1 : 1;
  return 0;
}

}  // namespace

CellKey::CellKey(std::string_view cell) {
  static const std::string& kNeverSet = "——"_gbk;
  static const std::string& kColon = "："_gbk;
  if (cell.empty() || cell == kNeverSet) return;
  if (ReadDecimal(cell, negative_, whole_, fraction_)) {
    kind_ = Kind::kNumber;
    return;
  }
  // A date-time, also after a label such as "悔单时间：".
  std::string_view date = cell;
  if (std::size_t colon = date.find(kColon); colon != std::string_view::npos)
    date.remove_prefix(colon + kColon.size());
  if (IsDigit(date.empty() ? ' ' : date.front()) && ParseDateTimeText(date, date_time_)) {
    // Before 1899-12-30 the fraction counts forwards: order on the day line.
    date_time_ = runtime::LinearDays(date_time_);
    kind_ = Kind::kDateTime;
    return;
  }
  kind_ = Kind::kText;
  text_.assign(cell);
}

bool operator<(const CellKey& a, const CellKey& b) {
  if (a.kind_ != b.kind_) return a.kind_ < b.kind_;
  switch (a.kind_) {
    case CellKey::Kind::kBlank:
      return false;
    case CellKey::Kind::kNumber: {
      if (a.negative_ != b.negative_) return a.negative_;
      const int order = CompareMagnitude(a.whole_, a.fraction_, b.whole_, b.fraction_);
      return a.negative_ ? order > 0 : order < 0;
    }
    case CellKey::Kind::kDateTime:
      return a.date_time_ < b.date_time_;
    case CellKey::Kind::kText:
      // Byte order: std::string compares as unsigned char.
      return a.text_ < b.text_;
  }
  return false;
}

}  // namespace forms
