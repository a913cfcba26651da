// Lengths as the print-settings window shows them: tenths of a millimetre
// written as millimetres with one decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace report {

// "23" for 230, "10.5" for 105, "-0.5" for -5.
std::string MillimetreText(std::int32_t tenths);

// The tenths of a millimetre a typed length stands for: digits with at most
// one decimal place, spaces around them allowed ("10", "10.5", "0.5", ".5",
// "10."); nullopt for anything else or beyond 100 000 mm.
std::optional<std::int32_t> ParseMillimetres(std::string_view text);

}  // namespace report
