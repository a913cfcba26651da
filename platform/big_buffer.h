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

// One block of memory of its own for a buffer of at least 4 MB that grows
// at its end: advised as above, and grown, where the system can, by moving
// its pages instead of copying its bytes.
class BigBlock {
 public:
  BigBlock() = default;
  BigBlock(BigBlock&& other) noexcept;
  BigBlock& operator=(BigBlock&& other) noexcept;
  BigBlock(const BigBlock&) = delete;
  BigBlock& operator=(const BigBlock&) = delete;
  ~BigBlock();

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
