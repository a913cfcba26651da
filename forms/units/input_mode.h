// Edit-box input modes: which characters typing accepts, and what the text
// becomes when the box loses the keyboard focus.
//
//   mode  typing accepts          on losing focus
//   0     anything                unchanged
//   1     nothing (read-only)     unchanged
//   4     digits, "-" and "."     unchanged
//   5     digits                  the number clamped to 0..255
//   6     digits and "-"          the number clamped to -32768..32767
//   7     digits and "-"          the number clamped to the 32-bit range
//   8     digits and "-"          the 64-bit number
//   9     digits, "-" and "."     the number as a Float text
//   10    digits, "-" and "."     the number as a Double text ("%.13g")
//   11    anything                the date-time text, empty when not a date
//
// For modes 5-10 a number whose text is "0" shows as the empty text. Control
// characters (below a space) are always accepted.
#pragma once

#include <string>
#include <string_view>

namespace forms {

constexpr int kReadOnlyMode = 1;

// `typed` (GBK) without the characters that `mode` refuses.
std::string FilterTyped(int mode, std::string_view typed);

// The text a box of `mode` shows after losing the focus while holding `text`.
std::string NormaliseOnLeave(int mode, std::string_view text);

// Reads a date-time text: "YYYY-MM-DD", "YYYY/MM/DD" or "YYYY.MM.DD", each
// optionally followed by " HH:MM" or " HH:MM:SS", or the text form
// "2008年5月1日14时5分9秒" (time parts optional). False when it is none.
bool ParseDateTimeText(std::string_view text, double& date_time);

}  // namespace forms
