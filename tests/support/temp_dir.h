// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A path from UTF-8 text and back, the same on every system (a narrow
// string is the ANSI code page on Windows).
inline std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // `name` inside the folder, as a UTF-8 path string.
  std::string File(const std::string& name) const { return Utf8Of(path_ / Utf8Path(name)); }

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support
