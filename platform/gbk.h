// GBK (code page 936) byte strings and their conversion at the program's edges.
//
// Inside the program every text is a GBK byte string: a byte >= 0x80 starts a
// two-byte character, any other byte is a character of its own. These helpers
// walk such strings and convert them to and from UTF-8, which is what the file
// system, the terminal, script files and Qt speak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// True when `byte` starts a two-byte character.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// Length in bytes of the character that starts at `pos`: 2 for a lead byte
// followed by a trail byte, else 1 (a lead byte at the very end counts as one).
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// The first bytes of `text`, at most `limit` of them, never ending in half
// a double-byte character.
std::string_view LeadingBytes(std::string_view text, std::size_t limit);

// One character of a GBK text as the conversions and every escaping of texts
// see it. A byte below 0x80 is a character of its own. A lead byte and its
// follower are one character when the pair is a GBK character that converts
// to Unicode and back to the same two bytes. Anything else is one byte that
// is not valid GBK (a lone lead byte, 0x80 or 0xFF unless they convert back
// to themselves, the lead byte of a pair that does not convert); the byte
// after it is then a character of its own again, so a tab, line break,
// quote or backslash after a stray lead byte is still seen as one.
struct GbkChar {
  std::size_t length = 1;
  bool valid = true;
  char32_t code = 0;  // the Unicode character when valid
};
GbkChar GbkCharAt(std::string_view text, std::size_t pos);

// Appends the UTF-8 form of `c`; invalid characters must not be passed.
void AppendUtf8(char32_t c, std::string& out);

// ASCII letters folded to lower case; bytes of double-byte characters are
// left alone (their trail bytes may look like letters).
std::string FoldCase(std::string_view gbk);

// Equality without regard to letter case, double-byte aware.
bool EqualIgnoreCase(std::string_view a, std::string_view b);

// UTF-8 to GBK. Characters GBK cannot hold become '?'.
std::string Utf8ToGbk(std::string_view utf8);

// UTF-8 to GBK for what a person types: characters GBK cannot hold (emoji,
// Korean, Thai ...) are left out instead of becoming '?'. `dropped`, when
// given, tells whether any was left out.
std::string Utf8ToGbkTyped(std::string_view utf8, bool* dropped);

// What the status line says when typed characters were left out (GBK).
const std::string& LeftOutCharactersNote();

// Every line end of a text (CR LF, a lone LF or a lone CR) as CR LF: texts
// that come from outside, as the clipboard's, end their lines the desk's way.
std::string WithCrLfLineEnds(std::string_view text);

// GBK to UTF-8, character by character as GbkCharAt sees them. Bytes that
// are not valid GBK are written as the four characters "\xNN" (lower-case
// hex) when `escape_invalid` is set, else as U+FFFD.
std::string GbkToUtf8(std::string_view gbk, bool escape_invalid = true);

// GBK to UTF-8 for text that is read back in: each ASCII control character
// or mark listed in `escaped` (from "\r\n\t\\\"") is written as a backslash
// and its letter (\r \n \t \\ \"), and bytes that are not valid GBK as
// \xNN. Reading the result back gives the same bytes, whatever they were.
std::string GbkToEscapedUtf8(std::string_view gbk, std::string_view escaped);

// A GBK copy of a UTF-8 literal, converted once per literal and kept for the
// whole run. Source files are UTF-8; `"添加"_gbk` is the GBK text.
const std::string& operator""_gbk(const char* utf8, std::size_t length);

}  // namespace platform
