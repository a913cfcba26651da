#include "platform/big_buffer.h"

#include <utility>

namespace platform {

GrowingBlock::GrowingBlock(GrowingBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

GrowingBlock& GrowingBlock::operator=(GrowingBlock&& other) noexcept {
  GrowingBlock gone(std::move(*this));
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

}  // namespace platform
