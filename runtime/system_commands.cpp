#include "runtime/system_commands.h"

#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "platform/services.h"
#include "runtime/convert.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

std::string_view SkipLeadingBlanks(std::string_view name) {
  while (!name.empty() && static_cast<unsigned char>(name.front()) <= 0x20) name.remove_prefix(1);
  return name;
}

// A text cut to what the settings reader's buffer holds, never inside a
// double-byte character.
Text CutToIniLimit(std::string_view text) {
  std::size_t length = 0;
  while (length < text.size() &&
         length + platform::CharLength(text, length) <= platform::kIniValueLimit)
    length += platform::CharLength(text, length);
  return Text(text.substr(0, length));
}

}  // namespace

Text CurrentDirectory() { return platform::CurrentDirectory().value_or(Text()); }

Text GetClipboardText() {
  std::optional<std::string> text = platform::Current().clipboard->GetText();
  if (!text) return {};
  return text->substr(0, text->find('\0'));
}

bool SetClipboardText(std::string_view text) {
  return platform::Current().clipboard->SetText(text);
}

const Text& DefaultMessageBoxCaption() { return "信息："_gbk; }

Text MessageBoxText(const Value& message) {
  if (message.IsText() || message.IsNumeric() || message.type() == type::kBool ||
      message.type() == type::kDateTime)
    return ToText(message);
  return {};
}

std::int32_t MessageBox(const Value& message, std::uint32_t style, std::string_view caption) {
  platform::BoxAnswer answer =
      platform::Current().dialogs->ShowMessageBox(MessageBoxText(message), caption, style);
  return static_cast<std::int32_t>(answer);
}

Text ReadIniItem(std::string_view file, std::string_view section, std::string_view key,
                 std::string_view fallback) {
  file = SkipLeadingBlanks(file);
  section = SkipLeadingBlanks(section);
  key = SkipLeadingBlanks(key);
  if (file.empty() || section.empty() || key.empty()) return {};
  std::optional<std::string> value = platform::ReadIniValue(file, section, key);
  return value ? *value : CutToIniLimit(fallback);
}

bool WriteIniItem(std::string_view file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value) {
  if (!key) return platform::DeleteIniSection(file, section);
  if (!value) return platform::DeleteIniKey(file, section, *key);
  return platform::WriteIniValue(file, section, *key, *value);
}

}  // namespace runtime
