// How the cells of a list column order when the person sorts the list by
// it: numbers by their value, date-times by time, other texts by their GBK
// bytes. Blank cells ("" and "——", a date never set) come first, then
// numbers, then date-times, then texts, so that any column orders totally.
#pragma once

#include <string>
#include <string_view>

namespace forms {

class CellKey {
 public:
  // The key of a cell's text (GBK).
  explicit CellKey(std::string_view cell);

  // True when `a` sorts before `b` (a strict weak order).
  friend bool operator<(const CellKey& a, const CellKey& b);

 private:
  enum class Kind { kBlank, kNumber, kDateTime, kText };
  Kind kind_ = Kind::kBlank;
  // Numbers are compared exactly, digit by digit, so that 16- to
  // 19-digit marketplace numbers keep their order: sign, the whole part
  // without leading zeros, the fraction without trailing zeros.
  bool negative_ = false;
  std::string whole_;
  std::string fraction_;
  double date_time_ = 0;
  std::string text_;
};

}  // namespace forms
