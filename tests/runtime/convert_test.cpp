#include "runtime/convert.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return MakeDateTime({y, mo, d, h, mi, s});
}

Value IntArray(std::vector<std::int32_t> values, std::uint32_t element_type) {
  Array array;
  array.element_type = element_type;
  array.dimensions = {static_cast<std::int32_t>(values.size())};
  for (auto v : values) {
    switch (element_type) {
      case type::kByte:
        array.elements.push_back(Value::Byte(static_cast<std::uint8_t>(v)));
        break;
      case type::kShort:
        array.elements.push_back(Value::Short(static_cast<std::int16_t>(v)));
        break;
      default:
        array.elements.push_back(Value::Int(v));
    }
  }
  return Value::OfArray(std::move(array));
}

TEST(ToText, NumbersBoolsAndTexts) {
  struct Case {
    Value value;
    std::string expected;
  } cases[] = {
      {Value::Byte(255), "255"},
      {Value::Short(-5), "-5"},
      {Value::Int(std::numeric_limits<std::int32_t>::min()), "-2147483648"},
      {Value::Long(1LL << 40), "1099511627776"},
      {Value::Long(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
      {Value::Double(12.5), "12.5"},
      {Value::Double(0.1), "0.1"},
      {Value::Double(1.0 / 3), "0.3333333333333"},
      {Value::Double(-2.0 / 3), "-0.6666666666667"},
      {Value::Double(1e20), "1e+20"},
      {Value::Double(123456789012345.0), "1.234567890123e+14"},
      {Value::Double(0), "0"},
      {Value::Bool(true), "真"_gbk},
      {Value::Bool(false), "假"_gbk},
      {Value::OfText("代购 abc"_gbk), "代购 abc"_gbk},
      {Value::OfText(""), ""},
      {Value(), ""},
      {Value::TextArray({"a", "b"}), ""},
      {Value::Unit({0x52010001, 0x16010002}, type::UnitType(1, 5)), ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToText(c.value), c.expected) << type::Name(c.value.type()) << " " << c.expected;
}

TEST(ToText, FloatIsRoundedToSixDigitsBeforeFormatting) {
  struct Case {
    float value;
    const char* expected;
  } cases[] = {
      {0.1f, "0.1"},
      {1.0f / 3, "0.333333"},
      {-2.5f, "-2.5"},
      {123456.7f, "123457"},
      {1234567.0f, "1.23457e+06"},
      {1e-7f, "1e-07"},
      {0.0f, "0"},
      // An exact tie in binary: six-digit rounding goes up, plain "%.6g" would
      // round to even and give 1234.12.
      {1234.125f, "1234.13"},
      {-1234.125f, "-1234.13"},
      {99999.95f, "100000"},  // 99999.953125
      {999999.5f, "1e+06"},
      {3.4028235e38f, "3.40282e+38"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToText(Value::Float(c.value)), c.expected) << c.value;
}

TEST(RoundToSixDigits, KeepsSpecialValues) {
  EXPECT_EQ(RoundToSixDigits(0.0f), 0.0);
  EXPECT_TRUE(std::isinf(RoundToSixDigits(std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(RoundToSixDigits(std::numeric_limits<float>::quiet_NaN())));
  EXPECT_DOUBLE_EQ(RoundToSixDigits(0.1f), 0.1);
  EXPECT_DOUBLE_EQ(RoundToSixDigits(std::numeric_limits<float>::denorm_min()), 1.4013e-45);
}

TEST(ToText, DateTimeShowsTheTimeOnlyAsFarAsItIsNonZero) {
  struct Case {
    double days;
    std::string expected;
  } cases[] = {
      {At(2008, 5, 1), "2008年5月1日"_gbk},
      {At(2008, 5, 1, 14), "2008年5月1日14时"_gbk},
      {At(2008, 5, 1, 14, 5), "2008年5月1日14时5分"_gbk},
      {At(2008, 5, 1, 14, 5, 9), "2008年5月1日14时5分9秒"_gbk},
      {At(2008, 5, 1, 0, 30), "2008年5月1日0时30分"_gbk},
      {At(2008, 5, 1, 0, 0, 9), "2008年5月1日0时0分9秒"_gbk},
      {-1.25, "1899年12月29日6时"_gbk},
      {3000000, "9999年12月31日"_gbk},
      {-700000, "100年1月1日"_gbk},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToText(Value::DateTime(c.days)), c.expected) << platform::GbkToUtf8(c.expected);
}

TEST(ToText, ByteSetsAndNumericArraysGiveTheirBytesUpToTheFirstNul) {
  EXPECT_EQ(ToText(Value::OfBytes({'a', 'b', 0, 'c'})), "ab");
  EXPECT_EQ(ToText(Value::OfBytes({'a', 'b', 'c'})), "abc");
  EXPECT_EQ(ToText(Value::OfBytes({})), "");
  EXPECT_EQ(ToText(IntArray({0x64636261, 0x00006665}, type::kInt)), "abcdef");
  EXPECT_EQ(ToText(IntArray({0x4241, 0x43}, type::kShort)), "ABC");
  EXPECT_EQ(ToText(IntArray({'x', 'y', 0, 'z'}, type::kByte)), "xy");
  // Element types that are not numbers have no raw form here.
  EXPECT_EQ(ToText(Value::TextArray({"ab"})), "");
}

TEST(ToNumber, TextsAreReadAsFloatingLiteralsAfterFolding) {
  struct Case {
    std::string text;
    double expected;
  } cases[] = {
      {"12.5", 12.5},
      {"１２３"_gbk, 123},
      {"１２．５"_gbk, 12.5},
      {"－８"_gbk, -8},
      {"　４２"_gbk, 42},  // full-width space is a blank
      {"12abc", 12},
      {"", 0},
      {"abc", 0},
      {"代12"_gbk, 0},
      {" \t\r\n-3.5e2x", -350},
      {"+7", 7},
      {".5", 0.5},
      {"5.", 5},
      {".", 0},
      {"-", 0},
      {"1e", 1},
      {"1e+", 1},
      {"2E3", 2000},
      {"1.5e-1", 0.15},
      {"0x1A", 0},  // no hexadecimal forms
      {"inf", 0},
      {"nan", 0},
      {"1e-400", 0},
      {"00012", 12},
      {"12 34", 12},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(ToNumber(Value::OfText(c.text)), c.expected) << platform::GbkToUtf8(c.text);
  EXPECT_TRUE(std::isinf(ToNumber(Value::OfText("1e400"))));
}

TEST(ToNumber, OtherTypes) {
  EXPECT_EQ(ToNumber(Value::Int(-7)), -7);
  EXPECT_EQ(ToNumber(Value::Byte(200)), 200);
  EXPECT_EQ(ToNumber(Value::Long(1LL << 40)), 1099511627776.0);
  EXPECT_EQ(ToNumber(Value::Float(0.5f)), 0.5);
  EXPECT_EQ(ToNumber(Value::Double(-1.25)), -1.25);
  EXPECT_EQ(ToNumber(Value::Bool(true)), 1);
  EXPECT_EQ(ToNumber(Value::Bool(false)), 0);
  EXPECT_EQ(ToNumber(Value::Subroutine(0x401000)), 0x401000);
  EXPECT_EQ(ToNumber(Value::DateTime(39569.5)), 0);
  EXPECT_EQ(ToNumber(Value::OfBytes({'1', '2'})), 0);
  EXPECT_EQ(ToNumber(Value()), 0);
}

TEST(FoldFullWidth, FoldsOnlyTheListedCharacters) {
  EXPECT_EQ(FoldFullWidth("\xA1\xA1\xA1\xAB\xA1\xEE\xA1\xEF"), " ~**");
  EXPECT_EQ(FoldFullWidth("ＡＢｃ０９！～"_gbk), "ABc09!~");
  // Just outside the full-width block, other characters and a lone lead byte.
  EXPECT_EQ(FoldFullWidth("\xA3\xA0\xA3\xFF"), "\xA3\xA0\xA3\xFF");
  EXPECT_EQ(FoldFullWidth("店名x\xA3"_gbk), "店名x\xA3"_gbk);
  // A trail byte that looks like the start of a full-width pair is not one.
  EXPECT_EQ(FoldFullWidth("\x81\xA3\xB1"), "\x81\xA3\xB1");
}

}  // namespace
}  // namespace runtime

namespace runtime {
namespace {

TEST(Conversions, IgnoreTheLocaleTheWindowSystemSets) {
  // The windowed program runs under the user's locale, where the decimal
  // point may be a comma.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  const char* comma_locale = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      comma_locale = name;
      break;
    }
  }
  if (comma_locale == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
  EXPECT_EQ(ToText(Value::Double(12.5)), "12.5");
  EXPECT_EQ(ToText(Value::Float(0.25f)), "0.25");
  EXPECT_EQ(ToNumber(Value::OfText("12.5")), 12.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

// AppendText writes what ToText gives, numbers and date-times without a
// text made on the way: the list fills rely on it showing the same cells.
TEST(Conversions, AppendTextWritesWhatToTextGives) {
  std::vector<Value> values;
  for (double d : {0.0,
                   -0.0,
                   1.0,
                   -1.0,
                   12.5,
                   0.1,
                   0.3,
                   0.1 + 0.2,
                   2.675,
                   19.99,
                   -0.0005,
                   0.0001,
                   0.00001,
                   123456.7891,
                   123456.78912,
                   999999999999.9,
                   1e12,
                   1e13,
                   1e15,
                   1e-7,
                   1.0 / 3,
                   71.30000000000001,
                   4503599627370497.0,
                   -20.75,
                   std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()})
    values.push_back(Value::Double(d));
  for (int cents = -20000; cents <= 20000; cents += 7)
    values.push_back(Value::Double(cents / 100.0));
  for (double days : {0.0, 44197.0, 44197.5, 44197.0 + 1.0 / 86400, 44197.999999, -1.25, 2958465.0})
    values.push_back(Value::DateTime(days));
  values.push_back(Value::Int(-42));
  values.push_back(Value::OfText("text"));
  for (const Value& value : values) {
    Text appended = "x";
    AppendText(value, appended);
    EXPECT_EQ(appended, "x" + ToText(value)) << ToText(value);
  }
  // Kept days: the same day at other times, the next midnight reached by
  // rounding, a day before 1899-12-30, and back.
  DateTimeTexts dates;
  for (double days : {44197.25, 44197.5, 44197.0, 44197.9999999, 44198.0, -1.25, -1.5, 44197.75}) {
    Text appended;
    dates.Append(days, appended);
    EXPECT_EQ(appended, DateTimeText(days)) << days;
  }
}

}  // namespace
}  // namespace runtime
