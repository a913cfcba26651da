#include "platform/folders.h"

#include <filesystem>
#include <system_error>

#include "platform/file_names.h"
#include "platform/gbk.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A path from UTF-8 bytes means the same on every system: wide names on
// Windows, the bytes themselves elsewhere.
fs::path PathOf(std::string_view gbk_path) {
  const std::string utf8 = NativePath(gbk_path);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string GbkName(const fs::path& name) {
  const std::u8string utf8 = name.u8string();
  return Utf8ToGbk(std::string(utf8.begin(), utf8.end()));
}

}  // namespace

bool MakeFolders(std::string_view gbk_path) {
  std::error_code error;
  const fs::path path = PathOf(gbk_path);
  fs::create_directories(path, error);
  return fs::is_directory(path, error);
}

bool MakeNewFolder(std::string_view gbk_path) {
  std::error_code error;
  return fs::create_directory(PathOf(gbk_path), error) && !error;
}

bool IsFolder(std::string_view gbk_path) {
  std::error_code error;
  return fs::is_directory(PathOf(gbk_path), error);
}

std::vector<std::string> SubfolderNames(std::string_view gbk_path) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(PathOf(gbk_path), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code kind_error;
    if (it->is_directory(kind_error) && !it->is_symlink(kind_error))
      names.push_back(GbkName(it->path().filename()));
  }
  return names;
}

bool MovePath(std::string_view gbk_from, std::string_view gbk_to) {
  std::error_code error;
  const fs::path to = PathOf(gbk_to);
  // rename replaces an existing file on some systems: nothing is ever
  // moved over something that is there.
  if (fs::exists(fs::symlink_status(to, error))) return false;
  fs::rename(PathOf(gbk_from), to, error);
  return !error;
}

bool RemoveFolderTree(std::string_view gbk_path) {
  std::error_code error;
  const fs::path path = PathOf(gbk_path);
  fs::remove_all(path, error);
  return !error && !fs::exists(fs::symlink_status(path, error));
}

}  // namespace platform
