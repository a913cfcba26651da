#include "forms/text_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace forms {

namespace {

// From here on a buffer has a block of its own.
constexpr std::size_t kBig = std::size_t{4} << 20;

}  // namespace

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
  small_ = std::move(other.small_);
  big_ = std::move(other.big_);
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  return *this;
}

void TextBuffer::reserve(std::size_t bytes) {
  if (bytes <= capacity_) return;
  if (bytes < kBig) {
    // realloc extends a block in place where it can.
    char* grown = static_cast<char*>(std::realloc(small_.get(), bytes));
    if (grown == nullptr) throw std::bad_alloc();
    static_cast<void>(small_.release());
    small_.reset(grown);
    data_ = grown;
    capacity_ = bytes;
    return;
  }
  if (!big_.Grow(bytes)) throw std::bad_alloc();
  if (small_) {
    std::memcpy(big_.data(), small_.get(), size_);
    small_.reset();
  }
  data_ = big_.data();
  capacity_ = big_.size();
}

void TextBuffer::append(std::string_view text) {
  if (text.empty()) return;
  if (text.size() > capacity_ - size_) {
    const bool own = data_ != nullptr && text.data() >= data_ && text.data() < data_ + size_;
    const std::size_t from = own ? static_cast<std::size_t>(text.data() - data_) : 0;
    reserve(std::max({size_ + text.size(), 2 * capacity_, std::size_t{256}}));
    if (own) text = std::string_view(data_ + from, text.size());
  }
  std::memcpy(data_ + size_, text.data(), text.size());
  size_ += text.size();
}

}  // namespace forms
