#include "store/keystream_cache.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>

#include "store/md5.h"

namespace store {
namespace {

constexpr char kMagic[16] = {'O', 'r', 'd', 'e', 'r', 'D', 'e', 's',
                             'k', 'S', 't', 'r', 'e', 'a', 'm', 's'};
// 2: the chunks start at page 0 (in 1 they started at page 4096); a file of
// another layout is started afresh.
constexpr std::uint32_t kLayoutVersion = 2;
constexpr std::uint64_t kHeaderBytes = 4096;
constexpr std::uint64_t kTableBytes = 8 * KeystreamCache::kMaxChunks;
constexpr std::uint64_t kHeadBytes = kHeaderBytes + kTableBytes;
constexpr std::uint64_t kChunkBytes = KeystreamCache::kChunkPages * 4096;

Md5Digest DigestOf(const std::string& label, const std::string& digest) {
  const std::string text = label + digest;
  return Md5({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::uint64_t Load64(const std::uint8_t* bytes) {
  std::uint64_t value;
  std::memcpy(&value, bytes, 8);
  return value;
}

// The header a file for this password and layout has.
std::array<std::uint8_t, 56> Header(const Md5Digest& check) {
  std::array<std::uint8_t, 56> header{};
  std::memcpy(header.data(), kMagic, 16);
  const std::uint32_t sizes[4] = {kLayoutVersion, 4096,
                                  static_cast<std::uint32_t>(KeystreamCache::kChunkPages),
                                  static_cast<std::uint32_t>(KeystreamCache::kMaxChunks)};
  std::memcpy(header.data() + 16, sizes, sizeof sizes);
  const std::uint64_t first_page = 0;
  std::memcpy(header.data() + 32, &first_page, 8);
  std::memcpy(header.data() + 40, check.data(), 16);
  return header;
}

std::atomic_ref<std::uint64_t> TableEntry(std::span<std::uint8_t> head, std::uint64_t chunk) {
  return std::atomic_ref<std::uint64_t>(
      *reinterpret_cast<std::uint64_t*>(head.data() + kHeaderBytes + 8 * chunk));
}

}  // namespace

std::string KeystreamCache::FileName(const std::string& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name = "keystreams-";
  for (std::uint8_t byte : DigestOf("file name of the page keystreams of ", digest)) {
    name += kHex[byte >> 4];
    name += kHex[byte & 15];
  }
  return name;
}

std::unique_ptr<KeystreamCache> KeystreamCache::Open(const std::string& folder,
                                                     const std::string& digest) {
  if (folder.empty()) return nullptr;
  auto file = platform::MappedFile::Open(folder + "/" + FileName(digest));
  if (!file) return nullptr;
  std::span<std::uint8_t> head = file->Map(0, kHeadBytes);
  if (head.empty()) return nullptr;
  const Md5Digest check = DigestOf("check of the page keystreams of ", digest);
  const auto header = Header(check);
  if (std::memcmp(head.data(), header.data(), header.size()) != 0) {
    // Missing, damaged, stale or another password's: start afresh. The table
    // is emptied before the header is written, so no chunk of the old file
    // passes for this one.
    for (std::uint64_t c = 0; c < kMaxChunks; ++c) TableEntry(head, c).store(0);
    std::memcpy(head.data(), header.data(), header.size());
  }
  return std::unique_ptr<KeystreamCache>(
      new KeystreamCache(std::move(file), head, Load64(check.data())));
}

KeystreamCache::KeystreamCache(std::unique_ptr<platform::MappedFile> file,
                               std::span<std::uint8_t> head, std::uint64_t password_check)
    : file_(std::move(file)), head_(head), password_check_(password_check), chunks_(kMaxChunks) {}

// Two running sums of the chunk's words (any changed word and any swap of
// two words change them), mixed with the chunk's place and the password;
// never 0, which marks a chunk not filled yet.
std::uint64_t KeystreamCache::ChunkCheck(std::uint64_t chunk,
                                         std::span<const std::uint8_t> bytes) const {
  std::uint64_t s1[4] = {1, 2, 3, 4}, s2[4] = {};
  for (std::size_t at = 0; at + 32 <= bytes.size(); at += 32) {
    __builtin_prefetch(bytes.data() + at + 2048);
    for (std::size_t lane = 0; lane < 4; ++lane) {
      s1[lane] += Load64(bytes.data() + at + 8 * lane);
      s2[lane] += s1[lane];
    }
  }
  std::uint64_t h = password_check_ ^ (chunk * 0x9E3779B97F4A7C15u);
  for (std::size_t lane = 0; lane < 4; ++lane) {
    for (std::uint64_t v : {s1[lane], s2[lane]}) {
      h = (h ^ v) * 0xFF51AFD7ED558CCDu;
      h ^= h >> 33;
    }
  }
  return h | 1;
}

std::span<std::uint8_t> KeystreamCache::MapChunk(std::uint64_t chunk) {
  std::lock_guard lock(mapping_);
  return file_->Map(kHeadBytes + chunk * kChunkBytes, kChunkBytes);
}

const std::uint8_t* KeystreamCache::Verify(std::uint64_t chunk, std::span<std::uint8_t>& mapped) {
  mapped = MapChunk(chunk);
  if (mapped.empty()) return nullptr;
  if (TableEntry(head_, chunk).load(std::memory_order_acquire) != ChunkCheck(chunk, mapped))
    return nullptr;
  // Whichever thread verified it first gives the bytes; both views hold
  // the same verified keystream.
  const std::uint8_t* expected = nullptr;
  chunks_[chunk].compare_exchange_strong(expected, mapped.data(), std::memory_order_acq_rel);
  return expected != nullptr ? expected : mapped.data();
}

const std::uint8_t* KeystreamCache::Load(std::uint64_t page, const ComputePage& compute) {
  const std::uint64_t chunk = page / kChunkPages;
  if (chunks_[chunk].load(std::memory_order_acquire) == nullptr) {
    std::span<std::uint8_t> bytes;
    if (Verify(chunk, bytes) == nullptr) {
      if (bytes.empty()) return nullptr;
      // Another desk filling the same chunk writes the same bytes.
      const std::uint64_t first = chunk * kChunkPages;
      for (std::uint64_t p = 0; p < kChunkPages; ++p)
        compute(first + p, bytes.subspan(p * kPageBytes, kPageBytes));
      TableEntry(head_, chunk).store(ChunkCheck(chunk, bytes), std::memory_order_release);
      const std::uint8_t* expected = nullptr;
      chunks_[chunk].compare_exchange_strong(expected, bytes.data(), std::memory_order_acq_rel);
    }
  }
  return Known(page);
}

void KeystreamCache::VerifyAhead(std::uint64_t pages) {
  if (verifier_.joinable()) return;
  const std::uint64_t chunks = std::min(kMaxChunks, (pages + kChunkPages - 1) / kChunkPages);
  try {
    // From the last chunk down: a walk from the start that outruns the
    // thread verifies its chunks itself, and the two meet halfway instead
    // of doing the same chunks.
    verifier_ = std::jthread([this, chunks](std::stop_token stop) {
      for (std::uint64_t chunk = chunks; chunk-- > 0 && !stop.stop_requested();) {
        if (chunks_[chunk].load(std::memory_order_acquire) != nullptr) break;
        std::span<std::uint8_t> mapped;
        Verify(chunk, mapped);
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: every chunk is verified when first used.
  }
}

}  // namespace store
