#include "runtime/convert.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

// 10^k; exact for 0 <= k <= 22.
double PowerOfTen(int k) {
  static constexpr std::array<double, 23> kExact = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (k >= 0 && k < static_cast<int>(kExact.size())) return kExact[static_cast<std::size_t>(k)];
  return std::pow(10.0, k);
}

// Decimal digits of an integer.
Text Decimal(std::int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Text(buffer, result.ptr);
}

// `value` as "%.<precision>g" prints it in the C locale, whatever locale the
// window system has set.
Text General(double value, int precision) {
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  return Text(buffer, result.ptr);
}

// The raw bytes of a numeric array's elements, each in its storage size.
Bytes RawArrayBytes(const Array& array) {
  Bytes bytes;
  auto append = [&bytes](const auto& data) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(&data);
    bytes.insert(bytes.end(), first, first + sizeof data);
  };
  for (const Value& element : array.elements) {
    switch (array.element_type) {
      case type::kByte:
        append(static_cast<std::uint8_t>(element.AsInt64()));
        break;
      case type::kShort:
        append(static_cast<std::int16_t>(element.AsInt64()));
        break;
      case type::kInt:
        append(static_cast<std::int32_t>(element.AsInt64()));
        break;
      case type::kLong:
        append(element.AsInt64());
        break;
      case type::kFloat:
        append(element.AsFloat());
        break;
      case type::kDouble:
        append(element.AsDouble());
        break;
      default:
        break;
    }
  }
  return bytes;
}

Text UpToFirstNul(const Bytes& bytes) {
  auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), end);
}

// Length of the C floating-point literal at the start of `text`: optional
// sign, digits with at most one decimal point (at least one digit), then an
// optional exponent that counts only when it has digits. 0 when none.
std::size_t FloatingLiteralLength(std::string_view text) {
  std::size_t i = 0;
  auto digits = [&] {
    std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa_digits = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa_digits += digits();
  }
  if (mantissa_digits == 0) return 0;
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() > 0) end = i;
  }
  return end;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A checked literal (FloatingLiteralLength) as the nearest double, the same
// whatever locale the window system has set. Too large a number gives an
// infinity and too small a one zero, as strtod gives them.
double ParseLiteral(std::string_view literal) {
  const bool negative = literal.front() == '-';
  if (literal.front() == '+' || literal.front() == '-') literal.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Out of range either way: the position of the first significant digit
    // and the exponent tell which way.
    const std::size_t e = literal.find_first_of("eE");
    const std::string_view mantissa = literal.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
      std::string_view digits = literal.substr(e + 1);
      const bool down = !digits.empty() && digits.front() == '-';
      if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
      for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
      if (down) exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    const long place = first == std::string_view::npos ? -100000L
                       : first < point                 ? static_cast<long>(point - first - 1)
                                                       : -static_cast<long>(first - point);
    value = place + exponent > 0 ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

Text DoubleText(double value) { return General(value, 13); }

double RoundToSixDigits(float value) {
  double magnitude = std::fabs(static_cast<double>(value));
  if (magnitude == 0 || !std::isfinite(magnitude)) return value;
  int exponent_of_two = 0;
  std::frexp(magnitude, &exponent_of_two);  // magnitude = m * 2^x with m in [0.5, 1)
  --exponent_of_two;                        // as 1.f * 2^x
  int e = static_cast<int>(exponent_of_two * 0.30102999566398120);  // truncated
  // Scaled by 10^-e the magnitude lies in [0.1, 100); bring it to six digits
  // before the point. Scaling in one step by an exact power of ten keeps
  // halves exact, so that they round up as they should.
  auto scaled_to = [magnitude](int shift) {
    return shift >= 0 ? magnitude * PowerOfTen(shift) : magnitude / PowerOfTen(-shift);
  };
  if (scaled_to(-e) >= 10) {
    e += 1;
  } else if (scaled_to(-e) < 1) {
    e -= 1;
  }
  int shift = 5 - e;
  double scaled = scaled_to(shift);
  double whole = std::floor(scaled);
  if (scaled - whole >= 0.5) whole += 1;
  double rounded = shift >= 0 ? whole / PowerOfTen(shift) : whole * PowerOfTen(-shift);
  return value < 0 ? -rounded : rounded;
}

namespace {

// DoubleText for the amounts a ledger mostly holds, whole or with up to
// four decimals, without the general formatting: `value` is n / 10^k for
// a whole n of at most 13 digits (to within the rounding of the
// multiplication, far below the 13 digits shown), so "%.13g" shows n with
// k decimals, trailing zeros dropped. False for any other value.
bool AppendShortDecimal(double value, Text& out) {
  if (!(std::fabs(value) < 1e12) || (value == 0 && std::signbit(value))) return false;
  double scaled = value;
  std::int64_t scale = 1;
  int decimals = 0;
  while (scaled != std::floor(scaled)) {
    if (decimals == 4) return false;
    ++decimals;
    scale *= 10;
    scaled = value * static_cast<double>(scale);
  }
  if (!(std::fabs(scaled) < 1e13)) return false;
  auto n = static_cast<std::int64_t>(scaled);
  if (n == 0 && value != 0) return false;
  while (decimals > 0 && n % 10 == 0) {
    n /= 10;
    scale /= 10;
    --decimals;
  }
  char buffer[32];
  char* at = buffer;
  if (n < 0) {
    *at++ = '-';
    n = -n;
  }
  at = std::to_chars(at, buffer + sizeof buffer, n / scale).ptr;
  if (decimals > 0) {
    *at++ = '.';
    std::int64_t fraction = n % scale;
    for (int i = decimals - 1; i >= 0; --i) {
      at[i] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    at += decimals;
  }
  out.append(buffer, at);
  return true;
}

}  // namespace

void DateTimeTexts::Append(double days, Text& out) {
  static const Text& kYear = "年"_gbk;
  static const Text& kMonth = "月"_gbk;
  static const Text& kDay = "日"_gbk;
  static const Text& kHour = "时"_gbk;
  static const Text& kMinute = "分"_gbk;
  static const Text& kSecond = "秒"_gbk;
  char buffer[96];
  char* at = buffer;
  auto put = [&](long long number, const Text& unit) {
    at = std::to_chars(at, buffer + sizeof buffer, number).ptr;
    at = std::copy(unit.begin(), unit.end(), at);
  };
  const DayAndSeconds split = SplitDays(days);
  if (!known_ || split.day != day_) {
    const CivilTime t = BreakDown(days);
    put(t.year, kYear);
    put(t.month, kMonth);
    put(t.day, kDay);
    date_.assign(buffer, at);
    day_ = split.day;
    known_ = true;
    at = buffer;
  }
  out += date_;
  const long long hour = split.seconds / 3600, minute = split.seconds / 60 % 60,
                  second = split.seconds % 60;
  if (second != 0 || minute != 0 || hour != 0) put(hour, kHour);
  if (second != 0 || minute != 0) put(minute, kMinute);
  if (second != 0) put(second, kSecond);
  out.append(buffer, at);
}

void AppendDateTimeText(double days, Text& out) { DateTimeTexts().Append(days, out); }

Text DateTimeText(double days) {
  Text text;
  AppendDateTimeText(days, text);
  return text;
}

void AppendText(const Value& value, Text& out) {
  switch (value.type()) {
    case type::kDouble: {
      char buffer[64];
      if (AppendShortDecimal(value.AsDouble(), out)) return;
      auto result = std::to_chars(buffer, buffer + sizeof buffer, value.AsDouble(),
                                  std::chars_format::general, 13);
      out.append(buffer, result.ptr);
      return;
    }
    case type::kDateTime:
      AppendDateTimeText(value.AsDouble(), out);
      return;
    case type::kText:
      out += value.AsText();
      return;
    default:
      out += ToText(value);
  }
}

Text ToText(const Value& value) {
  switch (value.type()) {
    case type::kByte:
      return Decimal(value.AsInt64() & 0xFF);
    case type::kShort:
    case type::kInt:
      return Decimal(static_cast<std::int32_t>(value.AsInt64()));
    case type::kLong:
      return Decimal(value.AsInt64());
    case type::kFloat:
      return General(RoundToSixDigits(value.AsFloat()), 6);
    case type::kDouble:
      return DoubleText(value.AsDouble());
    case type::kBool:
      return value.AsBool() ? "真"_gbk : "假"_gbk;
    case type::kDateTime:
      return DateTimeText(value.AsDouble());
    case type::kText:
      return value.AsText();
    case type::kByteSet:
      return UpToFirstNul(value.AsBytes());
    default:
      break;
  }
  if (value.IsArray() && type::IsNumeric(value.AsArray().element_type))
    return UpToFirstNul(RawArrayBytes(value.AsArray()));
  return {};
}

Text FoldFullWidth(std::string_view text) {
  Text folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = platform::CharLength(text, i);
    if (length == 2) {
      auto lead = static_cast<unsigned char>(text[i]);
      auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA1 && trail == 0xA1) {
        folded += ' ';
      } else if (lead == 0xA1 && trail == 0xAB) {
        folded += '~';
      } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
        folded += '*';
      } else if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        folded += static_cast<char>(trail - 0x80);
      } else {
        folded.append(text, i, 2);
      }
    } else {
      folded += text[i];
    }
    i += length;
  }
  return folded;
}

double TextToNumber(std::string_view text) {
  Text folded = FoldFullWidth(text);
  std::string_view rest = folded;
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  std::size_t length = FloatingLiteralLength(rest);
  if (length == 0) return 0;
  // The literal is checked above, so the reader sees nothing but it: no hex
  // forms, no "inf" or "nan". Too large a number gives an infinity.
  return ParseLiteral(rest.substr(0, length));
}

double ToNumber(const Value& value) {
  switch (value.type()) {
    case type::kBool:
      return value.AsBool() ? 1 : 0;
    case type::kSubroutinePointer:
      return static_cast<double>(static_cast<std::uint64_t>(value.AsInt64()));
    case type::kText:
      return TextToNumber(value.AsText());
    default:
      return value.NumericValue();
  }
}

}  // namespace runtime
