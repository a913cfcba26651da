#include "platform/big_buffer.h"

#include <utility>

namespace platform {

BigBlock::BigBlock(BigBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

BigBlock& BigBlock::operator=(BigBlock&& other) noexcept {
  BigBlock gone(std::move(*this));
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

}  // namespace platform
