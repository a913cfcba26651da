#include "driver/call_args.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace driver {
namespace {

using platform::operator""_gbk;
using runtime::Value;

std::vector<Value> Parse(std::string_view words) {
  std::string why;
  auto args = ParseCallArgs(words, nullptr, why);
  EXPECT_TRUE(args.has_value()) << why;
  return args.value_or(std::vector<Value>{});
}

TEST(CallArgs, EveryKindOfWord) {
  auto args = Parse(
      R"("a b\t\"c\"" 123 -4 1.5 1e3 true false _ 0x0a0b @2008-05-01 14:05:09 @2008-05-01 "人")");
  ASSERT_EQ(args.size(), 12u);
  EXPECT_EQ(args[0], Value::OfText("a b\t\"c\""));
  EXPECT_EQ(args[1], Value::Int(123));
  EXPECT_EQ(args[2], Value::Int(-4));
  EXPECT_EQ(args[3], Value::Double(1.5));
  EXPECT_EQ(args[4], Value::Double(1000));
  EXPECT_EQ(args[5], Value::Bool(true));
  EXPECT_EQ(args[6], Value::Bool(false));
  EXPECT_TRUE(args[7].IsNone());
  EXPECT_EQ(args[8], Value::OfBytes({0x0a, 0x0b}));
  EXPECT_EQ(runtime::BreakDown(args[9].AsDouble()), (runtime::CivilTime{2008, 5, 1, 14, 5, 9}));
  EXPECT_EQ(runtime::BreakDown(args[10].AsDouble()), (runtime::CivilTime{2008, 5, 1, 0, 0, 0}));
  EXPECT_EQ(args[11], Value::OfText("人"_gbk));
}

TEST(CallArgs, RefusesWhatItCannotRead) {
  std::string why;
  for (const char* words : {"\"open", "12x", "0x0", ":单位", "@2008-13-01"}) {
    EXPECT_FALSE(ParseCallArgs(words, nullptr, why).has_value()) << words;
    EXPECT_FALSE(why.empty());
  }
}

TEST(CallArgs, FormatsResults) {
  EXPECT_EQ(FormatResult(Value()), "= none");
  EXPECT_EQ(FormatResult(Value::OfText("x\"y\r\n"_gbk)), R"(= Text "x\"y\r\n")");
  EXPECT_EQ(FormatResult(Value::OfBytes({0, 0xff})), "= ByteSet 0x00ff");
  EXPECT_EQ(FormatResult(Value::TextArray({"a", ""})), R"(= Text[2] "a" "")");
}

}  // namespace
}  // namespace driver
