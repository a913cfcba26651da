// Bytes written one after the other, for a list's texts. The block grows
// without its bytes being copied where the system can, and a big one is
// backed by large pages where the system has them: a list of 100 000 rows
// writes each byte once and takes a fault every 2 MB.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/big_buffer.h"

namespace forms {

class TextBuffer {
 public:
  TextBuffer() = default;
  TextBuffer(TextBuffer&& other) noexcept { *this = std::move(other); }
  TextBuffer& operator=(TextBuffer&& other) noexcept;
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  const char* data() const { return block_.data(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {block_.data(), size_}; }

  // `text` may lie in this buffer itself.
  void append(std::string_view text);
  TextBuffer& operator+=(std::string_view text) {
    append(text);
    return *this;
  }
  // Room for `bytes` in all, asked for once.
  void reserve(std::size_t bytes);
  // Only ever shortens.
  void truncate(std::size_t bytes) {
    if (bytes < size_) size_ = bytes;
  }
  // Gives the memory back.
  void release() { *this = TextBuffer(); }

 private:
  platform::GrowingBlock block_;  // its size is the buffer's room
  std::size_t size_ = 0;
};

}  // namespace forms
