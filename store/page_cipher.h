// Password protection of data files: the digest text of a password and the
// page-keyed stream cipher laid over every byte of a protected file from
// offset 4 on.
//
// The cipher is a function of the password and the file offset alone, so
// any byte range can be enciphered or deciphered on its own. The keystream
// of a 4096-byte page depends only on the password and the page number; it
// is computed once and kept, shared by every file protected with the same
// password, and kept in a cache file (keystream_cache.h) when the cipher has
// a folder for it and a file it protects reaches past its first megabyte.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/keystream_cache.h"
#include "store/rc4.h"

namespace store {

// The 32-character digest text of a password (GBK bytes): MD5 in lowercase
// hex, neighbouring characters swapped in pairs, then reversed.
std::string DigestText(std::string_view password);

constexpr std::uint64_t kCipherPageSize = 4096;
// Bytes 0-3 of a protected file (its magic) stay in clear.
constexpr std::uint64_t kClearPrefix = 4;
// Keystream bytes dropped after each page key schedule.
constexpr std::size_t kDiscardedKeystream = 36;

class PageCipher {
 public:
  // `password` must not be empty. `cache_folder`: where the keystream cache
  // file lives; empty for none (everything is computed in memory).
  explicit PageCipher(std::string password, std::string cache_folder = {});
  PageCipher(const PageCipher&) = delete;
  PageCipher& operator=(const PageCipher&) = delete;

  const std::string& password() const { return password_; }
  const std::string& digest_text() const { return digest_; }

  // Enciphers or deciphers (the same operation) `data`, which lies at file
  // offset `offset`. Bytes below offset 4 are left unchanged.
  void Apply(std::uint64_t offset, std::span<std::uint8_t> data);
  // The same, from `from` into `to` (of the same size, or the same bytes):
  // a copy and its deciphering in one pass.
  void ApplyTo(std::uint64_t offset, std::span<const std::uint8_t> from,
               std::span<std::uint8_t> to);
  // Whether `stored`, which lies at file offset `offset`, deciphers to
  // `plain` (of the same size), with no copy made: a test run on every
  // record of a file stops at the first byte that differs.
  bool Deciphers(std::uint64_t offset, std::span<const std::uint8_t> stored,
                 std::span<const std::uint8_t> plain);

  // Asks the processor to fetch the keystream that meets file offset
  // `offset` into its cache ahead of use, when it is already at hand;
  // changes nothing else.
  void Prefetch(std::uint64_t offset) const;

  // The keystream byte that meets file offset `offset`.
  std::uint8_t KeystreamByte(std::uint64_t offset);

  // Pages below this one are kept in memory only while no file this cipher
  // protects is known to reach past them: small files never make a cache
  // file.
  static constexpr std::uint64_t kMemoryOnlyPages = 256;
  // Tells the cipher that a file it protects is `size` bytes long. From a
  // file longer than the memory-only pages on, every page is taken from the
  // cache file, from page 0: verifying a chunk costs far less than
  // computing it. True when the pages come from the cache file.
  bool NoteFileSize(std::uint64_t size);
  // Verifies the cache file's keystreams of the pages of bytes [offset,
  // offset + length) ahead of their use. Safe on another thread while the
  // cipher is in use, once NoteFileSize has said true.
  void VerifyAhead(std::uint64_t offset, std::uint64_t length);
  // Makes the cache file's keystreams of the pages of bytes [offset,
  // offset + length) that walks verified from copies ready in the mapping,
  // so that later walks take them from there. Safe where VerifyAhead is.
  void TouchAhead(std::uint64_t offset, std::uint64_t length);
  // Whether a walk reads a chunk of the cache file it meets unverified
  // into a copy (the default) or verifies it where it is mapped: the
  // latter where the first touch of a mapped page is cheap. Only on the
  // thread that deciphers; the threads verifying ahead do not look at it.
  void ReadUnreadyChunks(bool reads) { read_unready_chunks_ = reads; }
  // Where a big file's keystreams are kept, once NoteFileSize has said they
  // come from the cache file there; else empty.
  std::string CacheFolderInUse() const { return cache_ ? cache_folder_ : std::string(); }

 private:
  using Page = std::array<std::uint8_t, kCipherPageSize>;
  // The page's kCipherPageSize keystream bytes, of which bytes [in_page,
  // in_page + n) are about to be used.
  const std::uint8_t* PageKeystream(std::uint64_t page, std::size_t in_page, std::size_t n);
  void ComputeKeystream(std::uint64_t page, std::span<std::uint8_t> out);
  // The keystreams of consecutive pages from the password alone: for pages
  // lost from the cache file's mapping, computed wherever the loss is found.
  static void ComputeKeystreamsAlone(const void* cipher, std::uint64_t first,
                                     std::span<std::uint8_t> out);
  void KeystreamOfSalt(std::uint64_t page, std::uint32_t salt, std::span<std::uint8_t> out) const;
  // Calls `step` with the first page of each chunk of the cache file that
  // holds keystream of bytes [offset, offset + length).
  void ForEachChunk(std::uint64_t offset, std::uint64_t length,
                    void (KeystreamCache::*step)(std::uint64_t first_page));
  // From the cache file; nullptr when there is none or it fails.
  const std::uint8_t* FileKeystream(std::uint64_t page, std::size_t in_page, std::size_t n);
  // Where the page's chunk is not verified yet: the page's keystream in
  // the mapping when the lines that hold bytes [in_page, in_page + n) pass
  // their own check values, else nullptr.
  const std::uint8_t* CheckedLines(std::uint64_t page, std::size_t in_page, std::size_t n);
  // Verified (or computed) where it is mapped in the cache file.
  const std::uint8_t* LoadKeystream(std::uint64_t page);
  // Opens the cache file once; false when there is none or it failed.
  bool OpenCache();
  std::uint32_t PageSalt(std::uint64_t page);

  std::string password_;
  std::string digest_;
  // The base keystream so far and the schedule that continues it.
  Rc4 base_;
  std::vector<std::uint8_t> base_stream_;
  // Page keystreams, direct-mapped by page number; a slot is filled on
  // first use.
  struct Slot {
    std::uint64_t page = UINT64_MAX;
    std::unique_ptr<Page> bytes;
  };
  std::vector<Slot> slots_;
  std::string cache_folder_;
  std::unique_ptr<KeystreamCache> cache_;
  // The chunk of the cache file that a walk read and verified last, whose
  // pages' keystreams are taken from this copy (KeystreamCache::ReadVerified).
  std::unique_ptr<std::uint8_t[]> read_chunk_;
  static constexpr std::uint64_t kNoChunk = UINT64_MAX;
  std::uint64_t read_chunk_first_ = kNoChunk;  // its first page
  // The page's keystream in read_chunk_, or nullptr.
  const std::uint8_t* ReadKeystream(std::uint64_t page) const {
    if (page < read_chunk_first_ || page - read_chunk_first_ >= KeystreamCache::kChunkPages)
      return nullptr;
    return read_chunk_.get() + (page - read_chunk_first_) * kCipherPageSize;
  }
  // The chunk whose lines a walk verifies one by one (CheckedLines): its
  // mapped bytes, and the lines of one page of it that passed.
  std::uint64_t lines_chunk_first_ = kNoChunk;
  std::span<const std::uint8_t> lines_chunk_;
  std::uint64_t lines_page_ = kNoChunk;
  std::uint64_t lines_passed_ = 0;  // bit i: line i of lines_page_
  bool read_unready_chunks_ = true;
  bool cache_failed_ = false;
  bool large_file_seen_ = false;
};

// Where the keystream cache files live: the user's cache folder's
// "orderdesk", or none when ORDERDESK_KEYSTREAM_CACHE is "off" or no such
// folder is known.
std::string DefaultKeystreamFolder();

// The page ciphers in use, one per password, shared by every file that
// password protects.
class CipherPool {
 public:
  explicit CipherPool(std::string cache_folder = DefaultKeystreamFolder())
      : cache_folder_(std::move(cache_folder)) {}
  std::shared_ptr<PageCipher> For(const std::string& password);

 private:
  std::string cache_folder_;
  std::map<std::string, std::shared_ptr<PageCipher>> ciphers_;
};

}  // namespace store
