#include "forms/text_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace forms {

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
  block_ = std::move(other.block_);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

void TextBuffer::reserve(std::size_t bytes) {
  if (!block_.Grow(bytes)) throw std::bad_alloc();
}

void TextBuffer::append(std::string_view text) {
  if (text.empty()) return;
  const std::size_t room = block_.size();
  if (text.size() > room - size_) {
    const char* old = block_.data();
    const bool own = old != nullptr && text.data() >= old && text.data() < old + size_;
    const std::size_t from = own ? static_cast<std::size_t>(text.data() - old) : 0;
    reserve(std::max({size_ + text.size(), 2 * room, std::size_t{256}}));
    if (own) text = std::string_view(block_.data() + from, text.size());
  }
  std::memcpy(block_.data() + size_, text.data(), text.size());
  size_ += text.size();
}

}  // namespace forms
