#include "store/field_keystreams.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "store/keystream_cache.h"

namespace store {
namespace {

constexpr char kMagic[16] = {'O', 'r', 'd', 'e', 'r', 'D', 'e', 's',
                             'k', 'F', 'i', 'e', 'l', 'd', 'K', 's'};
constexpr std::uint32_t kLayoutVersion = 1;
constexpr std::uint64_t kHeaderBytes = 4096;
constexpr std::uint64_t kLineBytes = 64;
constexpr std::uint64_t kRecordsPerLine = kLineBytes / FieldKeystreams::kBytes;
constexpr std::uint64_t kBlockLines = 64;
constexpr std::uint64_t kBlockRecords = kBlockLines * kRecordsPerLine;
// A block's lines, then their check values.
constexpr std::uint64_t kBlockBytes = kBlockLines * (kLineBytes + 8);

// The field's place and the records' size, as the file's names and checks
// tell them.
std::string Layout(std::uint64_t first, std::uint64_t stride) {
  return std::to_string(first) + "-" + std::to_string(stride);
}

// A page cut from under the mapping stays zeros: no line of it passes.
void LeaveZeros(void*, std::uint64_t, std::span<std::uint8_t>) {}

}  // namespace

std::string FieldKeystreams::FileName(const std::string& digest, std::uint64_t first,
                                      std::uint64_t stride) {
  return "field-keystreams-" +
         HexText(LabelledDigest("file name of the field keystreams of ", digest)) + "-" +
         Layout(first, stride);
}

std::unique_ptr<FieldKeystreams> FieldKeystreams::Open(const std::string& folder,
                                                       const std::string& digest,
                                                       std::uint64_t first, std::uint64_t stride,
                                                       Compute compute) {
  if (folder.empty() || stride == 0) return nullptr;
  auto file = platform::MappedFile::Open(folder + "/" + FileName(digest, first, stride));
  if (!file) return nullptr;
  file->SetRefill(&LeaveZeros, nullptr);
  // The checks are keyed by the layout too: lines of another layout's file
  // never pass for this one.
  const Md5Digest check =
      LabelledDigest("check of the field keystreams " + Layout(first, stride) + " of ", digest);
  std::array<std::uint8_t, 48> header{};
  std::memcpy(header.data(), kMagic, 16);
  const std::uint64_t sizes[2] = {kLayoutVersion, kBlockLines};
  std::memcpy(header.data() + 16, sizes, sizeof sizes);
  std::memcpy(header.data() + 32, check.data(), 16);
  std::span<std::uint8_t> head;
  if (file->Size() >= kHeaderBytes) head = file->Map(0, kHeaderBytes);
  if (head.empty() || std::memcmp(head.data(), header.data(), header.size()) != 0) {
    // Written only by a desk that has the file alone: another may be
    // reading it.
    if (!file->Alone()) return nullptr;
    if (head.empty()) head = file->Map(0, kHeaderBytes);
    if (head.empty()) return nullptr;
    std::memcpy(head.data(), header.data(), header.size());
  }
  std::uint64_t password_check;
  std::memcpy(&password_check, check.data(), 8);
  return std::unique_ptr<FieldKeystreams>(
      new FieldKeystreams(std::move(file), first, stride, password_check, std::move(compute)));
}

FieldKeystreams::FieldKeystreams(std::unique_ptr<platform::MappedFile> file, std::uint64_t first,
                                 std::uint64_t stride, std::uint64_t password_check,
                                 Compute compute)
    : file_(std::move(file)),
      first_(first),
      stride_(stride),
      password_check_(password_check),
      compute_(std::move(compute)) {}

bool FieldKeystreams::MapFor(std::uint64_t records) {
  const std::uint64_t blocks = (records + kBlockRecords - 1) / kBlockRecords;
  if (blocks * kBlockBytes <= blocks_.size()) return true;
  if (map_failed_) return false;
  // Room for a file that grows by some records between walks, and for a
  // walk that asks for more as it goes; a piece mapped before stays mapped
  // with the file.
  const std::uint64_t room = std::max(blocks + blocks / 8 + 16, 2 * (blocks_.size() / kBlockBytes));
  blocks_ = file_->Map(kHeaderBytes, static_cast<std::size_t>(room * kBlockBytes));
  map_failed_ = blocks_.empty();
  return !map_failed_;
}

const std::uint8_t* FieldKeystreams::Of(std::uint64_t record, std::uint64_t records) {
  const std::uint64_t line = record / kRecordsPerLine;
  if (line != copied_line_) {
    copied_line_ = ~std::uint64_t{0};
    if (record >= records || !MapFor(records)) return nullptr;
    std::uint8_t* block = blocks_.data() + line / kBlockLines * kBlockBytes;
    std::uint8_t* bytes = block + line % kBlockLines * kLineBytes;
    std::atomic_ref<std::uint64_t> check(*reinterpret_cast<std::uint64_t*>(
        block + kBlockLines * kLineBytes + line % kBlockLines * 8));
    // The lines a walk needs next, and their check values, fetched ahead.
    constexpr std::uint64_t kAhead = 8;
    const std::uint64_t next = line + kAhead;
    if ((next / kBlockLines + 1) * kBlockBytes <= blocks_.size()) {
      std::uint8_t* next_block = blocks_.data() + next / kBlockLines * kBlockBytes;
      __builtin_prefetch(next_block + next % kBlockLines * kLineBytes);
      __builtin_prefetch(next_block + kBlockLines * kLineBytes + next % kBlockLines * 8);
    }
    // Verified as copied: the file may change under the mapping, the copy
    // cannot.
    std::memcpy(copy_, bytes, kLineBytes);
    if (check.load(std::memory_order_acquire) != KeystreamLineCheck(password_check_, line, copy_)) {
      for (std::uint64_t k = 0; k < kRecordsPerLine; ++k)
        compute_(first_ + (line * kRecordsPerLine + k) * stride_,
                 std::span(copy_ + k * kBytes, kBytes));
      std::memcpy(bytes, copy_, kLineBytes);
      check.store(KeystreamLineCheck(password_check_, line, copy_), std::memory_order_release);
    }
    copied_line_ = line;
  }
  return copy_ + record % kRecordsPerLine * kBytes;
}

}  // namespace store
