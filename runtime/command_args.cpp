#include "runtime/command_args.h"

#include <cmath>
#include <limits>

#include "runtime/error_report.h"

namespace runtime {
namespace {

constexpr int kArgumentTypeError = 11;

// The argument, or nullptr when it was omitted.
const Value* Given(Args args, std::size_t i) {
  const Value& value = Arg(args, i);
  return value.IsNone() ? nullptr : &value;
}

}  // namespace

std::int32_t SaturatedInt(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  if (value <= kLow) return std::numeric_limits<std::int32_t>::min();
  if (value >= kHigh) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> OptionalIntArg(Args args, std::size_t i) {
  const Value* value = Given(args, i);
  if (value == nullptr) return std::nullopt;
  if (!value->IsNumeric()) RaiseRuntimeError(kArgumentTypeError);
  if (value->type() == type::kFloat || value->type() == type::kDouble)
    return SaturatedInt(value->NumericValue());
  std::int64_t v = value->AsInt64();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

std::int32_t IntArg(Args args, std::size_t i, std::int32_t fallback) {
  return OptionalIntArg(args, i).value_or(fallback);
}

double NumberArg(Args args, std::size_t i, double fallback) {
  const Value* value = Given(args, i);
  if (value == nullptr) return fallback;
  if (!value->IsNumeric()) RaiseRuntimeError(kArgumentTypeError);
  return value->NumericValue();
}

bool BoolArg(Args args, std::size_t i, bool fallback) {
  const Value* value = Given(args, i);
  if (value == nullptr) return fallback;
  if (value->type() != type::kBool) RaiseRuntimeError(kArgumentTypeError);
  return value->AsBool();
}

std::optional<std::string_view> OptionalTextArg(Args args, std::size_t i) {
  const Value* value = Given(args, i);
  if (value == nullptr) return std::nullopt;
  if (!value->IsText()) RaiseRuntimeError(kArgumentTypeError);
  return std::string_view(value->AsText());
}

std::string_view TextArg(Args args, std::size_t i, std::string_view fallback) {
  return OptionalTextArg(args, i).value_or(fallback);
}

double DateTimeArg(Args args, std::size_t i, double fallback) {
  const Value* value = Given(args, i);
  if (value == nullptr) return fallback;
  if (value->type() != type::kDateTime) RaiseRuntimeError(kArgumentTypeError);
  return value->AsDouble();
}

}  // namespace runtime
