// Windows keeps access lists, not permission bits: the tests of the bits
// have nothing to look at here.
#include "tests/support/file_mode.h"

namespace testing_support {

std::optional<unsigned> PermissionBits(const std::filesystem::path&) { return std::nullopt; }

bool MappedFilesAreListed() { return false; }

}  // namespace testing_support
