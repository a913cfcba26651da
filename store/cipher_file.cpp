#include "store/cipher_file.h"

#include <vector>

namespace store {

platform::FileResult<std::size_t> CipherFile::ReadAt(std::uint64_t offset,
                                                     std::span<std::uint8_t> out) {
  auto result = file_->ReadAt(offset, out);
  if (cipher_) cipher_->Apply(offset, out.first(result.value));
  return result;
}

platform::FileError CipherFile::ReadExactly(std::uint64_t offset, std::span<std::uint8_t> out) {
  auto result = ReadAt(offset, out);
  if (!result.ok()) return result.error;
  return result.value == out.size() ? platform::FileError::kNone : platform::FileError::kEndOfFile;
}

platform::FileError CipherFile::ReadStoredExactly(std::uint64_t offset,
                                                  std::span<std::uint8_t> out) {
  auto result = file_->ReadAt(offset, out);
  if (!result.ok()) return result.error;
  return result.value == out.size() ? platform::FileError::kNone : platform::FileError::kEndOfFile;
}

platform::FileError CipherFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
  written_ = true;
  if (!cipher_) return file_->WriteAt(offset, data);
  std::vector<std::uint8_t> copy(data.begin(), data.end());
  cipher_->Apply(offset, copy);
  return file_->WriteAt(offset, copy);
}

platform::FileError CipherFile::Flush() {
  if (!written_) return platform::FileError::kNone;
  written_ = false;
  return file_->Flush();
}

}  // namespace store
