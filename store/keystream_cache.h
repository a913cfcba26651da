// The page keystreams of one password kept in a file, so that a big data
// file's pages are computed once rather than once per run. The file is
// derived data: whatever it holds, a page's keystream is only taken from it
// after its chunk's check value has been verified in this process; a chunk
// that is missing, damaged or stale is computed again and written back, and
// a file made for another password or layout is started afresh. Every desk
// holds the file shared while it has it open; a file cut short is grown
// again only by a desk that holds it alone.
//
// Layout: a 4096-byte header (magic, layout version, page and chunk sizes,
// a check value of the password), a table of one 8-byte check value per
// chunk (0: not filled yet), then the chunks of 256 page keystreams each,
// from page 0 on, each followed by one 8-byte check value per 64-byte line
// of it: a walk that needs a few bytes of each page verifies only the lines
// it uses, where the whole chunk would cost reading all of it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/mapped_file.h"
#include "store/md5.h"

namespace store {

// The MD5 of `label` followed by a password's digest text: names and check
// values of the files of keystreams derived from that password.
Md5Digest LabelledDigest(const std::string& label, const std::string& digest);
// A check value of 64 keystream bytes, line `line` of their file, mixed
// with `password_check`; never 0, which marks a line not filled yet.
std::uint64_t KeystreamLineCheck(std::uint64_t password_check, std::uint64_t line,
                                 const std::uint8_t* bytes);

class KeystreamCache {
 public:
  static constexpr std::uint64_t kChunkPages = 256;
  // Chunks the file can hold: pages up to 4 GB into a data file.
  static constexpr std::uint64_t kMaxChunks = 4096;
  static constexpr std::uint64_t kEndPage = kChunkPages * kMaxChunks;
  // The keystream bytes of one chunk: what a copy for ReadVerified holds.
  static constexpr std::uint64_t kChunkBytes = kChunkPages * 4096;
  // What one check value of a line covers.
  static constexpr std::uint64_t kLineBytes = 64;

  // Computes the keystream of `page` into `out` (kCipherPageSize bytes).
  using ComputePage = std::function<void(std::uint64_t page, std::span<std::uint8_t> out)>;

  // Computes the keystreams of the pages from `first` on into `out` (whole
  // pages) as ComputePage does, using nothing another thread may change and
  // allocating nothing.
  using ComputePagesAlone = void (*)(const void* context, std::uint64_t first,
                                     std::span<std::uint8_t> out);

  // The cache file of the password whose digest text is `digest` in
  // `folder`; nullptr when it cannot be opened or mapped. Pages lost from
  // under the mapping (the file cut short while in use) are computed again
  // with `alone`, when given, in this process's memory.
  static std::unique_ptr<KeystreamCache> Open(const std::string& folder, const std::string& digest,
                                              ComputePagesAlone alone = nullptr,
                                              const void* alone_context = nullptr);
  // The file's name in its folder for the password of `digest`.
  static std::string FileName(const std::string& digest);

  // The keystream of `page` (page < kEndPage) if its chunk has already been
  // verified or filled in this process, else nullptr.
  const std::uint8_t* Known(std::uint64_t page) const {
    const std::uint8_t* chunk = chunks_[page / kChunkPages].load(std::memory_order_acquire);
    return chunk == nullptr ? nullptr : chunk + (page % kChunkPages) * kPageBytes;
  }
  // Maps the chunk of `page`, verifies it or fills it with `compute`, and
  // gives the page's keystream; nullptr when the chunk cannot be mapped.
  const std::uint8_t* Load(std::uint64_t page, const ComputePage& compute);
  // For a walk that meets a chunk not yet verified: reads the chunk of
  // `page` into `copy` (kChunkPages pages) and verifies it there, so that
  // the walk takes its keystreams from the copy and its pages in the
  // mapping stay untouched (a copy read costs less than the first touch of
  // each page). True when the copy passes; the chunk is then known from
  // the mapping too, since the file holds the same bytes. False leaves the
  // chunk to Load, as does a chunk already known (use Known).
  bool ReadVerified(std::uint64_t page, std::span<std::uint8_t> copy);
  // Whether the chunk of `page` was verified from a copy and its mapped
  // pages are still untouched, so that a walk reads it again (ReadCopy)
  // rather than touch them.
  bool Copied(std::uint64_t page) const {
    return copied_[page / kChunkPages].load(std::memory_order_acquire);
  }
  // Reads the chunk of `page`, verified before in this run, into `copy`;
  // false when the file no longer holds it (then use Known).
  bool ReadCopy(std::uint64_t page, std::span<std::uint8_t> copy) const;
  // Touches the mapped pages of the chunk of `page` when it was verified
  // from a copy, so that later walks find them ready; safe on another
  // thread while walks use the chunk.
  void TouchCopied(std::uint64_t page);
  // The bytes of the chunk of `page` where they are mapped in the piece
  // MapAhead mapped, its keystreams first and then its lines' check values,
  // when the table shows it filled; else empty. Nothing is verified: see
  // LinesPass.
  std::span<const std::uint8_t> FilledChunk(std::uint64_t page);
  // Whether lines [first, last] of `page` (counted within the page) pass
  // their check values in `chunk`, which FilledChunk gave for `page`. A
  // line that fails leaves the chunk to Load.
  bool LinesPass(std::uint64_t page, std::span<const std::uint8_t> chunk, std::uint64_t first,
                 std::uint64_t last) const;
  // Where, in `chunk` as FilledChunk gave it for `page`, lie the page's
  // keystream and the check value of the line that holds byte `at` of it.
  static const std::uint8_t* PageIn(std::span<const std::uint8_t> chunk, std::uint64_t page) {
    return chunk.data() + page % kChunkPages * kPageBytes;
  }
  static const std::uint8_t* LineCheckIn(std::span<const std::uint8_t> chunk, std::uint64_t page,
                                         std::size_t at) {
    return chunk.data() + kChunkBytes + 8 * (page % kChunkPages * kLinesPerPage + at / kLineBytes);
  }
  // Maps the chunks of pages [0, pages) in one piece, for a file about to
  // be walked whole: one mapping instead of one per chunk. Does nothing
  // when a piece as long is mapped already.
  void MapAhead(std::uint64_t pages);
  // Verifies the chunk of `page` ahead of its use, when not yet known; a
  // chunk that fails is left to Load, which computes it. Safe on another
  // thread than Load's, so that a first walk of a big file finds its
  // chunks verified.
  void VerifyAhead(std::uint64_t page);

 private:
  static constexpr std::uint64_t kPageBytes = 4096;
  static constexpr std::uint64_t kLinesPerPage = kPageBytes / kLineBytes;
  // What a page lost from under the mapping is refilled with.
  struct Refiller {
    ComputePagesAlone alone = nullptr;
    const void* context = nullptr;
  };
  static void RefillPage(void* refiller, std::uint64_t offset, std::span<std::uint8_t> page);
  KeystreamCache(std::unique_ptr<Refiller> refiller, std::unique_ptr<platform::MappedFile> file,
                 std::span<std::uint8_t> head, std::uint64_t password_check);
  std::uint64_t ChunkCheck(std::uint64_t chunk, std::span<const std::uint8_t> bytes) const;
  // `line` is counted from the first line of page 0.
  std::uint64_t LineCheck(std::uint64_t line, const std::uint8_t* bytes) const;
  // The bytes of `chunk` with its lines' check values: in the piece
  // MapAhead mapped, else mapped anew unless `only_ahead`; empty when that
  // fails.
  std::span<std::uint8_t> MapChunk(std::uint64_t chunk, bool only_ahead);
  // Whether the file may be mapped up to `end`, which grows it when it is
  // shorter; the caller holds mapping_.
  bool MayMapTo(std::uint64_t end);
  // Checks `chunk`'s bytes against its check value and publishes them when
  // they match; the caller holds the chunk's busy_ flag.
  bool Verify(std::uint64_t chunk, std::span<std::uint8_t> bytes);
  struct ScopeRelease {
    std::atomic<bool>& flag;
    ~ScopeRelease() { flag.store(false, std::memory_order_release); }
  };

  std::unique_ptr<Refiller> refiller_;  // outlives file_'s mappings
  std::unique_ptr<platform::MappedFile> file_;
  std::mutex mapping_;  // guards file_'s mappings, ahead_ and cut_short_
  std::span<std::uint8_t> ahead_;
  bool cut_short_ = false;
  std::span<std::uint8_t> head_;  // the header and the table of check values
  std::uint64_t password_check_;
  // Each chunk's verified bytes once known; set once, read without a lock.
  std::vector<std::atomic<const std::uint8_t*>> chunks_;
  // Held while a thread verifies or fills the chunk, so that no thread
  // reads bytes another is writing.
  std::vector<std::atomic<bool>> busy_;
  // Chunks verified from a copy whose mapped pages nobody touched yet.
  std::vector<std::atomic<bool>> copied_;
};

}  // namespace store
