#include "forms/byte_io.h"

namespace forms {

void ByteWriter::U32(std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::String(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
}

void ByteWriter::Counted(std::string_view text) {
  U32(static_cast<std::uint32_t>(text.size()));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void ByteWriter::PatchU32(std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t ByteReader::U32() {
  auto bytes = Raw(4);
  if (bytes.size() != 4) return 0;
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

std::string ByteReader::String() {
  if (!ok_) return {};
  for (std::size_t end = pos_; end < bytes_.size(); ++end) {
    if (bytes_[end] == 0) {
      std::string text(reinterpret_cast<const char*>(bytes_.data() + pos_), end - pos_);
      pos_ = end + 1;
      return text;
    }
  }
  ok_ = false;
  return {};
}

std::string ByteReader::Counted() {
  std::uint32_t length = U32();
  auto bytes = Raw(length);
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::span<const std::uint8_t> ByteReader::Raw(std::size_t count) {
  if (!ok_ || count > bytes_.size() - pos_) {
    ok_ = false;
    return {};
  }
  auto part = bytes_.subspan(pos_, count);
  pos_ += count;
  return part;
}

}  // namespace forms
