// Little-endian readers and writers for the window-template segment.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian integers and strings to a byte vector.
class ByteWriter {
 public:
  void U32(std::uint32_t value);
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void Raw(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  // A NUL-terminated string (the text must not hold a NUL).
  void String(std::string_view text);
  // A 32-bit byte length followed by the bytes, no NUL.
  void Counted(std::string_view text);
  // Overwrites the 32-bit value at `offset` (for lengths known only later).
  void PatchU32(std::size_t offset, std::uint32_t value);

  std::size_t size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

// Reads little-endian integers and strings from a byte span. The first read
// that runs past the end marks the reader failed; every later read returns 0
// or empty, so a parser may check `ok()` once at the end of a block.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint32_t U32();
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  // A NUL-terminated string.
  std::string String();
  // A 32-bit length and that many bytes.
  std::string Counted();
  // The next `count` bytes.
  std::span<const std::uint8_t> Raw(std::size_t count);
  void Skip(std::size_t count) { Raw(count); }

  // Marks the reader failed (a value read was out of its range).
  void Fail() { ok_ = false; }
  bool ok() const { return ok_; }
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }
  bool AtEnd() const { return ok_ && pos_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace forms
