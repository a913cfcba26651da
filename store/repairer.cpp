#include "store/repairer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <memory>

#include "platform/gbk.h"
#include "store/cipher_file.h"
#include "store/format.h"
#include "store/long_value_file.h"
#include "store/page_cipher.h"

namespace store {
namespace {

using std::to_string;

constexpr std::int64_t RoundUp(std::int64_t n, std::int64_t to) { return (n + to - 1) / to * to; }

class Repairer {
 public:
  Repairer(RepairResult& result) : result_(result) {}

  void Run(const std::string& gbk_path, const std::optional<std::string>& password,
           const BeforeRepair& before) {
    const std::string full = platform::FullPath(WithDefaultExtension(gbk_path));
    const std::string path = platform::FindIgnoringCase(full).value_or(full);
    // Nobody else may write while the files are copied aside and mended;
    // reading stays open, since the copy aside reads them (and Windows
    // refuses that read to a file held for its opener alone).
    platform::OpenedFile opened = platform::OpenFile(path, platform::FileAccess::kReadWrite,
                                                     platform::FileSharing::kDenyWrite);
    if (!opened.file) return Refuse(FileErrorNumber(opened.error));
    data_ = CipherFile(std::move(opened.file), nullptr);
    if (!ReadDataHeader(password)) return;
    std::string long_path;
    if (NeedsLongValues()) {
      std::optional<std::string> found = platform::FindIgnoringCase(LongValueFileName(path));
      if (found) {
        platform::OpenedFile lv = platform::OpenFile(*found, platform::FileAccess::kReadWrite,
                                                     platform::FileSharing::kDenyWrite);
        if (!lv.file) return Refuse(error::kLongValueFileUnreadable);
        long_ = CipherFile(std::move(lv.file), data_.cipher());
        long_path = *found;
      } else {
        Unmended("the long-value file is missing");
      }
    }
    if (!before(path, long_path)) return Refuse(error::kUnknown);
    if (!RepairRecords()) return;
    if (long_.is_open()) RepairLongValues();
    if (data_.Flush() != platform::FileError::kNone) Refuse(error::kHardware);
    if (long_.is_open() && long_.Flush() != platform::FileError::kNone) Refuse(error::kHardware);
  }

 private:
  void Refuse(ErrorNumber number) {
    if (result_.error == error::kOk) result_.error = number;
  }
  void Change(std::string text) { result_.changes.push_back(std::move(text)); }
  void Unmended(std::string text) { result_.unmended.push_back(std::move(text)); }
  bool Wrote(platform::FileError error) {
    if (error == platform::FileError::kNone) return true;
    Refuse(FileErrorNumber(error));
    return false;
  }

  bool NeedsLongValues() const {
    return std::any_of(fields_.begin(), fields_.end(),
                       [](const FieldDescriptor& f) { return IsLongValueType(f.type); });
  }

  // The header and the fields: what cannot be guessed back, and so must be
  // sound for anything to be repaired.
  bool ReadDataHeader(const std::optional<std::string>& password) {
    if (data_.ReadExactly(0, header_) != platform::FileError::kNone) {
      Refuse(error::kNotDatabaseFile);
      return false;
    }
    const bool given = password && !password->empty();
    if (std::equal(header_.begin(), header_.begin() + 4, kProtectedMagic)) {
      if (!given) {
        Refuse(error::kPassword);
        return false;
      }
      data_.SetCipher(std::make_shared<PageCipher>(*password));
      data_.ReadExactly(0, header_);
      const char* stored = reinterpret_cast<const char*>(header_.data() + kDigestOffset);
      std::size_t n = 0;
      while (n < kDigestFieldSize && stored[n] != 0) ++n;
      if (!platform::EqualIgnoreCase(std::string_view(stored, n), DigestText(*password))) {
        Refuse(error::kPassword);
        return false;
      }
    } else if (!std::equal(header_.begin(), header_.begin() + 4, kPlainMagic)) {
      Refuse(error::kNotDatabaseFile);
      return false;
    } else if (given) {
      Refuse(error::kPassword);
      return false;
    }
    if (LoadU32(header_.data() + kVersionOffset) > kFormatVersion) {
      Refuse(error::kVersionTooHigh);
      return false;
    }
    std::uint8_t count_bytes[4];
    auto size = data_.Size();
    if (data_.ReadExactly(kFieldCountOffset, count_bytes) != platform::FileError::kNone ||
        !size.ok()) {
      Refuse(error::kNotDatabaseFile);
      return false;
    }
    const std::int32_t field_count = LoadI32(count_bytes);
    size_ = size.value;
    data_start_ = DataStart(std::max(field_count, 0));
    if (field_count <= 0 || size_ < data_start_) {
      Unmended("the field list cannot be read");
      Refuse(error::kNotDatabaseFile);
      return false;
    }
    std::vector<std::uint8_t> descriptors(data_start_ - kDescriptorsOffset);
    data_.ReadExactly(kDescriptorsOffset, descriptors);
    fields_.resize(static_cast<std::size_t>(field_count));
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      std::span<const std::uint8_t, kDescriptorSize> bytes(descriptors.data() + i * kDescriptorSize,
                                                           kDescriptorSize);
      if (!ParseDescriptor(bytes, fields_[i])) {
        Unmended("field " + to_string(i + 1) + " is not a sound field description");
        Refuse(error::kNotDatabaseFile);
        return false;
      }
    }
    return true;
  }

  // A record size that fits the fields and divides what follows them,
  // preferring one that agrees with the record count.
  std::optional<std::int32_t> GuessRecordSize(std::int32_t count) const {
    const std::int64_t extent = FieldsExtent(fields_);
    const std::int64_t body = static_cast<std::int64_t>(size_ - data_start_);
    std::vector<std::int64_t> candidates = {RoundUp(extent, 4), RoundUp(extent, 8),
                                            RoundUp(extent, kRecordAlignment)};
    for (std::int64_t c = extent; c <= RoundUp(extent, kRecordAlignment); ++c)
      candidates.push_back(c);
    std::optional<std::int32_t> dividing;
    for (std::int64_t c : candidates) {
      if (!RecordSizeFitsFields(c, fields_) || body % c != 0) continue;
      if (body / c == count) return static_cast<std::int32_t>(c);
      if (!dividing) dividing = static_cast<std::int32_t>(c);
    }
    return dividing;
  }

  // How many of the records the file's size holds this file could have
  // written: those counted, then each further one only while its serial
  // lies above the one before it and at most at the header's next serial
  // (a record is written before the count and next serial that follow it,
  // so a cut between leaves the record uncounted, its serial the next one).
  // Bytes a cut left after the size grew (zeros, deciphered to noise) carry
  // no such serial, and are not taken in as orders.
  std::optional<std::uint64_t> RecordsThisFileWrote(std::int32_t count, std::uint64_t whole,
                                                    std::int32_t next_serial) {
    const auto record_bytes = static_cast<std::uint64_t>(record_size_);
    auto serial_at = [&](std::uint64_t index) -> std::optional<std::int64_t> {
      std::uint8_t bytes[4];
      if (!Wrote(data_.ReadExactly(data_start_ + index * record_bytes, bytes))) return std::nullopt;
      const std::int64_t serial = LoadI32(bytes);
      return serial < 0 ? -serial : serial;
    };
    std::int64_t before = 0;
    if (count > 0) {
      std::optional<std::int64_t> last = serial_at(static_cast<std::uint64_t>(count - 1));
      if (!last) return std::nullopt;
      before = *last;
    }
    std::uint64_t kept = static_cast<std::uint64_t>(count);
    for (; kept < whole; ++kept) {
      std::optional<std::int64_t> serial = serial_at(kept);
      if (!serial) return std::nullopt;
      if (*serial <= before || *serial > next_serial) break;
      before = *serial;
    }
    return kept;
  }

  bool RepairRecords() {
    std::int32_t count = LoadI32(header_.data() + kRecordCountOffset);
    std::int32_t next_serial = LoadI32(header_.data() + kNextSerialOffset);
    record_size_ = LoadI32(header_.data() + kRecordSizeOffset);
    if (!RecordSizeFitsFields(record_size_, fields_)) {
      std::optional<std::int32_t> guessed = GuessRecordSize(count);
      if (!guessed) {
        Unmended("the record size " + to_string(record_size_) +
                 " does not fit the fields, and no size that does fits the file");
        Refuse(error::kNotDatabaseFile);
        return false;
      }
      Change("record size " + to_string(record_size_) + " -> " + to_string(*guessed) +
             " (from the fields and the file's size)");
      record_size_ = *guessed;
    }
    const auto record_bytes = static_cast<std::uint64_t>(record_size_);
    const std::uint64_t whole = (size_ - data_start_) / record_bytes;
    if (whole > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max() - 1)) {
      Unmended("the file is larger than any record count");
      Refuse(error::kNotDatabaseFile);
      return false;
    }
    std::uint64_t kept = whole;
    if (count >= 0 && whole > static_cast<std::uint64_t>(count)) {
      std::optional<std::uint64_t> written = RecordsThisFileWrote(count, whole, next_serial);
      if (!written) return false;
      kept = *written;
    }
    if (kept != static_cast<std::uint64_t>(count)) {
      Change("record count " + to_string(count) + " -> " + to_string(kept) +
             " (from the file's size)");
      count = static_cast<std::int32_t>(kept);
    }
    const std::uint64_t end = data_start_ + kept * record_bytes;
    if (kept < whole) {
      Change("cut " + to_string(whole - kept) + " records after record " + to_string(kept) +
             " that this file never wrote (" + to_string(size_ - end) +
             " bytes; the copy set aside keeps them)");
    } else if (size_ != end) {
      Change("cut " + to_string(size_ - end) + " bytes of an unfinished record after the last");
    }
    if (size_ != end && !Wrote(data_.Truncate(end))) return false;

    // Serial numbers: the next one lies beyond every one in use, and a
    // record without one gets a fresh one (it stays live, so nothing is
    // hidden from the user).
    std::int64_t highest = 0;
    std::vector<std::int32_t> unnumbered;
    records_.resize(static_cast<std::size_t>(count));
    std::vector<std::uint8_t> record(record_bytes);
    for (std::int32_t i = 0; i < count; ++i) {
      const std::uint64_t at = data_start_ + static_cast<std::uint64_t>(i) * record_bytes;
      if (!Wrote(data_.ReadExactly(at, record))) return false;
      const std::int64_t serial = LoadI32(record.data());
      highest = std::max(highest, serial < 0 ? -serial : serial);
      if (serial == 0) unnumbered.push_back(i);
      for (std::size_t f = 0; f < fields_.size(); ++f) {
        const FieldDescriptor& field = fields_[f];
        if (IsLongValueType(field.type) && field.offset + 4 <= record_size_)
          records_[static_cast<std::size_t>(i)].push_back(
              {f, LoadI32(record.data() + field.offset)});
      }
    }
    std::int64_t next = std::max<std::int64_t>(next_serial, highest + 1);
    if (next + static_cast<std::int64_t>(unnumbered.size()) >
        std::numeric_limits<std::int32_t>::max()) {
      Unmended("the serial numbers are used up");
      unnumbered.clear();
      next = std::max(next_serial, 1);
    }
    if (next != next_serial)
      Change("next serial " + to_string(next_serial) + " -> " + to_string(next) +
             " (beyond every serial in use)");
    for (std::int32_t i : unnumbered) {
      std::uint8_t serial[4];
      StoreI32(serial, static_cast<std::int32_t>(next));
      Change("record " + to_string(i + 1) + " had serial number 0 -> " + to_string(next));
      ++next;
      if (!Wrote(data_.WriteAt(data_start_ + static_cast<std::uint64_t>(i) * record_bytes, serial)))
        return false;
    }
    next_serial = static_cast<std::int32_t>(next);

    std::array<std::uint8_t, 12> counters{};
    StoreI32(counters.data(), count);
    StoreI32(counters.data() + 4, next_serial);
    StoreI32(counters.data() + 8, record_size_);
    if (!std::equal(counters.begin(), counters.end(), header_.begin() + kRecordCountOffset))
      return Wrote(data_.WriteAt(kRecordCountOffset, counters));
    return true;
  }

  // The chains in use are walked from the records; every block that none of
  // them holds goes on a new free list, and free blocks at the end of the
  // file are cut off.
  void RepairLongValues() {
    std::array<std::uint8_t, kLongHeaderSize> raw{};
    auto size = long_.Size();
    if (!size.ok()) return Refuse(error::kLongValueFileUnreadable);
    long_.ReadExactly(0, raw);
    const std::uint32_t version = LoadU32(header_.data() + kVersionOffset);
    if (!std::equal(raw.begin(), raw.begin() + 4, kLongValueMagic) ||
        LoadU32(raw.data() + 4) != version) {
      Change("long-value file: magic and version rewritten");
      std::copy(kLongValueMagic, kLongValueMagic + 4, raw.begin());
      StoreU32(raw.data() + 4, version);
      if (!Wrote(long_.WriteAt(0, std::span(raw).first(8)))) return;
    }
    const std::int32_t old_count = LoadI32(raw.data() + kBlockCountOffset);
    const std::int32_t old_free_count = LoadI32(raw.data() + kFreeCountOffset);
    const std::int32_t old_free_head = LoadI32(raw.data() + kFreeHeadOffset);
    const std::uint64_t whole_blocks = std::max<std::uint64_t>(size.value / kBlockSize, 1);
    if (whole_blocks > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
      return Unmended("the long-value file is larger than any block count");
    block_count_ = static_cast<std::int32_t>(whole_blocks);

    for (std::size_t i = 0; i < records_.size(); ++i)
      for (Reference& ref : records_[i])
        if (ref.block != 0) WalkChain(static_cast<std::int32_t>(i), ref);

    std::int32_t last_used = 0;
    for (const auto& [block, owner] : owners_) last_used = std::max(last_used, block);
    const std::int32_t kept = last_used + 1;
    if (kept != old_count)
      Change("long-value block count " + to_string(old_count) + " -> " + to_string(kept));
    if (static_cast<std::uint64_t>(kept) * kBlockSize != size.value &&
        !Wrote(long_.Truncate(static_cast<std::uint64_t>(kept) * kBlockSize)))
      return;

    std::vector<std::int32_t> free;
    for (std::int32_t b = 1; b < kept; ++b)
      if (owners_.count(b) == 0) free.push_back(b);
    bool rewritten = false;
    for (std::size_t j = 0; j < free.size(); ++j) {
      LongValueBlock want;
      want.prev = j == 0 ? 0 : free[j - 1];
      want.next = j + 1 < free.size() ? free[j + 1] : 0;
      LongValueBlock have;
      if (!ReadBlock(free[j], have) || have.prev != want.prev || have.next != want.next ||
          have.used != 0 || have.data != want.data) {
        if (!WriteBlock(free[j], want)) return;
        rewritten = true;
      }
    }
    const std::int32_t head = free.empty() ? 0 : free.front();
    const auto free_count = static_cast<std::int32_t>(free.size());
    if (rewritten || head != old_free_head || free_count != old_free_count)
      Change("long-value free list rebuilt: " + to_string(free_count) + " blocks (was " +
             to_string(old_free_count) + ")");
    std::uint8_t counts[12];
    StoreI32(counts, kept);
    StoreI32(counts + 4, free_count);
    StoreI32(counts + 8, head);
    Wrote(long_.WriteAt(kBlockCountOffset, counts));
  }

  struct Reference {
    std::size_t field;
    std::int32_t block;
  };

  bool ReadBlock(std::int32_t number, LongValueBlock& out) {
    std::array<std::uint8_t, kBlockSize> raw{};
    if (long_.ReadExactly(static_cast<std::uint64_t>(number) * kBlockSize, raw) !=
        platform::FileError::kNone)
      return false;
    out.prev = LoadI32(raw.data());
    out.next = LoadI32(raw.data() + 4);
    out.used = LoadI32(raw.data() + 8);
    std::copy(raw.begin() + kBlockLinksSize, raw.end(), out.data.begin());
    return true;
  }

  bool WriteBlock(std::int32_t number, const LongValueBlock& block) {
    std::array<std::uint8_t, kBlockSize> raw{};
    StoreI32(raw.data(), block.prev);
    StoreI32(raw.data() + 4, block.next);
    StoreI32(raw.data() + 8, block.used);
    std::copy(block.data.begin(), block.data.end(), raw.begin() + kBlockLinksSize);
    return Wrote(long_.WriteAt(static_cast<std::uint64_t>(number) * kBlockSize, raw));
  }

  bool WriteReference(std::int32_t record, const Reference& ref, std::int32_t value) {
    std::uint8_t bytes[4];
    StoreI32(bytes, value);
    const std::uint64_t at =
        data_start_ +
        static_cast<std::uint64_t>(record) * static_cast<std::uint64_t>(record_size_) +
        static_cast<std::uint64_t>(fields_[ref.field].offset);
    return Wrote(data_.WriteAt(at, bytes));
  }

  // Keeps the sound stretch of a chain: a block outside the file, already
  // taken, or not holding 1-500 bytes ends it there.
  void WalkChain(std::int32_t record, Reference& ref) {
    const std::string owner =
        "record " + to_string(record + 1) + " field " + to_string(ref.field + 1);
    std::int32_t previous = 0;
    LongValueBlock previous_block;
    std::int32_t current = ref.block;
    std::int64_t kept_bytes = 0;
    while (current != 0) {
      LongValueBlock block;
      bool sound = current >= 1 && current < block_count_ && owners_.count(current) == 0 &&
                   ReadBlock(current, block) && block.used >= 1 &&
                   block.used <= static_cast<std::int32_t>(kBlockDataSize);
      if (!sound) {
        if (previous == 0) {
          Change(owner + ": its value's first block " + to_string(current) +
                 " is damaged; the value is emptied");
          WriteReference(record, ref, 0);
          ref.block = 0;
        } else {
          Change(owner + ": its value is cut after " + to_string(kept_bytes) +
                 " bytes, where its chain leads to the damaged block " + to_string(current));
          previous_block.next = 0;
          WriteBlock(previous, previous_block);
        }
        return;
      }
      owners_[current] = owner;
      if (block.prev != previous) {
        Change(owner + ": block " + to_string(current) + " points back to " + to_string(previous));
        block.prev = previous;
        if (!WriteBlock(current, block)) return;
      }
      if (block.next != 0 && block.used != static_cast<std::int32_t>(kBlockDataSize))
        Unmended(owner + ": block " + to_string(current) +
                 " is not full but is not the last of its chain");
      kept_bytes += block.used;
      previous = current;
      previous_block = block;
      current = block.next;
    }
  }

  RepairResult& result_;
  CipherFile data_;
  CipherFile long_;
  std::array<std::uint8_t, kHeaderSize> header_{};
  std::vector<FieldDescriptor> fields_;
  std::uint64_t size_ = 0;
  std::uint64_t data_start_ = 0;
  std::int32_t record_size_ = 0;
  std::int32_t block_count_ = 0;
  std::vector<std::vector<Reference>> records_;
  std::map<std::int32_t, std::string> owners_;
};

}  // namespace

RepairResult RepairDatabase(const std::string& gbk_path, const std::optional<std::string>& password,
                            const BeforeRepair& before) {
  RepairResult result;
  Repairer(result).Run(gbk_path, password, before);
  return result;
}

}  // namespace store
