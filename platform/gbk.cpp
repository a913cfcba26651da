#include "platform/gbk.h"

#include <array>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/system.h"

namespace platform {
namespace {

// Every byte sequence of one or two bytes from 0x80 up that is a character,
// with its Unicode character (0 where it is none), worked out once with the
// system's converter: a sequence counts only when it converts to one
// character and back to itself.
class CharTable {
 public:
  CharTable() {
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      single_[lead - 0x80] = system::Cp936Char(std::string(1, static_cast<char>(lead)));
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
        pairs_[(lead - 0x80) * 256 + trail] = system::Cp936Char(pair);
      }
    }
  }
  char32_t Single(unsigned char byte) const { return single_[byte - 0x80]; }
  char32_t Pair(unsigned char lead, unsigned char trail) const {
    return pairs_[(lead - 0x80) * 256 + trail];
  }

 private:
  std::array<char32_t, 128> single_{};
  std::array<char32_t, 128 * 256> pairs_{};
};

const CharTable& Chars() {
  static const CharTable table;
  return table;
}

}  // namespace

GbkChar GbkCharAt(std::string_view text, std::size_t pos) {
  auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {1, true, lead};
  if (pos + 1 < text.size()) {
    auto trail = static_cast<unsigned char>(text[pos + 1]);
    if (trail >= 0x40 && trail != 0x7F && trail != 0xFF) {
      if (char32_t c = Chars().Pair(lead, trail)) return {2, true, c};
    }
  }
  if (char32_t c = Chars().Single(lead)) return {1, true, c};
  return {1, false, 0};
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

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

std::string Utf8ToGbk(std::string_view utf8) { return system::Utf8ToCp936(utf8); }

std::string Utf8ToGbkTyped(std::string_view utf8, bool* dropped) {
  bool any = false;
  // The bytes of a character that does not convert fail one by one: each is
  // left out, so the whole character is.
  std::string gbk = system::Utf8ToCp936(utf8, &any);
  if (dropped != nullptr) *dropped = any;
  return gbk;
}

const std::string& LeftOutCharactersNote() {
  return "输入中有无法保存的字符（如表情、韩文、泰文），已略去"_gbk;
}

std::string WithCrLfLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string GbkToUtf8(std::string_view gbk, bool escape_invalid) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2 + 4);
  for (std::size_t i = 0; i < gbk.size();) {
    GbkChar c = GbkCharAt(gbk, i);
    if (c.valid) {
      AppendUtf8(c.code, out);
    } else if (escape_invalid) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(gbk[i]));
      out += hex;
    } else {
      out += "\xEF\xBF\xBD";
    }
    i += c.length;
  }
  return out;
}

std::string GbkToEscapedUtf8(std::string_view gbk, std::string_view escaped) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2 + 4);
  for (std::size_t i = 0; i < gbk.size();) {
    GbkChar c = GbkCharAt(gbk, i);
    if (!c.valid) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(gbk[i]));
      out += hex;
    } else if (c.code < 0x80 && escaped.find(static_cast<char>(c.code)) != std::string_view::npos) {
      out += '\\';
      switch (c.code) {
        case '\r':
          out += 'r';
          break;
        case '\n':
          out += 'n';
          break;
        case '\t':
          out += 't';
          break;
        default:
          out += static_cast<char>(c.code);
      }
    } else {
      AppendUtf8(c.code, out);
    }
    i += c.length;
  }
  return out;
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
