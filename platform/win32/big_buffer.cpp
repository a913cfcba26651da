// Windows gives large pages only to programs granted the right to lock
// memory, which a desk is not: big buffers are filled page by page, and a
// block grows as the C library grows one.
#include "platform/big_buffer.h"

#include <cstdlib>

namespace platform {

void AdviseBigBuffer(void*, std::size_t) {}

GrowingBlock::~GrowingBlock() { std::free(data_); }

bool GrowingBlock::Grow(std::size_t bytes) {
  if (bytes <= size_) return true;
  void* grown = std::realloc(data_, bytes);
  if (grown == nullptr) return false;
  data_ = static_cast<char*>(grown);
  size_ = bytes;
  return true;
}

}  // namespace platform
