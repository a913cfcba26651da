// libFuzzer target for the settings-file reader: whatever "配置.ini" holds,
// the desk's two settings read as one line no longer than the reader's
// limit, as the in-memory reader finds them (the default when it finds
// nothing); writing one of them reads back as written and leaves the other
// as it was.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "runtime/system_commands.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using platform::operator""_gbk;

struct Setting {
  const std::string& section_and_key;
  const std::string& fallback;
};

std::string FileText(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) std::abort();
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

void CheckRead(const std::string& path, const std::string& content, const Setting& setting) {
  const std::string value = runtime::ReadIniItem(path, setting.section_and_key,
                                                 setting.section_and_key, setting.fallback);
  if (value.size() > platform::kIniValueLimit) std::abort();
  if (value.find('\n') != std::string::npos) std::abort();
  const std::optional<std::string> found =
      platform::ini::Find(content, setting.section_and_key, setting.section_and_key);
  if (!found) {
    if (value != setting.fallback) std::abort();
  } else if (found->compare(0, value.size(), value) != 0) {
    std::abort();  // the value read is the value found, at most cut short
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = (fuzz_support::ScratchDir() / "配置.ini").string();
  static const std::string gbk_path = platform::Utf8ToGbk(path);
  const Setting shop{"店名"_gbk, "代购店"_gbk};
  const Setting inquiry{"订单查询号码"_gbk, "888888888"_gbk};

  const std::string content(reinterpret_cast<const char*>(data), size);
  fuzz_support::WriteBytes(path, {data, size});
  CheckRead(gbk_path, content, shop);
  CheckRead(gbk_path, content, inquiry);

  const std::string inquiry_before = runtime::ReadIniItem(
      gbk_path, inquiry.section_and_key, inquiry.section_and_key, inquiry.fallback);
  const std::string& name = "新店名"_gbk;
  if (!runtime::WriteIniItem(gbk_path, shop.section_and_key, shop.section_and_key, name))
    std::abort();
  const std::string written = FileText(path);
  CheckRead(gbk_path, written, shop);
  CheckRead(gbk_path, written, inquiry);
  if (runtime::ReadIniItem(gbk_path, shop.section_and_key, shop.section_and_key, shop.fallback) !=
      name)
    std::abort();
  if (runtime::ReadIniItem(gbk_path, inquiry.section_and_key, inquiry.section_and_key,
                           inquiry.fallback) != inquiry_before)
    std::abort();
  return 0;
}
