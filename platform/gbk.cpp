#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// One conversion with iconv. On an invalid or unconvertible sequence
// `on_invalid` is called with the offending byte and the input advances by one.
template <typename OnInvalid>
std::string Convert(const char* to, const char* from, std::string_view input,
                    OnInvalid on_invalid) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
  std::string out;
  out.reserve(input.size() * 3 / 2 + 4);
  char* in_ptr = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char buffer[1024];
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: one bad byte, report it and go on after it.
      on_invalid(out, static_cast<unsigned char>(*in_ptr));
      ++in_ptr;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

std::string FoldCase(std::string_view gbk) {
  std::string out(gbk);
  for (std::size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    char& c = out[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool EqualIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    std::size_t n = CharLength(a, i);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
      if (x != y) return false;
    }
    i += n;
  }
  return true;
}

std::string Utf8ToGbk(std::string_view utf8) {
  return Convert("CP936", "UTF-8", utf8, [](std::string& out, unsigned char) { out += '?'; });
}

std::string GbkToUtf8(std::string_view gbk, bool escape_invalid) {
  return Convert("UTF-8", "CP936", gbk, [escape_invalid](std::string& out, unsigned char byte) {
    if (escape_invalid) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    } else {
      out += "\xEF\xBF\xBD";
    }
  });
}

const std::string& operator""_gbk(const char* utf8, std::size_t length) {
  // Keyed by the literal's contents: the same words in two files share one copy.
  static std::mutex mutex;
  static std::map<std::string, std::string, std::less<>> converted;
  std::string_view key(utf8, length);
  std::lock_guard lock(mutex);
  auto it = converted.find(key);
  if (it == converted.end()) it = converted.emplace(std::string(key), Utf8ToGbk(key)).first;
  return it->second;
}

std::string_view LeadingBytes(std::string_view text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + CharLength(text, end);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace platform
