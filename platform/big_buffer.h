// Memory for a program's big buffers: a list's texts, the ends of its
// cells, its rows.
#pragma once

#include <cstddef>

namespace platform {

// Tells the system that [start, start + bytes) belongs to one big buffer
// written from start to end: where it can, the system backs it with large
// pages, so that filling it takes a fault every 2 MB instead of every 4 KB.
// Does nothing for buffers under 4 MB, or where the system has no such
// pages; the buffer works the same either way. Not for memory that is
// later given to realloc, which may then have to copy it.
void AdviseBigBuffer(void* start, std::size_t bytes);

// A block of memory that grows at its end, keeping what it holds. Small,
// it is the C library's; from 4 MB on, where the system can, a block of
// its own, advised as above and grown by moving its pages instead of
// copying its bytes.
class GrowingBlock {
 public:
  GrowingBlock() = default;
  GrowingBlock(GrowingBlock&& other) noexcept;
  GrowingBlock& operator=(GrowingBlock&& other) noexcept;
  GrowingBlock(const GrowingBlock&) = delete;
  GrowingBlock& operator=(const GrowingBlock&) = delete;
  ~GrowingBlock();

  char* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Makes the block at least `bytes` long, keeping what it holds; false,
  // with the block as it was, when the memory cannot be had.
  bool Grow(std::size_t bytes);

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace platform
