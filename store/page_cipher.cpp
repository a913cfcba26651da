#include "store/page_cipher.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/mapped_file.h"

#include "store/md5.h"

namespace store {
namespace {

// 65536 slots hold up to 256 MB of keystream, filled only as pages are
// used: the keystream of every page of a data file up to that size is
// computed once per run, which is what makes scanning a protected file as
// cheap as reading it. A longer file still computes each page only once
// per pass.
constexpr std::size_t kCachedPages = 65536;

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

std::string DigestText(std::string_view password) {
  std::string text = HexText(Md5(Bytes(password)));
  for (std::size_t k = 0; k + 1 < text.size(); k += 2) std::swap(text[k], text[k + 1]);
  std::reverse(text.begin(), text.end());
  return text;
}

PageCipher::PageCipher(std::string password, std::string cache_folder)
    : password_(std::move(password)),
      digest_(DigestText(password_)),
      base_(Bytes(password_)),
      slots_(kCachedPages),
      cache_folder_(std::move(cache_folder)) {}

std::string DefaultKeystreamFolder() {
  if (const char* setting = std::getenv("ORDERDESK_KEYSTREAM_CACHE");
      setting != nullptr && std::string_view(setting) == "off")
    return {};
  std::string folder = platform::UserCacheDirectory();
  return folder.empty() ? folder : folder + "/orderdesk";
}

std::uint32_t PageCipher::PageSalt(std::uint64_t page) {
  std::uint64_t needed = page * 4 + 4;
  if (base_stream_.size() < needed) {
    std::size_t old = base_stream_.size();
    // Grow in steps so that walking a file page by page stays linear.
    std::size_t target = std::max<std::size_t>(needed, old * 2 < 4096 ? 4096 : old * 2);
    base_stream_.resize(target);
    base_.Generate(std::span(base_stream_).subspan(old));
  }
  const std::uint8_t* s = base_stream_.data() + page * 4;
  return std::uint32_t{s[0]} | std::uint32_t{s[1]} << 8 | std::uint32_t{s[2]} << 16 |
         std::uint32_t{s[3]} << 24;
}

void PageCipher::ComputeKeystream(std::uint64_t page, std::span<std::uint8_t> out) {
  KeystreamOfSalt(page, PageSalt(page), out);
}

void PageCipher::ComputeKeystreamsAlone(const void* cipher, std::uint64_t first,
                                        std::span<std::uint8_t> out) {
  const auto& self = *static_cast<const PageCipher*>(cipher);
  // The salts from a fresh base schedule: the shared one and its bytes may
  // be growing on another thread.
  Rc4 base(Bytes(self.password_));
  base.Discard(static_cast<std::size_t>(first * 4));
  for (std::size_t at = 0; at + kCipherPageSize <= out.size(); at += kCipherPageSize) {
    std::uint32_t salt = 0;
    for (int k = 0; k < 4; ++k) salt |= std::uint32_t{base.Next()} << (8 * k);
    self.KeystreamOfSalt(first + at / kCipherPageSize, salt, out.subspan(at, kCipherPageSize));
  }
}

void PageCipher::KeystreamOfSalt(std::uint64_t page, std::uint32_t salt,
                                 std::span<std::uint8_t> out) const {
  // Page key: salt (4, little-endian), digest text (32), page ^ salt (4).
  std::uint32_t mixed = static_cast<std::uint32_t>(page) ^ salt;
  std::array<std::uint8_t, 40> key{};
  for (int k = 0; k < 4; ++k) {
    key[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(salt >> (8 * k));
    key[static_cast<std::size_t>(36 + k)] = static_cast<std::uint8_t>(mixed >> (8 * k));
  }
  std::copy(digest_.begin(), digest_.end(), key.begin() + 4);
  Rc4 schedule(key);
  schedule.Discard(kDiscardedKeystream);
  schedule.Generate(out);
}

bool PageCipher::OpenCache() {
  if (cache_) return true;
  if (cache_failed_ || cache_folder_.empty()) return false;
  cache_ = KeystreamCache::Open(cache_folder_, digest_, &ComputeKeystreamsAlone, this);
  cache_failed_ = cache_ == nullptr;
  return !cache_failed_;
}

bool PageCipher::NoteFileSize(std::uint64_t size) {
  if (size <= kMemoryOnlyPages * kCipherPageSize) return false;
  large_file_seen_ = true;
  // From here on cache_ is never set again: another thread may read it.
  if (!OpenCache()) return false;
  cache_->MapAhead((size + kCipherPageSize - 1) / kCipherPageSize);
  return true;
}

void PageCipher::VerifyAhead(std::uint64_t offset, std::uint64_t length) {
  ForEachChunk(offset, length, &KeystreamCache::VerifyAhead);
}

void PageCipher::TouchAhead(std::uint64_t offset, std::uint64_t length) {
  ForEachChunk(offset, length, &KeystreamCache::TouchCopied);
}

void PageCipher::ForEachChunk(std::uint64_t offset, std::uint64_t length,
                              void (KeystreamCache::*step)(std::uint64_t first_page)) {
  if (!cache_ || length == 0) return;
  const std::uint64_t last = (offset + length - 1) / KeystreamCache::kChunkBytes;
  for (std::uint64_t chunk = offset / KeystreamCache::kChunkBytes; chunk <= last; ++chunk)
    (cache_.get()->*step)(chunk * KeystreamCache::kChunkPages);
}

const std::uint8_t* PageCipher::FileKeystream(std::uint64_t page, std::size_t in_page,
                                              std::size_t n) {
  if (const std::uint8_t* copied = ReadKeystream(page)) return copied;
  if (!cache_ && !OpenCache()) return nullptr;
  // Where first touches are dear, a chunk met for the first time in this
  // run is read and verified in a copy of its own, which the walk then
  // uses: its mapped pages would cost a first touch each. Until the file's
  // thread has touched them (TouchAhead), later walks read the chunk again.
  // One chunk is copied at a time.
  const std::uint8_t* known = cache_->Known(page);
  if (known != nullptr && !cache_->Copied(page)) return known;
  if (known == nullptr && !read_unready_chunks_) {
    if (const std::uint8_t* checked = CheckedLines(page, in_page, n)) return checked;
    return LoadKeystream(page);
  }
  constexpr std::size_t kChunkBytes = KeystreamCache::kChunkBytes;
  read_chunk_first_ = kNoChunk;
  if (!read_chunk_) read_chunk_ = std::make_unique_for_overwrite<std::uint8_t[]>(kChunkBytes);
  const std::span<std::uint8_t> copy(read_chunk_.get(), kChunkBytes);
  if (known != nullptr ? cache_->ReadCopy(page, copy) : cache_->ReadVerified(page, copy)) {
    read_chunk_first_ = page / KeystreamCache::kChunkPages * KeystreamCache::kChunkPages;
    return ReadKeystream(page);
  }
  if (known != nullptr) return known;
  return LoadKeystream(page);
}

const std::uint8_t* PageCipher::CheckedLines(std::uint64_t page, std::size_t in_page,
                                             std::size_t n) {
  constexpr std::uint64_t kChunkPages = KeystreamCache::kChunkPages;
  constexpr std::uint64_t kLineBytes = KeystreamCache::kLineBytes;
  static_assert(kCipherPageSize / kLineBytes == 64, "one bit per line of a page");
  const std::uint64_t chunk_first = page / kChunkPages * kChunkPages;
  if (chunk_first != lines_chunk_first_) {
    lines_chunk_first_ = chunk_first;
    lines_chunk_ = cache_->FilledChunk(page);
    lines_page_ = kNoChunk;
  }
  if (lines_chunk_.empty() || n == 0) return nullptr;
  if (page != lines_page_) {
    lines_page_ = page;
    lines_passed_ = 0;
  }
  const std::uint64_t first = in_page / kLineBytes;
  const std::uint64_t last = (in_page + n - 1) / kLineBytes;
  const std::uint64_t wanted =
      (last == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (last + 1)) - 1) &
      ~((std::uint64_t{1} << first) - 1);
  if ((lines_passed_ & wanted) != wanted) {
    if (!cache_->LinesPass(page, lines_chunk_, first, last)) return nullptr;
    lines_passed_ |= wanted;
  }
  return KeystreamCache::PageIn(lines_chunk_, page);
}

const std::uint8_t* PageCipher::LoadKeystream(std::uint64_t page) {
  return cache_->Load(
      page, [this](std::uint64_t p, std::span<std::uint8_t> out) { ComputeKeystream(p, out); });
}

const std::uint8_t* PageCipher::PageKeystream(std::uint64_t page, std::size_t in_page,
                                              std::size_t n) {
  if (page < KeystreamCache::kEndPage && (large_file_seen_ || page >= kMemoryOnlyPages)) {
    // Any failure of the cache file leaves the page to the memory below.
    if (const std::uint8_t* cached = FileKeystream(page, in_page, n)) return cached;
  }
  Slot& slot = slots_[page % slots_.size()];
  if (slot.page == page) return slot.bytes->data();
  // Not zeroed first: the keystream fills every byte.
  if (!slot.bytes) slot.bytes.reset(new Page);
  ComputeKeystream(page, *slot.bytes);
  slot.page = page;
  return slot.bytes->data();
}

void PageCipher::Prefetch(std::uint64_t offset) const {
  const std::uint64_t page = offset / kCipherPageSize;
  const std::uint8_t* keystream = ReadKeystream(page);
  if (keystream == nullptr && cache_ && page < KeystreamCache::kEndPage)
    keystream = cache_->Known(page);
  if (keystream == nullptr && !lines_chunk_.empty() &&
      page / KeystreamCache::kChunkPages * KeystreamCache::kChunkPages == lines_chunk_first_) {
    // Where the walk verifies lines one by one, the line's check value too.
    __builtin_prefetch(KeystreamCache::LineCheckIn(lines_chunk_, page, offset % kCipherPageSize));
    keystream = KeystreamCache::PageIn(lines_chunk_, page);
  }
  if (keystream == nullptr) {
    const Slot& slot = slots_[page % slots_.size()];
    if (slot.page == page) keystream = slot.bytes->data();
  }
  if (keystream != nullptr) __builtin_prefetch(keystream + offset % kCipherPageSize);
}

std::uint8_t PageCipher::KeystreamByte(std::uint64_t offset) {
  const auto in_page = static_cast<std::size_t>(offset % kCipherPageSize);
  return PageKeystream(offset / kCipherPageSize, in_page, 1)[in_page];
}

void PageCipher::Apply(std::uint64_t offset, std::span<std::uint8_t> data) {
  ApplyTo(offset, data, data);
}

void PageCipher::ApplyTo(std::uint64_t offset, std::span<const std::uint8_t> from,
                         std::span<std::uint8_t> to) {
  std::size_t done = 0;
  if (offset < kClearPrefix) {
    done = static_cast<std::size_t>(std::min<std::uint64_t>(kClearPrefix - offset, from.size()));
    if (from.data() != to.data()) std::memcpy(to.data(), from.data(), done);
  }
  while (done < from.size()) {
    std::uint64_t at = offset + done;
    std::size_t in_page = static_cast<std::size_t>(at % kCipherPageSize);
    std::size_t n = std::min<std::size_t>(from.size() - done, kCipherPageSize - in_page);
    const std::uint8_t* keystream = PageKeystream(at / kCipherPageSize, in_page, n);
    const std::uint8_t* in = from.data() + done;
    std::uint8_t* out = to.data() + done;
    const std::uint8_t* key = keystream + in_page;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
      std::uint64_t word, mask;
      std::memcpy(&word, in + k, 8);
      std::memcpy(&mask, key + k, 8);
      word ^= mask;
      std::memcpy(out + k, &word, 8);
    }
    for (; k < n; ++k) out[k] = in[k] ^ key[k];
    done += n;
  }
}

bool PageCipher::Deciphers(std::uint64_t offset, std::span<const std::uint8_t> stored,
                           std::span<const std::uint8_t> plain) {
  std::size_t done = 0;
  if (offset < kClearPrefix) {
    done = static_cast<std::size_t>(std::min<std::uint64_t>(kClearPrefix - offset, stored.size()));
    if (std::memcmp(stored.data(), plain.data(), done) != 0) return false;
  }
  while (done < stored.size()) {
    const std::uint64_t at = offset + done;
    const auto in_page = static_cast<std::size_t>(at % kCipherPageSize);
    const std::size_t n = std::min<std::size_t>(stored.size() - done, kCipherPageSize - in_page);
    const std::uint8_t* key = PageKeystream(at / kCipherPageSize, in_page, n) + in_page;
    for (std::size_t k = 0; k < n; ++k)
      if ((stored[done + k] ^ key[k]) != plain[done + k]) return false;
    done += n;
  }
  return true;
}

std::shared_ptr<PageCipher> CipherPool::For(const std::string& password) {
  auto& cipher = ciphers_[password];
  if (!cipher) cipher = std::make_shared<PageCipher>(password, cache_folder_);
  return cipher;
}

}  // namespace store
