#include "store/long_value_file.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

namespace store {
namespace {

constexpr std::uint64_t BlockOffset(std::int32_t number) {
  return static_cast<std::uint64_t>(number) * kBlockSize;
}

void EncodeBlock(const LongValueBlock& block, std::uint8_t* out) {
  StoreI32(out, block.prev);
  StoreI32(out + 4, block.next);
  StoreI32(out + 8, block.used);
  std::copy(block.data.begin(), block.data.end(), out + kBlockLinksSize);
}

void DecodeBlock(const std::uint8_t* in, LongValueBlock& block) {
  block.prev = LoadI32(in);
  block.next = LoadI32(in + 4);
  block.used = LoadI32(in + 8);
  std::copy(in + kBlockLinksSize, in + kBlockSize, block.data.begin());
}

ErrorNumber LongFileError(platform::FileError error) {
  if (error == platform::FileError::kEndOfFile) return error::kLongValueAccess;
  ErrorNumber number = FileErrorNumber(error);
  return number == error::kUnknown ? error::kLongValueAccess : number;
}

bool Contains(const std::vector<std::int32_t>& blocks, std::int32_t number) {
  return std::find(blocks.begin(), blocks.end(), number) != blocks.end();
}

}  // namespace

ErrorNumber LongValueFile::Open(const std::string& path, const LongValueOpenOptions& options,
                                std::unique_ptr<LongValueFile>& out) {
  std::optional<std::string> found = platform::FindIgnoringCase(path);
  if (!found) return error::kLongValueFileUnreadable;
  platform::OpenedFile opened = options.opener != nullptr
                                    ? (*options.opener)(*found, options.access, options.sharing)
                                    : platform::OpenFile(*found, options.access, options.sharing);
  if (!opened.file) return error::kLongValueFileUnreadable;
  CipherFile file(std::move(opened.file), options.cipher);

  std::array<std::uint8_t, kLongHeaderSize> raw{};
  if (file.ReadExactly(0, raw) != platform::FileError::kNone)
    return error::kLongValueFileUnreadable;
  LongValueHeader header;
  header.version = LoadU32(raw.data() + 4);
  header.block_count = LoadI32(raw.data() + kBlockCountOffset);
  header.free_count = LoadI32(raw.data() + kFreeCountOffset);
  header.free_head = LoadI32(raw.data() + kFreeHeadOffset);
  if (!std::equal(raw.begin(), raw.begin() + 4, kLongValueMagic) || header.block_count <= 0 ||
      header.free_count < 0 || header.free_count >= header.block_count || header.free_head < 0 ||
      header.free_head >= header.block_count)
    return error::kLongValueFileUnreadable;
  if (header.version != options.data_file_version) return error::kLongValueFileVersion;

  auto size = file.Size();
  if (!size.ok()) return error::kLongValueFileUnreadable;
  std::uint64_t whole = size.value / kBlockSize;
  const bool writable = options.access == platform::FileAccess::kReadWrite;
  if (!writable && whole < static_cast<std::uint64_t>(header.block_count))
    return error::kLongValueFileDamaged;
  out.reset(new LongValueFile(std::move(file), *found, options.locking, options.waiting));
  return error::kOk;
}

ErrorNumber LongValueFile::Settle() {
  LongValueHeader header;
  ErrorNumber result = ReadHeader(header);
  if (result != error::kOk) return result;
  auto size = file_.Size();
  if (!size.ok()) return LongFileError(size.error);
  const std::uint64_t whole = size.value / kBlockSize;
  if (whole < static_cast<std::uint64_t>(header.block_count)) {
    // Block 0 is the header itself, so the count never drops below 1.
    header.block_count = static_cast<std::int32_t>(std::max<std::uint64_t>(whole, 1));
    result = WriteHeader(header);
    if (result != error::kOk) return result;
  }
  return RepairFreeList();
}

ErrorNumber LongValueFile::LockByte(std::uint64_t offset) {
  if (!locking_) return error::kOk;
  return locks_.Lock(file_, offset, LockWait{waiting_, 0});
}

ErrorNumber LongValueFile::UnlockByte(std::uint64_t offset) {
  if (!locking_) return error::kOk;
  return locks_.Unlock(file_, offset);
}

ErrorNumber LongValueFile::ReadHeader(LongValueHeader& out) {
  std::array<std::uint8_t, kLongHeaderSize> raw{};
  platform::FileError read = file_.ReadExactly(0, raw);
  if (read != platform::FileError::kNone) return LongFileError(read);
  out.version = LoadU32(raw.data() + 4);
  out.block_count = LoadI32(raw.data() + kBlockCountOffset);
  out.free_count = LoadI32(raw.data() + kFreeCountOffset);
  out.free_head = LoadI32(raw.data() + kFreeHeadOffset);
  return error::kOk;
}

ErrorNumber LongValueFile::WriteHeader(LongValueHeader& header) {
  // Whatever a damaged file led the counts to, the header written is one
  // that the next open accepts: a free list that no longer fits is given
  // up (its blocks stay unused until a repair reclaims them), so the file,
  // and with it the data file, never becomes unopenable.
  header.block_count = std::max(header.block_count, 1);
  if (header.free_count < 0 || header.free_count >= header.block_count || header.free_head < 0 ||
      header.free_head >= header.block_count ||
      (header.free_head == 0) != (header.free_count == 0)) {
    header.free_head = 0;
    header.free_count = 0;
  }
  std::uint8_t raw[12];
  StoreI32(raw, header.block_count);
  StoreI32(raw + 4, header.free_count);
  StoreI32(raw + 8, header.free_head);
  platform::FileError written = file_.WriteAt(kBlockCountOffset, raw);
  return written == platform::FileError::kNone ? error::kOk : LongFileError(written);
}

ErrorNumber LongValueFile::ReadBlock(std::int32_t number, LongValueBlock& out) {
  if (number < 1) return error::kLongValueAccess;
  std::array<std::uint8_t, kBlockSize> raw{};
  platform::FileError read = file_.ReadExactly(BlockOffset(number), raw);
  if (read != platform::FileError::kNone) return LongFileError(read);
  DecodeBlock(raw.data(), out);
  return error::kOk;
}

ErrorNumber LongValueFile::LoadBlock(std::int32_t number, LongValueBlock& out) {
  if (number < 1) return error::kLongValueAccess;
  ErrorNumber locked = LockByte(BlockOffset(number));
  if (locked != error::kOk) return locked;
  ErrorNumber read = ReadBlock(number, out);
  ErrorNumber unlocked = UnlockByte(BlockOffset(number));
  return read != error::kOk ? read : unlocked;
}

ErrorNumber LongValueFile::SaveBlock(std::int32_t number, const LongValueBlock& block) {
  if (number < 1) return error::kLongValueAccess;
  ErrorNumber locked = LockByte(BlockOffset(number));
  if (locked != error::kOk) return locked;
  std::array<std::uint8_t, kBlockSize> raw{};
  EncodeBlock(block, raw.data());
  platform::FileError written = file_.WriteAt(BlockOffset(number), raw);
  ErrorNumber unlocked = UnlockByte(BlockOffset(number));
  if (written != platform::FileError::kNone) return LongFileError(written);
  return unlocked;
}

ErrorNumber LongValueFile::Read(std::int32_t reference, std::vector<std::uint8_t>& out) {
  out.clear();
  if (reference == 0) return error::kOk;
  if (reference < 0) return error::kLongValueAccess;
  std::set<std::int32_t> visited = {reference};
  std::int32_t current = reference;
  ErrorNumber result = LockByte(BlockOffset(current));
  if (result != error::kOk) return result;
  for (;;) {
    LongValueBlock block;
    result = ReadBlock(current, block);
    if (result == error::kOk && (block.used < 0 || block.used > std::int32_t{kBlockDataSize}))
      result = error::kLongValueAccess;
    if (result != error::kOk) break;
    out.insert(out.end(), block.data.begin(), block.data.begin() + block.used);
    if (block.next == 0) break;
    // A chain that turns back on itself or leaves the file is damaged.
    if (block.next < 0 || !visited.insert(block.next).second) {
      result = error::kLongValueAccess;
      break;
    }
    // Hold the next block before letting go of this one.
    result = LockByte(BlockOffset(block.next));
    if (result != error::kOk) break;
    UnlockByte(BlockOffset(current));
    current = block.next;
  }
  ErrorNumber unlocked = UnlockByte(BlockOffset(current));
  if (result != error::kOk) out.clear();
  return result != error::kOk ? result : unlocked;
}

ErrorNumber LongValueFile::OldChain(std::int32_t reference, std::vector<std::int32_t>& blocks,
                                    std::vector<LongValueBlock>& contents) {
  if (reference <= 0) return error::kOk;
  auto size = file_.Size();
  if (!size.ok()) return LongFileError(size.error);
  std::uint64_t bound = size.value / kBlockSize;
  std::int32_t current = reference;
  std::int32_t previous = 0;
  // Only a well-formed stretch of the chain is reused or released: a block
  // that does not point back to its predecessor, is free, or was met
  // before belongs to something else.
  while (current >= 1 && static_cast<std::uint64_t>(current) < bound &&
         !Contains(blocks, current)) {
    LongValueBlock block;
    ErrorNumber read = LoadBlock(current, block);
    if (read != error::kOk) return read;
    if (block.prev != previous || block.used < 1 || block.used > std::int32_t{kBlockDataSize})
      break;
    blocks.push_back(current);
    contents.push_back(block);
    if (block.next == 0) break;
    previous = current;
    current = block.next;
  }
  return error::kOk;
}

ErrorNumber LongValueFile::Store(std::span<const std::uint8_t> value, std::int32_t old_reference,
                                 const Commit& commit) {
  const std::size_t pieces = (value.size() + kBlockDataSize - 1) / kBlockDataSize;
  std::vector<std::int32_t> old_chain;
  std::vector<LongValueBlock> old_contents;
  ErrorNumber result = OldChain(old_reference, old_chain, old_contents);
  if (result != error::kOk) return result;

  // The header is needed, and held, only when blocks are taken or released.
  LongValueHeader header;
  bool header_held = false;
  auto finish = [&](ErrorNumber outcome) {
    if (header_held) {
      ErrorNumber unlocked = UnlockByte(0);
      if (outcome == error::kOk) outcome = unlocked;
    }
    return outcome;
  };
  if (pieces != 0 || !old_chain.empty()) {
    result = LockByte(0);
    if (result != error::kOk) return result;
    header_held = true;
    result = ReadHeader(header);
    if (result != error::kOk) return finish(result);
  }

  // The new value goes to blocks of its own, never to the old chain's: a
  // process killed before the reference is switched leaves the old value
  // whole, and one killed after leaves the new one whole.
  std::vector<std::int32_t> chain, taken, appended;
  LongValueHeader updated = header;
  while (chain.size() < pieces && updated.free_count > 0) {
    std::int32_t candidate = updated.free_head;
    LongValueBlock block;
    bool usable = candidate >= 1 && candidate < updated.block_count &&
                  !Contains(chain, candidate) && !Contains(old_chain, candidate);
    if (usable) {
      result = LoadBlock(candidate, block);
      if (result != error::kOk) return finish(result);
      usable = block.used == 0;
    }
    if (!usable) {
      // The rest of the free list cannot be trusted: leave it unused.
      updated.free_head = 0;
      updated.free_count = 0;
      break;
    }
    chain.push_back(candidate);
    taken.push_back(candidate);
    updated.free_head = block.next;
    --updated.free_count;
  }
  while (chain.size() < pieces) {
    if (updated.block_count == std::numeric_limits<std::int32_t>::max())
      return finish(error::kLongValueAccess);
    chain.push_back(updated.block_count);
    appended.push_back(updated.block_count);
    ++updated.block_count;
  }

  auto content = [&](std::size_t i) {
    LongValueBlock block;
    block.prev = i == 0 ? 0 : chain[i - 1];
    block.next = i + 1 < pieces ? chain[i + 1] : 0;
    std::size_t from = i * kBlockDataSize;
    std::size_t n = std::min(kBlockDataSize, value.size() - from);
    block.used = static_cast<std::int32_t>(n);
    std::copy(value.begin() + static_cast<std::ptrdiff_t>(from),
              value.begin() + static_cast<std::ptrdiff_t>(from + n), block.data.begin());
    return block;
  };
  auto position = [&](std::int32_t number) {
    return static_cast<std::size_t>(std::find(chain.begin(), chain.end(), number) - chain.begin());
  };

  // New blocks first (beyond the counted end, nobody sees them), then the
  // header that counts them and drops the taken blocks from the free list,
  // then the taken blocks. Until the commit nothing refers to the new
  // chain; a process killed before it leaves blocks that belong to nothing,
  // which the next read-write open gives back to the free list.
  for (std::int32_t number : appended) {
    result = SaveBlock(number, content(position(number)));
    if (result != error::kOk) return finish(result);
  }
  if (!taken.empty() || !appended.empty() || updated.free_count != header.free_count) {
    result = WriteHeader(updated);
    if (result != error::kOk) return finish(result);
    header = updated;
  }
  for (std::int32_t number : taken) {
    result = SaveBlock(number, content(position(number)));
    if (result != error::kOk) return finish(result);
  }
  result = commit(pieces == 0 ? 0 : chain[0]);
  if (result != error::kOk) return finish(result);
  if (old_chain.empty()) return finish(error::kOk);

  // Release the old chain to the head of the free list: the blocks are
  // emptied while nothing points at them, then the header links them in.
  const std::vector<std::int32_t>& released = old_chain;
  // A damaged free list that leads into the released blocks would become a
  // loop once they are linked in front of it: it is given up instead.
  if (Contains(released, header.free_head) || header.free_head < 0 ||
      header.free_head >= header.block_count) {
    header.free_head = 0;
    header.free_count = 0;
  }
  const std::int32_t old_head = header.free_head;
  for (std::size_t j = 0; j < released.size(); ++j) {
    LongValueBlock block;
    block.prev = j == 0 ? 0 : released[j - 1];
    block.next = j + 1 < released.size() ? released[j + 1] : old_head;
    result = SaveBlock(released[j], block);
    if (result != error::kOk) return finish(result);
  }
  if (old_head >= 1 && old_head < header.block_count) {
    LongValueBlock head;
    result = LoadBlock(old_head, head);
    if (result != error::kOk) return finish(result);
    if (head.used == 0) {
      head.prev = released.back();
      result = SaveBlock(old_head, head);
      if (result != error::kOk) return finish(result);
    }
  }
  header.free_head = released.front();
  header.free_count += static_cast<std::int32_t>(released.size());
  result = WriteHeader(header);
  if (result != error::kOk) return finish(result);
  if (Contains(released, header.block_count - 1)) result = TrimEnd(header);
  return finish(result);
}

ErrorNumber LongValueFile::Release(std::int32_t reference) {
  return Store({}, reference, [](std::int32_t) { return error::kOk; });
}

ErrorNumber LongValueFile::TrimEnd(LongValueHeader& header) {
  // Free blocks at the end of the file leave the free list and the file.
  // The links are worked out in memory, then the kept blocks whose links
  // changed are written, then the header, then the file is cut.
  std::map<std::int32_t, LongValueBlock> blocks;
  std::set<std::int32_t> changed;
  ErrorNumber result = error::kOk;
  auto block_at = [&](std::int32_t number) -> LongValueBlock* {
    auto it = blocks.find(number);
    if (it != blocks.end()) return &it->second;
    LongValueBlock block;
    result = LoadBlock(number, block);
    if (result != error::kOk) return nullptr;
    return &blocks.emplace(number, block).first->second;
  };
  auto in_file = [&](std::int32_t number) { return number >= 1 && number < header.block_count; };

  std::int32_t last = header.block_count - 1;
  for (; last >= 1; --last) {
    LongValueBlock* block = block_at(last);
    if (block == nullptr) return result;
    if (block->used != 0) break;
    // A free block that the free list does not lead to (left by a killed
    // process) is only cut off.
    bool listed = last == header.free_head;
    if (!listed && in_file(block->prev) && block->prev != last) {
      LongValueBlock* before = block_at(block->prev);
      if (before == nullptr) return result;
      listed = before->used == 0 && before->next == last;
    }
    if (!listed) continue;
    std::int32_t prev = block->prev, next = block->next;
    if (last == header.free_head) {
      header.free_head = next;
    } else {
      block_at(prev)->next = next;
      changed.insert(prev);
    }
    if (in_file(next) && next != last) {
      LongValueBlock* after = block_at(next);
      if (after == nullptr) return result;
      after->prev = prev;
      changed.insert(next);
    }
    if (header.free_count > 0) --header.free_count;
  }
  const std::int32_t kept = last + 1;
  for (std::int32_t number : changed) {
    if (number >= kept) continue;
    result = SaveBlock(number, blocks[number]);
    if (result != error::kOk) return result;
  }
  header.block_count = kept;
  result = WriteHeader(header);
  if (result != error::kOk) return result;
  platform::FileError cut = file_.Truncate(BlockOffset(kept));
  return cut == platform::FileError::kNone ? error::kOk : LongFileError(cut);
}

ErrorNumber LongValueFile::Reclaim(const References& references) {
  LongValueHeader header;
  ErrorNumber result = ReadHeader(header);
  if (result != error::kOk) return result;
  if (header.free_count >= header.block_count - 1) return error::kOk;
  std::vector<std::int32_t> heads;
  result = references(heads);
  if (result != error::kOk) return result;
  // A block counts as held when anything leads to it, however damaged the
  // chain: only a block that nothing can reach is taken back.
  std::vector<bool> held(static_cast<std::size_t>(header.block_count), false);
  auto in_file = [&](std::int32_t number) { return number >= 1 && number < header.block_count; };
  auto walk = [&](std::int32_t current, std::int32_t limit) {
    for (std::int32_t steps = 0;
         in_file(current) && !held[static_cast<std::size_t>(current)] && steps < limit; ++steps) {
      held[static_cast<std::size_t>(current)] = true;
      LongValueBlock block;
      ErrorNumber read = ReadBlock(current, block);
      if (read != error::kOk) return read;
      current = block.next;
    }
    return error::kOk;
  };
  for (std::int32_t head : heads) {
    result = walk(head, header.block_count);
    if (result != error::kOk) return result;
  }
  result = walk(header.free_head, header.free_count);
  if (result != error::kOk) return result;
  std::vector<std::int32_t> unheld;
  for (std::int32_t number = 1; number < header.block_count; ++number)
    if (!held[static_cast<std::size_t>(number)]) unheld.push_back(number);
  if (unheld.empty()) return error::kOk;

  // Nothing refers to these blocks, so they are emptied and linked in front
  // of the free list before the header's single write takes them in.
  const std::int32_t old_head = header.free_head;
  for (std::size_t j = 0; j < unheld.size(); ++j) {
    LongValueBlock block;
    block.prev = j == 0 ? 0 : unheld[j - 1];
    block.next = j + 1 < unheld.size() ? unheld[j + 1] : old_head;
    result = SaveBlock(unheld[j], block);
    if (result != error::kOk) return result;
  }
  if (in_file(old_head)) {
    LongValueBlock head;
    result = LoadBlock(old_head, head);
    if (result != error::kOk) return result;
    head.prev = unheld.back();
    result = SaveBlock(old_head, head);
    if (result != error::kOk) return result;
  }
  header.free_head = unheld.front();
  header.free_count += static_cast<std::int32_t>(unheld.size());
  result = WriteHeader(header);
  if (result != error::kOk) return result;
  return unheld.back() == header.block_count - 1 ? TrimEnd(header) : error::kOk;
}

ErrorNumber LongValueFile::RepairFreeList() {
  LongValueHeader header;
  ErrorNumber result = ReadHeader(header);
  if (result != error::kOk) return result;
  std::set<std::int32_t> seen;
  std::int32_t last = 0;
  std::int32_t current = header.free_head;
  bool broken = false;
  while (current != 0) {
    LongValueBlock block;
    if (current < 1 || current >= header.block_count || seen.count(current) != 0 ||
        ReadBlock(current, block) != error::kOk || block.used != 0) {
      broken = true;
      break;
    }
    seen.insert(current);
    last = current;
    current = block.next;
  }
  auto count = static_cast<std::int32_t>(seen.size());
  if (!broken && count == header.free_count) return error::kOk;
  if (broken) {
    if (last == 0) {
      header.free_head = 0;
    } else {
      LongValueBlock tail;
      result = ReadBlock(last, tail);
      if (result != error::kOk) return result;
      tail.next = 0;
      result = SaveBlock(last, tail);
      if (result != error::kOk) return result;
    }
  }
  header.free_count = count;
  return WriteHeader(header);
}

}  // namespace store
