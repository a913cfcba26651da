#include "runtime/value.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(Value, OmittedIsDistinctFromAGivenZero) {
  Value omitted;
  EXPECT_TRUE(omitted.IsNone());
  EXPECT_EQ(omitted.type(), 0u);
  for (const Value& zero :
       {Value::Int(0), Value::Bool(false), Value::Double(0), Value::OfText("")}) {
    EXPECT_FALSE(zero.IsNone());
    EXPECT_FALSE(zero == omitted);
  }
  Value args[] = {Value::Int(7)};
  EXPECT_TRUE(Arg(args, 1).IsNone());
  EXPECT_EQ(Arg(args, 0).AsInt64(), 7);
}

TEST(Value, TypeCodesAndClasses) {
  EXPECT_EQ(Value::Int(1).type(), 0x80000301u);
  EXPECT_EQ(Value::Long(1).type(), 0x80000401u);
  EXPECT_EQ(Value::DateTime(1).type(), 0x80000003u);
  EXPECT_TRUE(Value::Byte(1).IsNumeric());
  EXPECT_TRUE(Value::Float(1).IsNumeric());
  EXPECT_FALSE(Value::Bool(true).IsNumeric());
  EXPECT_FALSE(Value::DateTime(1).IsNumeric());
  Value list = Value::TextArray({"a", "b"});
  EXPECT_EQ(list.type(), type::kText | type::kArrayFlag);
  EXPECT_FALSE(list.IsNumeric());
  EXPECT_EQ(type::Name(list.type()), "Text[]");
  Value unit = Value::Unit({0x52010001, 0x16010002}, type::UnitType(1, 5));
  EXPECT_TRUE(unit.IsUnit());
  EXPECT_EQ(unit.type(), 0x10005u);
  EXPECT_EQ(type::ClassOf(0x40000000), type::Class::kRecord);
}

TEST(Value, NumericValueWidensEveryNumericType) {
  EXPECT_EQ(Value::Short(-5).NumericValue(), -5.0);
  EXPECT_EQ(Value::Long(1LL << 40).NumericValue(), 1099511627776.0);
  EXPECT_EQ(Value::Float(0.5f).NumericValue(), 0.5);
  EXPECT_EQ(Value::Bool(true).NumericValue(), 0.0);
  EXPECT_EQ(Value::OfText("12").NumericValue(), 0.0);
}

TEST(Value, ConditionIsEvaluatedOnlyWhenAsked) {
  int runs = 0;
  Value condition = Value::OfCondition([&] {
    ++runs;
    return Value::Bool(true);
  });
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(condition.Evaluate().AsBool());
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace runtime
