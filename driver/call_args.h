// The arguments and result of the driver's `call` verb.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace driver {

// Finds the unit or window named by ":UNIT" / ":WINDOW.UNIT" (without the
// colon); nullopt when there is none.
using UnitResolver = std::function<std::optional<runtime::Value>(std::string_view name)>;

// Splits the words after `call COMMAND` into argument values:
// "text" Text, 123 Int, 1.5 / 1e3 Double, true / false Bool,
// @YYYY-MM-DD[ HH:MM:SS] DateTime, 0x0a0b ByteSet, :UNIT UnitRef, _ omitted.
// Returns nullopt and sets `why` when a word is none of these.
std::optional<std::vector<runtime::Value>> ParseCallArgs(std::string_view words,
                                                         const UnitResolver& resolve_unit,
                                                         std::string& why);

// A result as the transcript shows it: "= TYPE VALUE", "= none",
// "= Text[N] \"a\" \"b\"".
std::string FormatResult(const runtime::Value& result);

}  // namespace driver
