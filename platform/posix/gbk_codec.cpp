// Code page 936 through iconv.
#include <iconv.h>

#include <cerrno>
#include <memory>

#include "platform/system.h"

namespace platform::system {
namespace {

using Converter = std::unique_ptr<void, int (*)(iconv_t)>;

Converter Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {nullptr, iconv_close};
  return {cd, iconv_close};
}

// The whole of `input` converted, or empty when any of it does not convert.
std::string Run(iconv_t cd, const std::string& input) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[16];
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char* out = buffer;
  std::size_t out_left = sizeof buffer;
  if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1) || in_left != 0)
    return {};
  // Flush any state the converter still holds.
  if (iconv(cd, nullptr, nullptr, &out, &out_left) == static_cast<std::size_t>(-1)) return {};
  return std::string(buffer, static_cast<std::size_t>(out - buffer));
}

// The characters of UTF-8 text that is known to be well formed.
std::u32string Utf8ToCodes(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    for (std::size_t k = 1; k < n && i + k < utf8.size(); ++k)
      c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out += c;
    i += n;
  }
  return out;
}

}  // namespace

char32_t Cp936Char(std::string_view bytes) {
  // Built once per run; the table of characters asks for every byte pair.
  static const Converter to_utf8 = Open("UTF-8", "CP936");
  static const Converter to_gbk = Open("CP936", "UTF-8");
  if (!to_utf8 || !to_gbk) return 0;
  std::string input(bytes);
  std::string utf8 = Run(to_utf8.get(), input);
  if (utf8.empty()) return 0;
  std::u32string codes = Utf8ToCodes(utf8);
  if (codes.size() != 1 || Run(to_gbk.get(), utf8) != input) return 0;
  return codes[0];
}

std::string Utf8ToCp936(std::string_view utf8, bool* left_out) {
  if (left_out != nullptr) *left_out = false;
  Converter cd = Open("CP936", "UTF-8");
  if (!cd) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size() * 3 / 2 + 4);
  char* in_ptr = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char buffer[1024];
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t rc = iconv(cd.get(), &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: one bad byte; go on after it.
      if (left_out != nullptr) {
        *left_out = true;
      } else {
        out += '?';
      }
      ++in_ptr;
      --in_left;
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace platform::system
