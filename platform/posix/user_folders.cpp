// The user's folders on POSIX systems, after the XDG base directory rules.
#include "platform/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/gbk.h"

namespace platform {
namespace {

std::string Native(std::string_view gbk_path) { return GbkToUtf8(gbk_path, false); }

std::optional<std::string> HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  // A program started without HOME (by a service manager, say) still has a
  // home in the user database.
  if (const passwd* user = getpwuid(getuid());
      user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/')
    return user->pw_dir;
  return std::nullopt;
}

bool IsFolder(const std::string& native) {
  struct stat st {};
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<std::string> UserDataDirectory(std::string_view name) {
  std::string base;
  // A relative XDG_DATA_HOME is invalid and is ignored, as the rules say.
  if (const char* data_home = std::getenv("XDG_DATA_HOME");
      data_home != nullptr && *data_home == '/') {
    base = data_home;
  } else if (auto home = HomeDirectory()) {
    base = *home + "/.local/share";
  } else {
    return std::nullopt;
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return Utf8ToGbk(base + "/" + std::string(name));
}

bool IsUsersOwnFolder(std::string_view gbk_path) {
  const uid_t user = geteuid();
  if (user == 0) return false;
  const std::string native = Native(gbk_path);
  struct stat st {};
  if (stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return st.st_uid == user && access(native.c_str(), W_OK | X_OK) == 0;
}

bool MakePrivateFolder(std::string_view gbk_path) {
  const std::string native = Native(gbk_path);
  if (native.empty()) return false;
  // Each missing folder from the top down; one made at the same moment by
  // another start counts as made.
  for (std::size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
    const std::string part = native.substr(0, slash);
    if (!IsFolder(part) && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return IsFolder(native);
}

}  // namespace platform
