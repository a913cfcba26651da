// Bytes written one after the other, for a list's texts. A buffer that
// grows past a few megabytes gets a block of its own from the system,
// grown by moving its pages rather than copying its bytes and backed by
// large pages where the system has them: a list of 100 000 rows writes
// each byte once and takes a fault every 2 MB.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
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

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_, size_}; }

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
  struct Free {
    void operator()(char* bytes) const { std::free(bytes); }
  };
  // The bytes lie in one of these: small_ while the buffer is small.
  std::unique_ptr<char, Free> small_;
  platform::BigBlock big_;
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace forms
