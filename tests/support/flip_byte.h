// Damages a file in one byte, as a bad sector or a stray write would.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace testing_support {

inline void FlipByte(const std::filesystem::path& file, std::uint64_t offset) {
  std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
  stream.seekg(static_cast<std::streamoff>(offset));
  char byte = 0;
  stream.read(&byte, 1);
  stream.seekp(static_cast<std::streamoff>(offset));
  byte = static_cast<char>(byte ^ 0x5a);
  stream.write(&byte, 1);
}

}  // namespace testing_support
