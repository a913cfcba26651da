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
  const std::string& digits = simplified ? "零一二三四五六七八九"_gbk : "零壹贰叁肆伍陆柒捌玖"_gbk;
  // Place units of positions 3-14 (拾 at 3 ... 万 at 14).
  const std::string& units =
      simplified ? "十百千万十百千亿十百千万"_gbk : "拾佰仟万拾佰仟亿拾佰仟万"_gbk;

  bool negative = amount < 0;
  double scaled = std::fabs(amount) * 100 + 1e-12;
  double fen = std::floor(scaled);
  if (scaled - fen >= 0.5) fen += 1;
  // Written so that NaN is an overflow too.
  if (!(fen <= kLargestFen)) return "溢出"_gbk;
  auto n = static_cast<std::uint64_t>(fen);
  if (n == 0) return "零"_gbk;

  // Built from the right: pieces are prepended.
  Text text = n % 10 == 0 ? "整"_gbk : Text();
  auto prepend = [&text](std::string_view piece) { text.insert(0, piece); };
  enum class Last { kNone, kZero, kDigit } last = Last::kNone;
  bool yuan_written = false;
  bool group_written = false;
  for (int i = 0; n > 0; ++i, n /= 10) {
    int d = static_cast<int>(n % 10);
    if (i == 6 || i == 10) group_written = false;
    if (d == 0) {
      if (last == Last::kDigit) {
        prepend("零"_gbk);
        last = Last::kZero;
      }
      continue;
    }
    if (i < 2) {
      prepend(i == 0 ? "分"_gbk : "角"_gbk);
    } else {
      if (!yuan_written) {
        prepend("元"_gbk);
        yuan_written = true;
      }
      if (!group_written && i >= 6) {
        // At 6 and 10 the place unit itself is 万 or 亿.
        if (i >= 7 && i <= 9) prepend("万"_gbk);
        if (i >= 11) prepend("亿"_gbk);
        group_written = true;
      }
      if (i > 2) prepend(Character(units, i - 3));
    }
    prepend(Character(digits, d));
    last = Last::kDigit;
  }
  if (negative) prepend("负"_gbk);
  return text;
}

}  // namespace runtime
