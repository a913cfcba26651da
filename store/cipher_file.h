// A file seen through its password: every transfer is deciphered after
// reading and enciphered (on a copy) before writing. A file without
// password passes bytes unchanged.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "platform/file.h"
#include "store/page_cipher.h"

namespace store {

class CipherFile {
 public:
  CipherFile() = default;
  CipherFile(std::unique_ptr<platform::File> file, std::shared_ptr<PageCipher> cipher)
      : file_(std::move(file)), cipher_(std::move(cipher)) {}

  bool is_open() const { return file_ != nullptr; }
  // Changes the password the file is seen through (nullptr: none).
  void SetCipher(std::shared_ptr<PageCipher> cipher) { cipher_ = std::move(cipher); }
  const std::shared_ptr<PageCipher>& cipher() const { return cipher_; }

  // Reads up to `out.size()` bytes at `offset`, deciphered; the count read
  // is the value.
  platform::FileResult<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
  // Reads exactly `out.size()` bytes: kEndOfFile when the file ends first.
  platform::FileError ReadExactly(std::uint64_t offset, std::span<std::uint8_t> out);
  // Reads exactly `out.size()` bytes as stored, leaving them enciphered, for
  // a reader that deciphers only the parts it looks at (Decipher).
  platform::FileError ReadStoredExactly(std::uint64_t offset, std::span<std::uint8_t> out);
  // Deciphers stored bytes that lie at `offset`.
  void Decipher(std::uint64_t offset, std::span<std::uint8_t> data) {
    if (cipher_) cipher_->Apply(offset, data);
  }
  // Deciphers stored bytes that lie at `offset` from `stored` into `out`,
  // of the same size.
  void DecipherInto(std::uint64_t offset, std::span<const std::uint8_t> stored,
                    std::span<std::uint8_t> out) {
    if (cipher_)
      cipher_->ApplyTo(offset, stored, out);
    else if (!stored.empty())
      std::memcpy(out.data(), stored.data(), stored.size());
  }
  // Whether stored bytes that lie at `offset` decipher to `plain` (of the
  // same size).
  bool Deciphers(std::uint64_t offset, std::span<const std::uint8_t> stored,
                 std::span<const std::uint8_t> plain) {
    if (cipher_) return cipher_->Deciphers(offset, stored, plain);
    return stored.empty() || std::memcmp(stored.data(), plain.data(), stored.size()) == 0;
  }
  // Asks for the keystream of `offset` to be fetched ahead of Decipher.
  void PrefetchKeystream(std::uint64_t offset) const {
    if (cipher_) cipher_->Prefetch(offset);
  }
  platform::FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data);

  platform::FileResult<std::uint64_t> Size() { return file_->Size(); }
  platform::FileError Truncate(std::uint64_t size) {
    written_ = true;
    ++cuts_;
    return file_->Truncate(size);
  }
  // How many times this opener has cut the file: a reader of MapStored's
  // view looks at the size again after a cut.
  std::uint64_t cuts() const { return cuts_; }
  // A view of the stored, still enciphered bytes (see
  // platform::File::MapForReading); nullptr when the file cannot be viewed.
  std::unique_ptr<platform::ReadOnlyMapping> MapStored(std::uint64_t length) {
    return file_->MapForReading(length);
  }
  // Pushes what was written since the last flush to the device; a file
  // that was only read is left alone.
  platform::FileError Flush();
  platform::FileError Lock(std::uint64_t offset, std::uint64_t length) {
    return file_->Lock(offset, length);
  }
  platform::FileError Unlock(std::uint64_t offset, std::uint64_t length) {
    return file_->Unlock(offset, length);
  }

 private:
  std::unique_ptr<platform::File> file_;
  std::shared_ptr<PageCipher> cipher_;
  bool written_ = false;
  std::uint64_t cuts_ = 0;
};

}  // namespace store
