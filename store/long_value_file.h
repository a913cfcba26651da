// The long-value file beside a data file: 512-byte blocks holding the
// bytes of byte-set and long-text fields as chains, with a free list of
// released blocks.
//
// Stores keep the file sound at every step in case the process is killed
// part-way: blocks join a chain or the free list only once they are written,
// and leave one before they are reused. A block can thus be lost to both
// (and stay unused), but never belongs to two of them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/file.h"
#include "store/cipher_file.h"
#include "store/errors.h"
#include "store/format.h"
#include "store/locks.h"

namespace store {

struct LongValueHeader {
  std::uint32_t version = 0;
  std::int32_t block_count = 0;
  std::int32_t free_count = 0;
  std::int32_t free_head = 0;
};

struct LongValueBlock {
  std::int32_t prev = 0;
  std::int32_t next = 0;
  std::int32_t used = 0;
  std::array<std::uint8_t, kBlockDataSize> data{};
};

struct LongValueOpenOptions {
  platform::FileAccess access = platform::FileAccess::kReadWrite;
  platform::FileSharing sharing = platform::FileSharing::kShareAll;
  std::shared_ptr<PageCipher> cipher;  // nullptr: no password
  std::uint32_t data_file_version = kFormatVersion;
  const platform::FileOpener* opener = nullptr;
  // False in the sharing modes that keep every other process out.
  bool locking = true;
  platform::Waiting* waiting = nullptr;
};

class LongValueFile {
 public:
  // Opens the long-value file `path` (or, on a file system that tells
  // letter cases apart, the one whose name differs from it only in case)
  // and checks it: -35 when it cannot be opened or its header is not
  // sound, -36 when its version differs from the data file's, -37 when it
  // is shorter than its block count and opened read-only. Nothing is
  // written: see Settle.
  static ErrorNumber Open(const std::string& path, const LongValueOpenOptions& options,
                          std::unique_ptr<LongValueFile>& out);

  // For a file opened for writing, once every check of the open has passed:
  // lowers a block count beyond the file's end to what is there, and cuts
  // a free list that a killed process left inconsistent back to its sound
  // part.
  ErrorNumber Settle();

  // For a file opened for writing, after Settle and while no other process
  // can store: gives every block that neither a chain of `references` (as
  // far as it leads) nor the free list holds back to the free list, and
  // trims free blocks off the end. Such blocks are left by a process killed
  // in a store. `references` is asked for only when the counts leave room
  // for such blocks.
  using References = std::function<ErrorNumber(std::vector<std::int32_t>& out)>;
  ErrorNumber Reclaim(const References& references);

  // The value whose chain starts at `reference`; 0 is the empty value.
  ErrorNumber Read(std::int32_t reference, std::vector<std::uint8_t>& out);

  // The commit step of a store: writes the new reference where it belongs.
  using Commit = std::function<ErrorNumber(std::int32_t reference)>;

  // Stores `value` in place of the chain that starts at `old_reference` and
  // gives its new reference to `commit`: the new chain takes blocks from the
  // free list, then new blocks at the end, never the old chain's; `commit`
  // runs once it is complete, and only then is the old chain released to
  // the head of the free list (free blocks at the end of the file are
  // trimmed off). An error of `commit` ends the store with the old value in
  // place. An empty value has reference 0.
  ErrorNumber Store(std::span<const std::uint8_t> value, std::int32_t old_reference,
                    const Commit& commit);

  // Releases the chain at `reference` to the free list.
  ErrorNumber Release(std::int32_t reference);

  // Raw access for checking a file block by block.
  ErrorNumber ReadHeader(LongValueHeader& out);
  ErrorNumber ReadBlock(std::int32_t number, LongValueBlock& out);

  CipherFile& file() { return file_; }
  const std::string& path() const { return path_; }

 private:
  LongValueFile(CipherFile file, std::string path, bool locking, platform::Waiting* waiting)
      : file_(std::move(file)), path_(std::move(path)), locking_(locking), waiting_(waiting) {}

  ErrorNumber LockByte(std::uint64_t offset);
  ErrorNumber UnlockByte(std::uint64_t offset);
  // Block I/O under the block's lock.
  ErrorNumber LoadBlock(std::int32_t number, LongValueBlock& out);
  ErrorNumber SaveBlock(std::int32_t number, const LongValueBlock& block);
  // Writes the counts of `header`, first making them ones an open accepts.
  ErrorNumber WriteHeader(LongValueHeader& header);
  // The blocks of the chain at `reference` as far as it is well formed.
  ErrorNumber OldChain(std::int32_t reference, std::vector<std::int32_t>& blocks,
                       std::vector<LongValueBlock>& contents);
  ErrorNumber TrimEnd(LongValueHeader& header);
  ErrorNumber RepairFreeList();

  CipherFile file_;
  std::string path_;
  bool locking_;
  platform::Waiting* waiting_;
  LockRegistry locks_;
};

}  // namespace store
