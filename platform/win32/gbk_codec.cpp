// Code page 936 through Windows' own conversions.
#include <windows.h>

#include "platform/system.h"

namespace platform::system {
namespace {

// The length of the well-formed UTF-8 character at `pos` and the character,
// or 0 when the bytes there are not one.
std::size_t Utf8CharAt(std::string_view text, std::size_t pos, char32_t& c) {
  const auto b = static_cast<unsigned char>(text[pos]);
  std::size_t n = 0;
  char32_t least = 0;
  if (b < 0x80) {
    c = b;
    return 1;
  } else if (b >= 0xC2 && b < 0xE0) {
    n = 2, c = b & 0x1F, least = 0x80;
  } else if (b >= 0xE0 && b < 0xF0) {
    n = 3, c = b & 0x0F, least = 0x800;
  } else if (b >= 0xF0 && b < 0xF5) {
    n = 4, c = b & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (pos + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto t = static_cast<unsigned char>(text[pos + k]);
    if ((t & 0xC0) != 0x80) return 0;
    c = c << 6 | (t & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
  return n;
}

// The GBK bytes of one character, or empty when code page 936 lacks it.
std::string Encode(char32_t c) {
  wchar_t wide[2];
  int units = 1;
  if (c >= 0x10000) {
    wide[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    units = 2;
  } else {
    wide[0] = static_cast<wchar_t>(c);
  }
  char out[8];
  BOOL defaulted = FALSE;
  const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide, units, out, sizeof out,
                                    nullptr, &defaulted);
  if (n <= 0 || defaulted) return {};
  return std::string(out, static_cast<std::size_t>(n));
}

}  // namespace

char32_t Cp936Char(std::string_view bytes) {
  wchar_t wide[4];
  const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(),
                                    static_cast<int>(bytes.size()), wide, 4);
  // Windows gives the user-defined areas private-use characters, which the
  // GBK of the desk's other system does not hold: they stay bytes that are
  // not valid GBK on both.
  if (n != 1 || (wide[0] >= 0xD800 && wide[0] <= 0xF8FF)) return 0;
  const char32_t c = wide[0];
  return Encode(c) == bytes ? c : 0;
}

// Byte for byte as iconv does it: a character GBK lacks, or a byte that
// starts no well-formed character, gives one '?' per byte.
std::string Utf8ToCp936(std::string_view utf8, bool* left_out) {
  if (left_out != nullptr) *left_out = false;
  std::string out;
  out.reserve(utf8.size() * 3 / 2 + 4);
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t n = Utf8CharAt(utf8, i, c);
    if (n == 1) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    std::string bytes = n == 0 ? std::string() : Encode(c);
    if (bytes.empty()) {
      if (left_out != nullptr) {
        *left_out = true;
      } else {
        out += '?';
      }
      ++i;
      continue;
    }
    out += bytes;
    i += n;
  }
  return out;
}

}  // namespace platform::system
