#include <sys/stat.h>

#include "tests/support/file_mode.h"

namespace testing_support {

std::optional<unsigned> PermissionBits(const std::filesystem::path& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<unsigned>(st.st_mode & 0777);
}

bool MappedFilesAreListed() { return std::filesystem::exists("/proc/self/maps"); }

}  // namespace testing_support
