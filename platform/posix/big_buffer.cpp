// Large pages for big buffers, where Linux has them (transparent huge
// pages, when the system leaves them to each program's advice), and blocks
// grown by remapping their pages.
#include "platform/big_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// From here on a block is mapped on its own, and advice is given.
constexpr std::size_t kLeast = std::size_t{4} << 20;
constexpr std::size_t kLargePage = std::size_t{2} << 20;

// A block under kLeast is the C library's, a bigger one a mapping of its own.
void FreeBlock(char* data, std::size_t size) {
  if (size < kLeast)
    std::free(data);
  else
    munmap(data, size);
}

}  // namespace

void AdviseBigBuffer(void* start, std::size_t bytes) {
  if (bytes < kLeast) return;
#ifdef MADV_HUGEPAGE
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t from = (first + page - 1) / page * page;
  const std::uintptr_t to = (first + bytes) / page * page;
  // Only advice: a system that refuses it fills the buffer page by page.
  if (to > from)
    static_cast<void>(madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE));
#else
  static_cast<void>(start);
#endif
}

GrowingBlock::~GrowingBlock() { FreeBlock(data_, size_); }

bool GrowingBlock::Grow(std::size_t bytes) {
  if (bytes <= size_) return true;
  if (bytes < kLeast) {
    // realloc extends a small block in place where it can.
    void* grown = std::realloc(data_, bytes);
    if (grown == nullptr) return false;
    data_ = static_cast<char*>(grown);
    size_ = bytes;
    return true;
  }
  // Whole large pages, so that the block's last one is large too.
  const std::size_t size = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  void* grown = MAP_FAILED;
#ifdef MREMAP_MAYMOVE
  if (size_ >= kLeast) grown = mremap(data_, size_, size, MREMAP_MAYMOVE);
#endif
  if (grown == MAP_FAILED) {
    grown = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (grown == MAP_FAILED) return false;
    if (data_ != nullptr) {
      std::memcpy(grown, data_, size_);
      FreeBlock(data_, size_);
    }
  }
  data_ = static_cast<char*>(grown);
  size_ = size;
  AdviseBigBuffer(data_, size_);
  return true;
}

}  // namespace platform
