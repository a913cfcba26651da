// Reading the arguments of a command called through the command table.
//
// Each reader takes the argument list and the argument's index. An omitted
// argument (type 0, or an index beyond the list) gives the reader's default;
// a given argument of a type the reader cannot use ends the program with
// runtime error 11 ("所提供参数的数据类型不符合要求"), as the runtime's own
// argument checks do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// An integer: any numeric type, a Double or Float cut toward zero and held to
// the Int range (NaN gives 0).
std::optional<std::int32_t> OptionalIntArg(Args args, std::size_t i);
std::int32_t IntArg(Args args, std::size_t i, std::int32_t fallback = 0);

// A number: any numeric type, widened.
double NumberArg(Args args, std::size_t i, double fallback = 0);

// A Bool.
bool BoolArg(Args args, std::size_t i, bool fallback = false);

// A Text; the view points into the argument list.
std::optional<std::string_view> OptionalTextArg(Args args, std::size_t i);
std::string_view TextArg(Args args, std::size_t i, std::string_view fallback = {});

// A DateTime.
double DateTimeArg(Args args, std::size_t i, double fallback = 0);

// A double held to the Int range, cut toward zero; NaN gives 0.
std::int32_t SaturatedInt(double value);

}  // namespace runtime
