#include "store/locks.h"

#include "store/format.h"

namespace store {

ErrorNumber LockRange(CipherFile& file, std::uint64_t offset, std::uint64_t length,
                      const LockWait& wait) {
  std::uint32_t started = wait.waiting != nullptr ? wait.waiting->TickCount() : 0;
  for (;;) {
    platform::FileError result = file.Lock(offset, length);
    if (result == platform::FileError::kNone) return error::kOk;
    bool contended = result == platform::FileError::kLockViolation ||
                     result == platform::FileError::kSharingViolation;
    if (!contended || wait.waiting == nullptr || wait.milliseconds == 0 ||
        wait.waiting->TickCount() - started >= wait.milliseconds)
      return LockErrorNumber(result);
    wait.waiting->Sleep(20 + wait.waiting->TickCount() % 20);
  }
}

ErrorNumber LockRegistry::Lock(CipherFile& file, std::uint64_t offset, const LockWait& wait) {
  auto it = nesting_.find(offset);
  if (it != nesting_.end()) {
    ++it->second;
    return error::kOk;
  }
  ErrorNumber result = LockRange(file, offset, 1, wait);
  if (result == error::kOk) nesting_.emplace(offset, 0);
  return result;
}

ErrorNumber LockRegistry::Unlock(CipherFile& file, std::uint64_t offset) {
  auto it = nesting_.find(offset);
  if (it == nesting_.end()) return error::kUnlockFailed;
  if (it->second > 0) {
    --it->second;
    return error::kOk;
  }
  nesting_.erase(it);
  platform::FileError result = file.Unlock(offset, 1);
  if (result == platform::FileError::kNone) return error::kOk;
  ErrorNumber number = LockErrorNumber(result);
  return number == error::kLockFailed ? error::kUnlockFailed : number;
}

std::vector<std::uint64_t> LockRegistry::HeldOffsets() const {
  std::vector<std::uint64_t> out;
  for (const auto& [offset, count] : nesting_) out.push_back(offset);
  return out;
}

std::vector<ByteRange> WholeFileRangesExcept(const std::vector<std::uint64_t>& held) {
  std::vector<ByteRange> ranges;
  std::uint64_t from = 0;
  for (std::uint64_t byte : held) {
    if (byte >= kWholeFileLockLength) break;
    if (byte > from) ranges.push_back({from, byte - from});
    from = byte + 1;
  }
  if (from < kWholeFileLockLength) ranges.push_back({from, kWholeFileLockLength - from});
  return ranges;
}

}  // namespace store
