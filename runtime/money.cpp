#include "runtime/money.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "platform/gbk.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

constexpr double kLargestFen = 999999999999999.0;

// The double-byte character `index` of a GBK table text.
std::string_view Character(const std::string& table, int index) {
  return std::string_view(table).substr(static_cast<std::size_t>(index) * 2, 2);
}

}  // namespace

Text NumberToMoney(double amount, bool simplified) {
  static const std::string& kFormalDigits = "零壹贰叁肆伍陆柒捌玖"_gbk;
  static const std::string& kSimpleDigits = "零一二三四五六七八九"_gbk;
  // Place units of positions 3-14 (拾 at 3 ... 万 at 14).
  static const std::string& kFormalUnits = "拾佰仟万拾佰仟亿拾佰仟万"_gbk;
  static const std::string& kSimpleUnits = "十百千万十百千亿十百千万"_gbk;
  static const std::string& kZero = "零"_gbk;
  static const std::string& kYuan = "元"_gbk;
  static const std::string& kJiao = "角"_gbk;
  static const std::string& kFen = "分"_gbk;
  static const std::string& kExact = "整"_gbk;
  static const std::string& kNegative = "负"_gbk;
  static const std::string& kTenThousand = "万"_gbk;
  static const std::string& kHundredMillion = "亿"_gbk;
  const std::string& digits = simplified ? kSimpleDigits : kFormalDigits;
  const std::string& units = simplified ? kSimpleUnits : kFormalUnits;

  bool negative = amount < 0;
  double scaled = std::fabs(amount) * 100 + 1e-12;
  double fen = std::floor(scaled);
  if (scaled - fen >= 0.5) fen += 1;
  // Written so that NaN is an overflow too.
  if (!(fen <= kLargestFen)) return "溢出"_gbk;
  auto n = static_cast<std::uint64_t>(fen);
  if (n == 0) return kZero;

  // Built from the right: pieces are prepended.
  Text text = n % 10 == 0 ? kExact : Text();
  auto prepend = [&text](std::string_view piece) { text.insert(0, piece); };
  enum class Last { kNone, kZero, kDigit } last = Last::kNone;
  bool yuan_written = false;
  bool group_written = false;
  for (int i = 0; n > 0; ++i, n /= 10) {
    int d = static_cast<int>(n % 10);
    if (i == 6 || i == 10) group_written = false;
    if (d == 0) {
      if (last == Last::kDigit) {
        prepend(kZero);
        last = Last::kZero;
      }
      continue;
    }
    if (i < 2) {
      prepend(i == 0 ? kFen : kJiao);
    } else {
      if (!yuan_written) {
        prepend(kYuan);
        yuan_written = true;
      }
      if (!group_written && i >= 6) {
        // At 6 and 10 the place unit itself is 万 or 亿.
        if (i >= 7 && i <= 9) prepend(kTenThousand);
        if (i >= 11) prepend(kHundredMillion);
        group_written = true;
      }
      if (i > 2) prepend(Character(units, i - 3));
    }
    prepend(Character(digits, d));
    last = Last::kDigit;
  }
  if (negative) prepend(kNegative);
  return text;
}

}  // namespace runtime
