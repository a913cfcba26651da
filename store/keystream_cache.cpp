#include "store/keystream_cache.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace store {
namespace {

constexpr char kMagic[16] = {'O', 'r', 'd', 'e', 'r', 'D', 'e', 's',
                             'k', 'S', 't', 'r', 'e', 'a', 'm', 's'};
// 2: the chunks start at page 0 (in 1 they started at page 4096); 3: each
// chunk is followed by the check values of its lines. A file of another
// layout is started afresh.
constexpr std::uint32_t kLayoutVersion = 3;
constexpr std::uint64_t kHeaderBytes = 4096;
constexpr std::uint64_t kTableBytes = 8 * KeystreamCache::kMaxChunks;
constexpr std::uint64_t kHeadBytes = kHeaderBytes + kTableBytes;
constexpr std::uint64_t kChunkBytes = KeystreamCache::kChunkBytes;
constexpr std::uint64_t kLineBytes = KeystreamCache::kLineBytes;
constexpr std::uint64_t kChunkLines = kChunkBytes / kLineBytes;
// A chunk and the check values of its lines, one 8-byte value per line.
constexpr std::uint64_t kChunkStride = kChunkBytes + 8 * kChunkLines;

// Where chunk `chunk` begins in the file.
constexpr std::uint64_t ChunkStart(std::uint64_t chunk) {
  return kHeadBytes + chunk * kChunkStride;
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

// The end of the last chunk that the table shows filled. A chunk is filled
// only once the file holds it, so a size read after the table that falls
// short of this end is a file cut short: growing it again would give the
// pages another desk still has mapped back as zeros.
std::uint64_t FilledEnd(std::span<std::uint8_t> head) {
  for (std::uint64_t c = KeystreamCache::kMaxChunks; c-- > 0;)
    if (TableEntry(head, c).load(std::memory_order_acquire) != 0) return ChunkStart(c + 1);
  return kHeadBytes;
}

}  // namespace

Md5Digest LabelledDigest(const std::string& label, const std::string& digest) {
  const std::string text = label + digest;
  return Md5({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// Two running sums of the line's words, mixed with the line's place and the
// password, as for a chunk.
std::uint64_t KeystreamLineCheck(std::uint64_t password_check, std::uint64_t line,
                                 const std::uint8_t* bytes) {
  std::uint64_t s1 = 1, s2 = 0;
  for (std::size_t at = 0; at < 64; at += 8) {
    s1 += Load64(bytes + at);
    s2 += s1;
  }
  std::uint64_t h = password_check ^ (line * 0x9E3779B97F4A7C15u);
  h = (h ^ s1) * 0xFF51AFD7ED558CCDu;
  h ^= h >> 33;
  h = (h ^ s2) * 0xC4CEB9FE1A85EC53u;
  h ^= h >> 33;
  return h | 1;
}

std::string KeystreamCache::FileName(const std::string& digest) {
  return "keystreams-" + HexText(LabelledDigest("file name of the page keystreams of ", digest));
}

void KeystreamCache::RefillPage(void* refiller, std::uint64_t offset,
                                std::span<std::uint8_t> page) {
  // The header and the check tables read as zeros: every chunk not yet
  // verified is computed again, and no line passes its check (the walk
  // verifies the whole chunk instead). A chunk's keystreams are computed as
  // they were.
  const auto* with = static_cast<const Refiller*>(refiller);
  if (offset < kHeadBytes || with->alone == nullptr) return;
  for (std::uint64_t at = 0; at + kPageBytes <= page.size(); at += kPageBytes) {
    const std::uint64_t in_chunks = offset + at - kHeadBytes;
    const std::uint64_t within = in_chunks % kChunkStride;
    if (within < kChunkBytes)
      with->alone(with->context, in_chunks / kChunkStride * kChunkPages + within / kPageBytes,
                  page.subspan(at, kPageBytes));
  }
}

std::unique_ptr<KeystreamCache> KeystreamCache::Open(const std::string& folder,
                                                     const std::string& digest,
                                                     ComputePagesAlone alone,
                                                     const void* alone_context) {
  if (folder.empty()) return nullptr;
  auto file = platform::MappedFile::Open(folder + "/" + FileName(digest));
  if (!file) return nullptr;
  auto refiller = std::make_unique<Refiller>(Refiller{alone, alone_context});
  file->SetRefill(&RefillPage, refiller.get(), kHeadBytes, kChunkStride);
  const Md5Digest check = LabelledDigest("check of the page keystreams of ", digest);
  const auto header = Header(check);
  // A new file, or one cut short, another damaged or another password's, is
  // made afresh, and only by a desk that has it alone: another desk may
  // still have pages of it mapped beyond a cut.
  const std::uint64_t size = file->Size();
  std::span<std::uint8_t> head;
  if (size >= kHeadBytes) head = file->Map(0, kHeadBytes);
  const bool ours = !head.empty() && std::memcmp(head.data(), header.data(), header.size()) == 0;
  const std::uint64_t filled_end = ours ? FilledEnd(head) : 0;
  const std::uint64_t now = file->Size();
  const bool cut_short = ours && now < filled_end;
  if (!ours || cut_short) {
    if (!file->Alone()) return nullptr;
    if (head.empty()) head = file->Map(0, kHeadBytes);
    if (head.empty()) return nullptr;
  }
  if (!ours) {
    // The table is emptied before the header is written, so no chunk of the
    // old file passes for this one.
    for (std::uint64_t c = 0; c < kMaxChunks; ++c) TableEntry(head, c).store(0);
    std::memcpy(head.data(), header.data(), header.size());
  } else if (cut_short) {
    // Chunks cut off are zeros when the file grows again: computed afresh.
    for (std::uint64_t c = now < kHeadBytes ? 0 : (now - kHeadBytes) / kChunkStride; c < kMaxChunks;
         ++c)
      TableEntry(head, c).store(0);
  }
  return std::unique_ptr<KeystreamCache>(
      new KeystreamCache(std::move(refiller), std::move(file), head, Load64(check.data())));
}

KeystreamCache::KeystreamCache(std::unique_ptr<Refiller> refiller,
                               std::unique_ptr<platform::MappedFile> file,
                               std::span<std::uint8_t> head, std::uint64_t password_check)
    : refiller_(std::move(refiller)),
      file_(std::move(file)),
      head_(head),
      password_check_(password_check),
      chunks_(kMaxChunks),
      busy_(kMaxChunks),
      copied_(kMaxChunks) {}

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

// `line` is counted from the first line of page 0 of the whole keystream.
std::uint64_t KeystreamCache::LineCheck(std::uint64_t line, const std::uint8_t* bytes) const {
  static_assert(kLineBytes == 64);
  return KeystreamLineCheck(password_check_, line, bytes);
}

std::span<const std::uint8_t> KeystreamCache::FilledChunk(std::uint64_t page) {
  if (page >= kEndPage) return {};
  const std::uint64_t chunk = page / kChunkPages;
  if (TableEntry(head_, chunk).load(std::memory_order_acquire) == 0) return {};
  // Only chunks already mapped: Load would map another anew.
  return MapChunk(chunk, true);
}

bool KeystreamCache::LinesPass(std::uint64_t page, std::span<const std::uint8_t> chunk,
                               std::uint64_t first, std::uint64_t last) const {
  const std::uint8_t* keystream = PageIn(chunk, page);
  for (std::uint64_t line = first; line <= last; ++line) {
    const std::size_t at = line * kLineBytes;
    if (Load64(LineCheckIn(chunk, page, at)) !=
        LineCheck(page * kLinesPerPage + line, keystream + at))
      return false;
  }
  return true;
}

void KeystreamCache::MapAhead(std::uint64_t pages) {
  const std::uint64_t chunks = std::min(kMaxChunks, (pages + kChunkPages - 1) / kChunkPages);
  std::lock_guard lock(mapping_);
  if (chunks * kChunkStride <= ahead_.size()) return;
  if (!MayMapTo(ChunkStart(chunks))) return;
  // A smaller piece mapped before stays mapped (with the file) for the
  // chunks already handed out from it.
  const std::span<std::uint8_t> piece =
      file_->Map(kHeadBytes, static_cast<std::size_t>(chunks * kChunkStride));
  if (!piece.empty()) ahead_ = piece;
}

std::span<std::uint8_t> KeystreamCache::MapChunk(std::uint64_t chunk, bool only_ahead) {
  std::lock_guard lock(mapping_);
  if ((chunk + 1) * kChunkStride <= ahead_.size())
    return ahead_.subspan(chunk * kChunkStride, kChunkStride);
  if (only_ahead || !MayMapTo(ChunkStart(chunk + 1))) return {};
  return file_->Map(ChunkStart(chunk), kChunkStride);
}

bool KeystreamCache::MayMapTo(std::uint64_t end) {
  // The file cut short while in use: it is never grown again by this desk,
  // whose chunks still to come are computed in its memory.
  if (!cut_short_) {
    const std::uint64_t filled_end = FilledEnd(head_);
    const std::uint64_t size = file_->Size();
    cut_short_ = end > size && size < filled_end;
  }
  return !cut_short_;
}

bool KeystreamCache::Verify(std::uint64_t chunk, std::span<std::uint8_t> bytes) {
  // A chunk never filled is not read at all.
  const std::uint64_t entry = TableEntry(head_, chunk).load(std::memory_order_acquire);
  if (entry == 0 || entry != ChunkCheck(chunk, bytes.first(kChunkBytes))) return false;
  chunks_[chunk].store(bytes.data(), std::memory_order_release);
  return true;
}

const std::uint8_t* KeystreamCache::Load(std::uint64_t page, const ComputePage& compute) {
  const std::uint64_t chunk = page / kChunkPages;
  // A chunk another thread is verifying is waited for: it is ready in far
  // less time than computing it would take.
  while (Known(page) == nullptr) {
    if (busy_[chunk].exchange(true, std::memory_order_acquire)) {
      std::this_thread::yield();
      continue;
    }
    ScopeRelease release{busy_[chunk]};
    if (Known(page) != nullptr) break;
    const std::span<std::uint8_t> bytes = MapChunk(chunk, false);
    if (bytes.empty()) return nullptr;
    if (Verify(chunk, bytes)) break;
    // Another desk filling the same chunk writes the same bytes.
    const std::uint64_t first = chunk * kChunkPages;
    for (std::uint64_t p = 0; p < kChunkPages; ++p)
      compute(first + p, bytes.subspan(p * kPageBytes, kPageBytes));
    for (std::uint64_t line = 0; line < kChunkLines; ++line) {
      const std::uint64_t check = LineCheck(chunk * kChunkLines + line, &bytes[line * kLineBytes]);
      std::memcpy(&bytes[kChunkBytes + 8 * line], &check, 8);
    }
    TableEntry(head_, chunk)
        .store(ChunkCheck(chunk, bytes.first(kChunkBytes)), std::memory_order_release);
    chunks_[chunk].store(bytes.data(), std::memory_order_release);
  }
  return Known(page);
}

bool KeystreamCache::ReadVerified(std::uint64_t page, std::span<std::uint8_t> copy) {
  if (page >= kEndPage || copy.size() != kChunkBytes) return false;
  const std::uint64_t chunk = page / kChunkPages;
  // A chunk another thread holds is being verified or filled: Load waits.
  if (Known(page) != nullptr || busy_[chunk].exchange(true, std::memory_order_acquire))
    return false;
  ScopeRelease release{busy_[chunk]};
  const std::uint64_t entry = TableEntry(head_, chunk).load(std::memory_order_acquire);
  if (entry == 0 || Known(page) != nullptr) return false;
  // Only chunks already mapped (the piece mapped ahead only reserves their
  // range; nothing in it is touched here): Load maps the others.
  const std::span<std::uint8_t> bytes = MapChunk(chunk, true);
  if (bytes.empty() || !file_->ReadAt(ChunkStart(chunk), copy) || ChunkCheck(chunk, copy) != entry)
    return false;
  copied_[chunk].store(true, std::memory_order_release);
  chunks_[chunk].store(bytes.data(), std::memory_order_release);
  return true;
}

bool KeystreamCache::ReadCopy(std::uint64_t page, std::span<std::uint8_t> copy) const {
  if (page >= kEndPage || copy.size() != kChunkBytes || Known(page) == nullptr) return false;
  return file_->ReadAt(ChunkStart(page / kChunkPages), copy);
}

void KeystreamCache::TouchCopied(std::uint64_t page) {
  if (page >= kEndPage || !Copied(page)) return;
  const std::uint8_t* chunk = Known(page);
  if (chunk == nullptr) return;
  // A page cut from the file meanwhile is refilled, not fatal (SetRefill).
  std::uint8_t sum = 0;
  for (std::uint64_t at = 0; at < kChunkBytes; at += kPageBytes)
    sum ^= *static_cast<const volatile std::uint8_t*>(chunk + at);
  (void)sum;
  copied_[page / kChunkPages].store(false, std::memory_order_release);
}

void KeystreamCache::VerifyAhead(std::uint64_t page) {
  if (page >= kEndPage) return;
  const std::uint64_t chunk = page / kChunkPages;
  // A chunk that Load holds is left to it.
  if (Known(page) != nullptr || busy_[chunk].exchange(true, std::memory_order_acquire)) return;
  ScopeRelease release{busy_[chunk]};
  if (Known(page) != nullptr) return;
  // Only chunks already mapped: a chunk this maps anew would be mapped
  // again by Load when the verifying fails.
  const std::span<std::uint8_t> bytes = MapChunk(chunk, true);
  if (!bytes.empty()) Verify(chunk, bytes);
}

}  // namespace store
