#include "driver/script_text.h"

#include "platform/gbk.h"

namespace driver {

std::string ScriptTextToGbk(std::string_view script_text, bool* dropped) {
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
  if (dropped != nullptr) return platform::Utf8ToGbkTyped(utf8, dropped);
  return platform::Utf8ToGbk(utf8);
}

std::string Quoted(std::string_view gbk) {
  return '"' + platform::GbkToEscapedUtf8(gbk, "\r\n\t\\\"") + '"';
}

}  // namespace driver
