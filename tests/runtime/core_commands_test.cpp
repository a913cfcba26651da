// The core commands through the one calling convention: argument values in,
// one result value out, omitted arguments (type 0) taking their defaults.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "runtime/command_args.h"
#include "runtime/command_table.h"
#include "runtime/date_time.h"
#include "tests/support/expect_report.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

Value Call(std::string_view name, std::vector<Value> args) {
  static const bool registered = [] {
    RegisterCoreCommands(Commands());
    return true;
  }();
  (void)registered;
  auto result = CallCommand(name, args);
  EXPECT_TRUE(result.has_value()) << name;
  return result.value_or(Value());
}

Value T(std::string text) { return Value::OfText(std::move(text)); }

TEST(CoreCommands, EveryCommandIsInTheTable) {
  RegisterCoreCommands(Commands());
  for (const char* name : {"LeftText",
                           "RightText",
                           "FindText",
                           "ReplaceSubText",
                           "SplitText",
                           "ToNumber",
                           "ToText",
                           "NumberToMoney",
                           "AddToTime",
                           "DateOf",
                           "YearOf",
                           "MonthOf",
                           "DayOf",
                           "Now",
                           "CurrentDirectory",
                           "GetClipboardText",
                           "SetClipboardText",
                           "ReadIniItem",
                           "WriteIniItem",
                           "MessageBox"})
    EXPECT_NE(Commands().Find(name), nullptr) << name;
}

TEST(CoreCommands, ResultsCarryTheirTypes) {
  EXPECT_EQ(Call("FindText", {T("abc"), T("c")}), Value::Int(3));
  EXPECT_EQ(Call("LeftText", {T("abc"), Value::Int(2)}), T("ab"));
  EXPECT_EQ(Call("ToNumber", {T("１２．５"_gbk)}), Value::Double(12.5));
  EXPECT_EQ(Call("ToText", {Value::Float(0.1f)}), T("0.1"));
  EXPECT_EQ(Call("SplitText", {T("a,,b")}), Value::TextArray({"a", "", "b"}));
  EXPECT_EQ(Call("NumberToMoney", {Value::Double(1234.5), Value::Bool(false)}),
            T("壹仟贰佰叁拾肆元伍角整"_gbk));
  double day = MakeDateTime({2008, 1, 31, 0, 0, 0});
  EXPECT_EQ(Call("AddToTime", {Value::DateTime(day), Value::Int(3), Value::Int(1)}),
            Value::DateTime(MakeDateTime({2008, 2, 29, 0, 0, 0})));
  EXPECT_EQ(Call("YearOf", {Value::DateTime(day)}), Value::Int(2008));
  EXPECT_EQ(Call("DateOf", {Value::DateTime(day + 0.5)}), Value::DateTime(day));
}

TEST(CoreCommands, OmittedArgumentsAreNotGivenZeros) {
  Value omitted;
  // Replace count: omitted replaces all, a given 0 none.
  EXPECT_EQ(Call("ReplaceSubText", {T("a-b-c"), T("-"), T("+"), omitted, omitted}), T("a+b+c"));
  EXPECT_EQ(Call("ReplaceSubText", {T("a-b-c"), T("-"), T("+"), omitted, Value::Int(0)}),
            T("a-b-c"));
  // New text omitted is the empty text.
  EXPECT_EQ(Call("ReplaceSubText", {T("a-b-c"), T("-")}), T("abc"));
  // Maximum parts: omitted is no limit, a given 0 no parts.
  EXPECT_EQ(Call("SplitText", {T("a,b"), omitted, omitted}), Value::TextArray({"a", "b"}));
  EXPECT_EQ(Call("SplitText", {T("a,b"), omitted, Value::Int(0)}), Value::TextArray({}));
  // Delimiter: omitted is ",", a given empty text splits nowhere.
  EXPECT_EQ(Call("SplitText", {T("a,b"), T("")}), Value::TextArray({"a,b"}));
  // Caption: omitted is "信息：", a given empty text is empty.
  platform::ScriptedDialogs dialogs;
  platform::ScopedServices services({nullptr, nullptr, &dialogs});
  Call("MessageBox", {T("x"), Value::Int(0), omitted});
  EXPECT_EQ(dialogs.shown().back().caption, "信息："_gbk);
  Call("MessageBox", {T("x"), Value::Int(0), T("")});
  EXPECT_EQ(dialogs.shown().back().caption, "");
}

TEST(CoreCommands, NumericArgumentsOfAnyNumericType) {
  EXPECT_EQ(Call("LeftText", {T("abcdef"), Value::Double(2.9)}), T("ab"));
  EXPECT_EQ(Call("LeftText", {T("abcdef"), Value::Long(1LL << 40)}), T("abcdef"));
  EXPECT_EQ(Call("LeftText", {T("abcdef"), Value::Byte(3)}), T("abc"));
  EXPECT_EQ(Call("NumberToMoney", {Value::Int(10), Value::Bool(true)}), T("一十元整"_gbk));
  EXPECT_EQ(Call("NumberToMoney", {Value::Float(0.5f), Value::Bool(false)}), T("伍角整"_gbk));
}

TEST(CommandArgs, IntegersAreCutTowardZeroAndHeldToTheIntRange) {
  EXPECT_EQ(SaturatedInt(2.9), 2);
  EXPECT_EQ(SaturatedInt(-2.9), -2);
  EXPECT_EQ(SaturatedInt(1e20), 2147483647);
  EXPECT_EQ(SaturatedInt(-1e20), -2147483647 - 1);
  EXPECT_EQ(SaturatedInt(std::nan("")), 0);
}

TEST(CoreCommandsDeathTest, AnArgumentOfTheWrongTypeIsRuntimeError11) {
  auto call_expecting_error = [](std::string_view name, std::vector<Value> args) {
    SCOPED_TRACE(std::string(name));
    testing_support::ExpectRuntimeErrorReport(
        [&] { Call(name, args); }, "错误代码：11\r\n\r\n错误信息：所提供参数的数据类型不符合要求");
  };
  call_expecting_error("LeftText", {Value::Int(5), Value::Int(1)});
  call_expecting_error("LeftText", {T("abc"), T("1")});
  call_expecting_error("FindText", {T("abc"), T("a"), Value(), Value::Int(1)});
  call_expecting_error("NumberToMoney", {T("12"), Value::Bool(false)});
  call_expecting_error("AddToTime", {Value::Double(39569), Value::Int(5), Value::Int(1)});
  call_expecting_error("ReadIniItem", {T("a.ini"), T("s"), Value::Int(1)});
}

}  // namespace
}  // namespace runtime
