#include "app/window_placement.h"

#include <charconv>
#include <string>

#include "app/run_values.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"

namespace desk {
namespace {

using platform::operator""_gbk;

struct Key {
  const char* name;  // UTF-8
  int forms::WindowPlacement::*value;
};

constexpr Key kKeys[] = {{"左", &forms::WindowPlacement::left},
                         {"上", &forms::WindowPlacement::top},
                         {"宽", &forms::WindowPlacement::width},
                         {"高", &forms::WindowPlacement::height}};

const std::string& Section() { return "主窗口"_gbk; }
std::string SettingsFile() { return ProgramFile("配置.ini"_gbk); }

std::optional<int> ReadNumber(const std::string& file, const char* key) {
  const std::optional<std::string> text =
      platform::ReadIniValue(file, Section(), platform::Utf8ToGbk(key));
  if (!text) return std::nullopt;
  int number = 0;
  const char* end = text->data() + text->size();
  auto [at, error] = std::from_chars(text->data(), end, number);
  if (error != std::errc() || at != end) return std::nullopt;
  return number;
}

}  // namespace

std::optional<forms::WindowPlacement> ReadMainWindowPlacement() {
  const std::string file = SettingsFile();
  forms::WindowPlacement placement;
  for (const Key& key : kKeys) {
    std::optional<int> number = ReadNumber(file, key.name);
    if (!number) return std::nullopt;
    placement.*key.value = *number;
  }
  placement.maximised = ReadNumber(file, "最大化").value_or(0) != 0;
  return placement;
}

bool WriteMainWindowPlacement(const forms::WindowPlacement& placement) {
  const std::string file = SettingsFile();
  bool written = true;
  for (const Key& key : kKeys)
    written = written && platform::WriteIniValue(file, Section(), platform::Utf8ToGbk(key.name),
                                                 std::to_string(placement.*key.value));
  return written && platform::WriteIniValue(file, Section(), platform::Utf8ToGbk("最大化"),
                                            placement.maximised ? "1" : "0");
}

}  // namespace desk
