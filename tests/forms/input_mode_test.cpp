#include "forms/units/input_mode.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"

namespace forms {
namespace {

using platform::operator""_gbk;

TEST(InputMode, TypingKeepsOnlyWhatTheModeAccepts) {
  struct Case {
    int mode;
    std::string typed, kept;
  };
  const Case cases[] = {
      {0, "a1-.张", "a1-.张"_gbk},
      {1, "a1", ""},
      {4, "1a-2.b3", "1-2.3"},
      {5, "-12.5x", "125"},
      {6, "-12.5", "-125"},
      {7, "9a9-", "99-"},
      {8, "12e3", "123"},
      {9, "1.5e3", "1.53"},
      {10, "a", ""},
      {10, "１２", ""},  // full-width digits are characters of their own
      {10, "-3.25", "-3.25"},
      {11, "2008年", "2008年"_gbk},
      {7, "1\t2\r", "1\t2\r"},  // control characters always pass
  };
  for (const Case& c : cases)
    EXPECT_EQ(FilterTyped(c.mode, platform::Utf8ToGbk(c.typed)), c.kept)
        << "mode " << c.mode << " typed " << c.typed;
}

TEST(InputMode, LeavingNormalisesTheText) {
  struct Case {
    int mode;
    std::string text, shown;
  };
  const Case cases[] = {
      {0, "abc", "abc"},
      {4, "1-2.3", "1-2.3"},
      {5, "300", "255"},
      {5, "0", ""},
      {5, "", ""},
      {6, "-40000", "-32768"},
      {6, "40000", "32767"},
      {7, "99999999999", "2147483647"},
      {7, "-99999999999", "-2147483648"},
      {7, "12-3", "12"},
      {7, "-", ""},
      {7, "007", "7"},
      {8, "99999999999999999999", "9223372036854775807"},
      {8, "-99999999999999999999", "-9223372036854775808"},
      {9, "0.1", "0.1"},
      {9, "3.14159265", "3.14159"},
      {10, "0", ""},
      {10, "-0", ""},
      {10, "0.0", ""},
      {10, "1.50", "1.5"},
      {10, "12.5.3", "12.5"},
      {10, "1234567890.123456", "1234567890.123"},
      {11, "2008-05-01", "2008年5月1日"},
      {11, "2008/5/1 14:05:09", "2008年5月1日14时5分9秒"},
      {11, "2008年5月1日14时", "2008年5月1日14时"},
      {11, "2008-02-30", ""},
      {11, "tomorrow", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::GbkToUtf8(NormaliseOnLeave(c.mode, platform::Utf8ToGbk(c.text))), c.shown)
        << "mode " << c.mode << " text " << c.text;
}

}  // namespace
}  // namespace forms
