// The permission bits of a file, where the system keeps them.
#pragma once

#include <filesystem>
#include <optional>

namespace testing_support {

// The file's rwx bits for owner, group and others; nullopt where the system
// has no such bits (Windows) or the file cannot be looked at.
std::optional<unsigned> PermissionBits(const std::filesystem::path& path);

// Whether the system lists the files a process has mapped (/proc/self/maps
// on Linux; Windows lists none, and there the store reads its files).
bool MappedFilesAreListed();

}  // namespace testing_support
