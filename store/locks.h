// Byte-range locks between processes: the retry rule for a lock that
// another process holds, and the registry of single-byte locks this process
// holds on one file, with nesting counts.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/file.h"
#include "store/cipher_file.h"
#include "store/errors.h"

namespace store {

// How long a lock attempt keeps retrying while another process holds the
// range; 0 means one attempt only.
struct LockWait {
  platform::Waiting* waiting = nullptr;
  std::uint32_t milliseconds = 0;
};

// Locks [offset, offset + length). A lock or sharing violation is retried,
// sleeping 20 + (tick count mod 20) ms between attempts, until `wait` runs
// out. Returns 0, -13 (lock violation), -12 (sharing violation) or -28.
ErrorNumber LockRange(CipherFile& file, std::uint64_t offset, std::uint64_t length,
                      const LockWait& wait);

// The single bytes this process holds locked on one file. Locking a byte
// already held only raises its nesting count; unlocking lowers it, and
// releases the byte when it was already 0.
class LockRegistry {
 public:
  ErrorNumber Lock(CipherFile& file, std::uint64_t offset, const LockWait& wait);
  // -29 when the byte is not held.
  ErrorNumber Unlock(CipherFile& file, std::uint64_t offset);
  bool Holds(std::uint64_t offset) const { return nesting_.count(offset) != 0; }
  // True when a held byte lies in [from, to).
  bool HoldsAnyIn(std::uint64_t from, std::uint64_t to) const {
    auto it = nesting_.lower_bound(from);
    return it != nesting_.end() && it->first < to;
  }
  // The held bytes, in ascending order.
  std::vector<std::uint64_t> HeldOffsets() const;

 private:
  std::map<std::uint64_t, int> nesting_;
};

// [offset, offset + length) ranges that together cover
// [0, kWholeFileLockLength) except `held` (ascending, single bytes).
struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  friend bool operator==(const ByteRange&, const ByteRange&) = default;
};
std::vector<ByteRange> WholeFileRangesExcept(const std::vector<std::uint64_t>& held);

}  // namespace store
