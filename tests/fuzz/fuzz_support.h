// What the fuzz targets share: a scratch folder for the files an input
// becomes, and writing bytes there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace fuzz_support {

// A folder of this process's own (in shared memory where there is some, so
// that the thousands of files an hour's run writes never reach a disk),
// removed with everything in it when the process ends.
const std::filesystem::path& ScratchDir();

// Replaces the file at `path` with `bytes`.
void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace fuzz_support
