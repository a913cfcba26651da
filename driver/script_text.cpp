#include "driver/script_text.h"

#include "platform/gbk.h"

namespace driver {

std::string ScriptTextToGbk(std::string_view script_text) {
  std::string utf8;
  utf8.reserve(script_text.size());
  for (std::size_t i = 0; i < script_text.size(); ++i) {
    char c = script_text[i];
    if (c != '\\' || i + 1 == script_text.size()) {
      utf8 += c;
      continue;
    }
    switch (char next = script_text[++i]) {
      case 'r':
        utf8 += '\r';
        break;
      case 'n':
        utf8 += '\n';
        break;
      case 't':
        utf8 += '\t';
        break;
      case 's':
        utf8 += ' ';
        break;
      case '\\':
        utf8 += '\\';
        break;
      case '"':
        utf8 += '"';
        break;
      default:
        utf8 += '\\', utf8 += next;
        break;
    }
  }
  return platform::Utf8ToGbk(utf8);
}

std::string Quoted(std::string_view gbk) {
  // Escape the control characters and quotes first, on GBK bytes (they are
  // single bytes there), then convert; invalid bytes come out as \xNN.
  std::string escaped;
  escaped.reserve(gbk.size() + 8);
  for (std::size_t i = 0; i < gbk.size();) {
    std::size_t n = platform::CharLength(gbk, i);
    // A lead byte whose follower cannot be a trail byte stands alone: it is
    // written as \xNN and the follower keeps its own escape.
    if (n == 2 && static_cast<unsigned char>(gbk[i + 1]) < 0x40) n = 1;
    if (n == 1) {
      switch (char c = gbk[i]) {
        case '\r':
          escaped += "\\r";
          break;
        case '\n':
          escaped += "\\n";
          break;
        case '\t':
          escaped += "\\t";
          break;
        case '\\':
          escaped += "\\\\";
          break;
        case '"':
          escaped += "\\\"";
          break;
        default:
          escaped += c;
          break;
      }
    } else {
      escaped.append(gbk.substr(i, n));
    }
    i += n;
  }
  return '"' + platform::GbkToUtf8(escaped, true) + '"';
}

}  // namespace driver
