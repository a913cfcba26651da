#include "store/database.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/gbk.h"
#include "platform/services.h"
#include "runtime/date_time.h"
#include "runtime/error_report.h"
#include "store/field_codec.h"
#include "store/moved_records.h"

namespace store {
namespace {

using platform::operator""_gbk;
using runtime::Value;

// Records moved per read by purges and condition deletes, and the most a
// scan reads at once.
constexpr std::int32_t kBatchBytes = 163840;
// A scan's first batch: a search that finds the record it starts on, as a
// repeated search does, reads little more than that record; later batches
// double up to kBatchBytes.
constexpr std::int32_t kFirstScanBatch = 8;
// The room a view of the records leaves for the file to grow into.
constexpr std::uint64_t kViewRoom = std::uint64_t{1} << 20;
// Files longer than this are made ready for their first walk from the
// moment they are opened; smaller ones are walked quickly enough as they
// are.
constexpr std::uint64_t kWarmBytes = std::uint64_t{8} << 20;
// The piece made ready at a time: a chunk of the keystream cache file.
constexpr std::uint64_t kWarmStep = std::uint64_t{1} << 20;
// How many records ahead of the one being read a ScanAsCurrent fetches its
// fields into the processor's cache, with their page keystreams or, where a
// field's keystreams lie side by side, alone: then fewer fetches are under
// way per record, and more records' can be.
constexpr std::size_t kReadAheadRecords = 4;
constexpr std::size_t kReadAheadFieldOnly = 8;
// How long reading the record count waits for another process's header lock.
constexpr std::uint32_t kNoWait = 0;
constexpr int kPasswordAttempts = 3;

template <typename F>
struct ScopeExit {
  F run;
  ~ScopeExit() { run(); }
};
template <typename F>
ScopeExit(F) -> ScopeExit<F>;

// Reads exactly `out.size()` bytes; a short read gives `short_error`.
ErrorNumber ReadExactly(CipherFile& file, std::uint64_t offset, std::span<std::uint8_t> out,
                        ErrorNumber short_error) {
  platform::FileError read = file.ReadExactly(offset, out);
  if (read == platform::FileError::kEndOfFile) return short_error;
  return FileErrorNumber(read);
}

// Every long-value reference the records hold, the deleted ones' included:
// their values are released only by the purge that drops them. Only the
// bytes from the first reference to the last are read of each record.
ErrorNumber LongValueReferences(CipherFile& file, const RecordArea& area, std::int32_t count,
                                const std::vector<FieldDescriptor>& fields,
                                std::vector<std::int32_t>& out) {
  std::vector<std::int32_t> offsets;
  for (const FieldDescriptor& f : fields)
    if (IsLongValueType(f.type) && f.offset >= 0 && std::int64_t{f.offset} + 4 <= area.record_size)
      offsets.push_back(f.offset);
  if (offsets.empty()) return error::kOk;
  const std::int32_t from = *std::min_element(offsets.begin(), offsets.end());
  const auto span =
      static_cast<std::size_t>(*std::max_element(offsets.begin(), offsets.end()) + 4 - from);
  const auto size = static_cast<std::size_t>(area.record_size);
  // Small records are read in batches, large ones piece by piece.
  const std::int32_t batch = size <= 4096 ? std::max(1, 163840 / area.record_size) : 1;
  std::vector<std::uint8_t> buffer;
  for (std::int32_t first = 0; first < count; first += batch) {
    const std::int32_t n = std::min(batch, count - first);
    const bool whole = batch > 1;
    buffer.resize(whole ? static_cast<std::size_t>(n) * size : span);
    ErrorNumber read =
        ReadExactly(file, area.Offset(first) + (whole ? 0 : from), buffer, error::kFileSize);
    if (read != error::kOk) return read;
    for (std::int32_t j = 0; j < n; ++j) {
      const std::uint8_t* at =
          buffer.data() + (whole ? static_cast<std::size_t>(j) * size + from : 0);
      for (std::int32_t offset : offsets) {
        std::int32_t reference = LoadI32(at + (offset - from));
        if (reference != 0) out.push_back(reference);
      }
    }
  }
  return error::kOk;
}

ErrorNumber Write(CipherFile& file, std::uint64_t offset, std::span<const std::uint8_t> data) {
  return FileErrorNumber(file.WriteAt(offset, data));
}

bool DigestMatches(const std::array<std::uint8_t, kHeaderSize>& header, std::string_view password) {
  const char* stored = reinterpret_cast<const char*>(header.data() + kDigestOffset);
  std::size_t n = 0;
  while (n < kDigestFieldSize && stored[n] != 0) ++n;
  return platform::EqualIgnoreCase(std::string_view(stored, n), DigestText(password));
}

bool HasMagic(const std::array<std::uint8_t, kHeaderSize>& header, const char (&magic)[4]) {
  return std::memcmp(header.data(), magic, 4) == 0;
}

// The text of the password dialog for attempt `attempt` (0-based).
std::string PasswordPrompt(int attempt) {
  std::string prompt = "请输入数据库访问密码："_gbk;
  if (attempt > 0) {
    char line[128];
    std::snprintf(line, sizeof line, "密码错误，您还有 %d 次重新输入的机会。"_gbk.c_str(),
                  kPasswordAttempts - attempt);
    prompt += "\r\n";
    prompt += line;
  }
  return prompt;
}

// Whether the first touch of a page of `bytes` costs more than reading it
// would: timed on a few groups of pages at their end, the best group
// counted, so that a busy machine seldom misleads it. Where pages are cheap
// to touch, a group of 16 takes 1-2 microseconds (the system maps a group
// at one fault); where the host keeps the page tables in shadow, each page
// costs over 1 microsecond, where reading it would cost about 0.4.
bool FirstTouchesAreDear(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kPage = 4096, kGroupPages = 16, kGroups = 4;
  constexpr std::size_t kGroupBytes = kPage * kGroupPages;
  constexpr auto kDearGroup = std::chrono::nanoseconds(kGroupPages * 500);
  if (bytes.size() < kGroups * kGroupBytes) return false;
  const std::size_t last = bytes.size() / kGroupBytes * kGroupBytes;
  auto best = std::chrono::steady_clock::duration::max();
  unsigned sum = 0;
  for (std::size_t g = 1; g <= kGroups; ++g) {
    const volatile std::uint8_t* group = bytes.data() + (last - g * kGroupBytes);
    const auto started = std::chrono::steady_clock::now();
    for (std::size_t p = 0; p < kGroupPages; ++p) sum += group[p * kPage];
    best = std::min(best, std::chrono::steady_clock::now() - started);
  }
  static_cast<void>(sum);
  return best > kDearGroup;
}

}  // namespace

platform::FileSharing SharingMode(std::optional<std::int32_t> mode) {
  if (!mode || *mode == 1) return platform::FileSharing::kShareAll;
  if (*mode == 2) return platform::FileSharing::kDenyRead;
  if (*mode == 3) return platform::FileSharing::kDenyWrite;
  return platform::FileSharing::kExclusive;
}

void RequireCondition(const Value& condition) {
  if (condition.type() != runtime::type::kBool &&
      condition.type() != runtime::type::kDeferredCondition)
    runtime::ReportRuntimeError("用作进行条件判断的子语句参数只能接受逻辑型数据"_gbk, 0);
}

bool ConditionHolds(const Value& condition) {
  Value result = condition.Evaluate();
  if (result.type() != runtime::type::kBool)
    runtime::ReportRuntimeError("用作进行条件判断的子语句参数只能接受逻辑型数据"_gbk, 0);
  return result.AsBool();
}

Database::~Database() = default;

ErrorNumber Database::Open(const OpenRequest& request, const DatabaseEnvironment& environment,
                           std::unique_ptr<Database>& out) {
  const platform::FileSharing sharing = SharingMode(request.sharing);
  const platform::FileAccess access =
      request.read_only ? platform::FileAccess::kReadOnly : platform::FileAccess::kReadWrite;
  const std::string path =
      platform::FindIgnoringCase(request.full_path).value_or(request.full_path);
  platform::OpenedFile opened = (*environment.opener)(path, access, sharing);
  if (!opened.file) return FileErrorNumber(opened.error);

  std::unique_ptr<Database> db(new Database());
  db->file_ = CipherFile(std::move(opened.file), nullptr);
  db->waiting_ = environment.waiting;
  db->read_only_ = request.read_only;
  const bool others_may_read =
      sharing == platform::FileSharing::kShareAll || sharing == platform::FileSharing::kDenyWrite;
  // Nobody else may change the file while it is checked.
  if (others_may_read) {
    ErrorNumber locked =
        LockRange(db->file_, 0, kWholeFileLockLength, LockWait{environment.waiting, kNoWait});
    if (locked != error::kOk) return locked;
  }

  // The password, then the header.
  CipherFile& file = db->file_;
  std::array<std::uint8_t, kHeaderSize> header{};
  ErrorNumber result = ReadExactly(file, 0, header, error::kNotDatabaseFile);
  if (result != error::kOk) return result;
  if (HasMagic(header, kProtectedMagic)) {
    bool accepted = false;
    if (request.password == "?") {
      for (int attempt = 0; attempt < kPasswordAttempts && !accepted; ++attempt) {
        std::optional<std::string> typed =
            platform::Current().dialogs->AskPassword(PasswordPrompt(attempt), "密码输入"_gbk);
        if (!typed) break;
        if (typed->empty()) continue;
        file.SetCipher(environment.ciphers->For(*typed));
        result = ReadExactly(file, 0, header, error::kNotDatabaseFile);
        if (result != error::kOk) return result;
        accepted = DigestMatches(header, *typed);
      }
    } else if (request.password && !request.password->empty()) {
      file.SetCipher(environment.ciphers->For(*request.password));
      result = ReadExactly(file, 0, header, error::kNotDatabaseFile);
      if (result != error::kOk) return result;
      accepted = DigestMatches(header, *request.password);
    }
    if (!accepted) return error::kPassword;
  } else if (HasMagic(header, kPlainMagic)) {
    if (request.password && !request.password->empty() && *request.password != "?")
      return error::kPassword;
  } else {
    return error::kNotDatabaseFile;
  }

  const std::int32_t record_count = LoadI32(header.data() + kRecordCountOffset);
  const std::int32_t next_serial = LoadI32(header.data() + kNextSerialOffset);
  const std::int32_t record_size = LoadI32(header.data() + kRecordSizeOffset);
  const std::uint32_t version = LoadU32(header.data() + kVersionOffset);
  if (record_size <= 0 || record_count < 0 || next_serial <= 0) return error::kNotDatabaseFile;
  if (version > kFormatVersion) return error::kVersionTooHigh;

  std::uint8_t count_bytes[4];
  result = ReadExactly(file, kFieldCountOffset, count_bytes, error::kNotDatabaseFile);
  if (result != error::kOk) return result;
  const std::int32_t field_count = LoadI32(count_bytes);
  if (field_count <= 0) return error::kNotDatabaseFile;
  auto size = file.Size();
  if (!size.ok()) return FileErrorNumber(size.error);
  const bool cached_keystreams = file.cipher() && file.cipher()->NoteFileSize(size.value);
  const std::uint64_t data_start = DataStart(field_count);
  // The descriptors must be there before they are read into memory.
  if (size.value < data_start) return error::kNotDatabaseFile;
  std::vector<std::uint8_t> descriptors(data_start - kDescriptorsOffset);
  result = ReadExactly(file, kDescriptorsOffset, descriptors, error::kNotDatabaseFile);
  if (result != error::kOk) return result;
  // Every descriptor is checked before anything is written to the file:
  // a file that is refused is left exactly as it was.
  std::vector<FieldDescriptor> fields(static_cast<std::size_t>(field_count));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::span<const std::uint8_t, kDescriptorSize> bytes(descriptors.data() + i * kDescriptorSize,
                                                         kDescriptorSize);
    if (!ParseDescriptor(bytes, fields[i])) return error::kNotDatabaseFile;
  }

  if (!RecordSizeFitsFields(record_size, fields)) return error::kNotDatabaseFile;

  // The record count against the file's size. Records that are not wholly
  // there do not count (the file was cut short), and a trailing record that
  // a killed append left beyond the count is cut off. More than one record
  // beyond the count is no crash's leftover but a damaged count: cutting it
  // would throw those records away, so the file is refused and left for
  // "ldgtool repair".
  const auto record_bytes = static_cast<std::uint64_t>(record_size);
  const std::uint64_t whole = (size.value - data_start) / record_bytes;
  std::int32_t count = record_count;
  if (whole < static_cast<std::uint64_t>(record_count)) {
    if (request.read_only) return error::kFileSize;
    count = static_cast<std::int32_t>(whole);
  }
  const std::uint64_t counted_end = data_start + static_cast<std::uint64_t>(count) * record_bytes;
  if (!request.read_only && size.value - counted_end > record_bytes) return error::kNotDatabaseFile;
  // A purge cut short while moving records left its mark as the trailing
  // record, and copies of what it moved.
  const RecordArea area{data_start, record_size};
  bool purge_cut_short = false;
  if (!request.read_only && size.value - counted_end == record_bytes) {
    std::vector<std::uint8_t> trailer(static_cast<std::size_t>(record_size));
    result = ReadExactly(file, counted_end, trailer, error::kNotDatabaseFile);
    if (result != error::kOk) return result;
    purge_cut_short = IsPurgeMark(trailer, area);
  }

  // Every check, the long-value file's included, comes before the first
  // write: a refused file is left exactly as it was.
  // In the modes that keep every other process from reading, nothing is
  // ever locked.
  const bool locking = others_may_read;
  if (std::any_of(fields.begin(), fields.end(),
                  [](const FieldDescriptor& f) { return IsLongValueType(f.type); })) {
    LongValueOpenOptions options;
    options.access = access;
    options.sharing = sharing;
    options.cipher = file.cipher();
    options.data_file_version = version;
    options.opener = environment.opener;
    options.locking = locking;
    options.waiting = environment.waiting;
    result = LongValueFile::Open(LongValueFileName(path), options, db->long_values_);
    if (result != error::kOk) return result;
  }

  if (count != record_count) {
    StoreI32(header.data() + kRecordCountOffset, count);
    result = Write(file, kRecordCountOffset, std::span(header).subspan(kRecordCountOffset, 4));
    if (result != error::kOk) return result;
  }
  // An append writes the count and the next serial number in one write; a
  // part of it that reached the disk alone counted the record and left its
  // serial as the next one. Appends step over it, but until then the file
  // holds a record it could not have written.
  if (!request.read_only && count > 0 && next_serial < std::numeric_limits<std::int32_t>::max()) {
    std::uint8_t last[4];
    result = ReadExactly(file, area.Offset(count - 1), last, error::kNotDatabaseFile);
    if (result != error::kOk) return result;
    const std::int32_t serial = LoadI32(last);
    if (serial == next_serial || serial == -next_serial ||
        SerialOfTornDeleteMark(serial, next_serial - 1, std::int64_t{next_serial} + 1)) {
      StoreI32(header.data() + kNextSerialOffset, next_serial + 1);
      result = Write(file, kNextSerialOffset, std::span(header).subspan(kNextSerialOffset, 4));
      if (result != error::kOk) return result;
    }
  }
  if (purge_cut_short) {
    result = DropEarlierCopies(file, area, count);
    if (result != error::kOk) return result;
  }
  if (!request.read_only && size.value != counted_end) {
    result = FileErrorNumber(file.Truncate(counted_end));
    if (result != error::kOk) return result;
  }
  if (db->long_values_ && !request.read_only) {
    result = db->long_values_->Settle();
    if (result != error::kOk) return result;
    result = db->long_values_->Reclaim([&](std::vector<std::int32_t>& references) {
      return LongValueReferences(file, area, count, fields, references);
    });
    if (result != error::kOk) return result;
  }

  const bool first_walk_reads = counted_end > kWarmBytes && db->ViewToWarm(counted_end);
  if (others_may_read) file.Unlock(0, kWholeFileLockLength);
  db->lock_depth_ = locking ? 0 : 1;
  db->full_path_ = request.full_path;
  db->base_name_ = BaseName(request.full_path);
  db->alias_ = request.alias;
  db->header_ = header;
  db->fields_ = std::move(fields);
  db->field_keystreams_.resize(db->fields_.size());
  db->record_size_ = record_size;
  db->data_start_ = data_start;
  db->cursor_ = 0;
  if (counted_end > kWarmBytes) db->WarmAhead(counted_end, cached_keystreams, first_walk_reads);
  out = std::move(db);
  return error::kOk;
}

std::optional<std::size_t> Database::FieldNamed(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (platform::EqualIgnoreCase(fields_[i].name, name)) return i;
  return std::nullopt;
}

bool Database::FitsInRecord(const FieldDescriptor& field) const {
  return field.offset >= 0 && std::int64_t{field.offset} + field.StoredWidth() <= record_size_;
}

// ---- Locks ----

ErrorNumber Database::LockHeader(std::uint32_t wait_ms) {
  if (lock_depth_ > 0) return error::kOk;
  return locks_.Lock(file_, kRecordCountOffset, LockWait{waiting_, wait_ms});
}

ErrorNumber Database::UnlockHeader() {
  if (lock_depth_ > 0) return error::kOk;
  return locks_.Unlock(file_, kRecordCountOffset);
}

ErrorNumber Database::LockRecord(std::int32_t index) {
  if (lock_depth_ > 0 || batch_.Covers(index)) return error::kOk;
  return locks_.Lock(file_, RecordOffset(index), LockWait{waiting_, kNoWait});
}

ErrorNumber Database::UnlockRecord(std::int32_t index) {
  if (lock_depth_ > 0 || batch_.Covers(index)) return error::kOk;
  return locks_.Unlock(file_, RecordOffset(index));
}

ErrorNumber Database::LockWhole() {
  if (lock_depth_ > 0) {
    ++lock_depth_;
    return error::kOk;
  }
  // Bytes this process already holds stay out of the ranges, so that
  // releasing the whole lock leaves them held.
  std::vector<ByteRange> ranges = WholeFileRangesExcept(locks_.HeldOffsets());
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    ErrorNumber locked =
        LockRange(file_, ranges[i].offset, ranges[i].length, LockWait{waiting_, kNoWait});
    if (locked != error::kOk) {
      for (std::size_t j = 0; j < i; ++j) file_.Unlock(ranges[j].offset, ranges[j].length);
      return locked;
    }
  }
  whole_ranges_ = std::move(ranges);
  lock_depth_ = 1;
  return error::kOk;
}

ErrorNumber Database::UnlockWhole() {
  if (lock_depth_ == 0) return error::kUnlockFailed;
  if (--lock_depth_ > 0) return error::kOk;
  ErrorNumber result = error::kOk;
  for (const ByteRange& range : whole_ranges_)
    if (file_.Unlock(range.offset, range.length) != platform::FileError::kNone)
      result = error::kUnlockFailed;
  whole_ranges_.clear();
  return result;
}

// ---- Counting ----

ErrorNumber Database::ReadRecordCount(std::int32_t& count, std::uint32_t wait_ms,
                                      std::int32_t* next_serial) {
  count = 0;
  ErrorNumber result = LockHeader(wait_ms);
  if (result != error::kOk) return result;
  std::uint8_t bytes[8];
  result = ReadExactly(file_, kRecordCountOffset, bytes, error::kRecordCountFailed);
  ErrorNumber unlocked = UnlockHeader();
  if (result == error::kOk) result = unlocked;
  if (result != error::kOk) return result;
  count = std::max(0, LoadI32(bytes));
  if (next_serial != nullptr) *next_serial = LoadI32(bytes + 4);
  return error::kOk;
}

ErrorNumber Database::ReadCount4(std::int32_t& count) {
  std::uint8_t bytes[4];
  ErrorNumber result = ReadExactly(file_, kRecordCountOffset, bytes, error::kRecordCountFailed);
  count = result == error::kOk ? LoadI32(bytes) : 0;
  return result;
}

// ---- Fields ----

ErrorNumber Database::DecodeStored(const FieldDescriptor& field,
                                   std::span<const std::uint8_t> stored, Value& out) {
  if (!IsLongValueType(field.type)) {
    out = DecodeField(field, stored);
    return error::kOk;
  }
  if (!long_values_) return error::kReadFieldFailed;
  std::vector<std::uint8_t> bytes;
  ErrorNumber result = long_values_->Read(LoadI32(stored.data()), bytes);
  if (result != error::kOk) return result;
  out = LongValueOf(field.type, std::move(bytes));
  return error::kOk;
}

ErrorNumber Database::ReadField(std::size_t field, Value& out) {
  const FieldDescriptor& f = fields_[field];
  out = BlankValue(f.type);
  if (image_ != nullptr) {
    if (raw_batch_.Holds(image_)) {
      if (plain_image_ == image_)
        return FieldOfRecord(std::span(plain_record_.data(), plain_record_.size()), field, out);
      return FieldOfStoredImage(field, out);
    }
    return FieldOfRecord(std::span(image_, static_cast<std::size_t>(record_size_)), field, out);
  }
  if (cursor_ < 0) return error::kNoCurrentRecord;
  return ReadFieldOf(cursor_, field, out);
}

ErrorNumber Database::ReadFieldOf(std::int32_t index, std::size_t field, Value& out) {
  out = BlankValue(fields_[field].type);
  if (index < 0) return error::kNoCurrentRecord;
  ErrorNumber result = LockRecord(index);
  if (result != error::kOk) return result;
  // The record stays locked while its long value is read, so that nobody
  // rewrites the chain under the reader.
  result = ReadFieldLocked(index, field, out);
  ErrorNumber unlocked = UnlockRecord(index);
  if (result == error::kOk) result = unlocked;
  if (result != error::kOk) out = BlankValue(fields_[field].type);
  return result;
}

ErrorNumber Database::ReadSerial(std::int32_t index, std::int32_t& serial) {
  serial = 0;
  if (index < 0) return error::kNoCurrentRecord;
  ErrorNumber result = LockRecord(index);
  if (result != error::kOk) return result;
  std::uint8_t bytes[4];
  result = ReadExactly(file_, RecordOffset(index), bytes, error::kReadRecordFailed);
  if (result == error::kOk) serial = LoadI32(bytes);
  ErrorNumber unlocked = UnlockRecord(index);
  return result != error::kOk ? result : unlocked;
}

ErrorNumber Database::ReadFieldLocked(std::int32_t index, std::size_t field, Value& out) {
  const FieldDescriptor& f = fields_[field];
  if (!FitsInRecord(f)) return error::kReadFieldFailed;
  std::vector<std::uint8_t> stored(static_cast<std::size_t>(f.StoredWidth()));
  auto read = file_.ReadAt(RecordOffset(index) + static_cast<std::uint64_t>(f.offset), stored);
  if (!read.ok()) return FileErrorNumber(read.error);
  if (read.value == 0) return error::kBadSeek;
  if (read.value < stored.size()) return error::kReadFieldFailed;
  return DecodeStored(f, stored, out);
}

ErrorNumber Database::WriteField(std::size_t field, const Value& value) {
  plain_image_ = nullptr;  // what is written is read from the file again
  const FieldDescriptor& f = fields_[field];
  std::optional<Value> conformed = ConformValue(value, f.type);
  if (!conformed) return error::kTypeMismatch;
  if (cursor_ < 0) return error::kNoCurrentRecord;
  if (!FitsInRecord(f)) return error::kWriteFieldFailed;
  ErrorNumber result = settle_pending_ ? SettlePurge() : error::kOk;
  if (result != error::kOk) return result;
  const std::int32_t index = cursor_;
  result = LockRecord(index);
  if (result != error::kOk) return result;
  const std::uint64_t position = RecordOffset(index) + static_cast<std::uint64_t>(f.offset);
  const auto width = static_cast<std::size_t>(f.StoredWidth());
  auto size = file_.Size();
  if (!size.ok()) {
    result = FileErrorNumber(size.error);
  } else if (position + width > size.value) {
    result = error::kNoCurrentRecord;
  } else if (IsLongValueType(f.type)) {
    std::uint8_t old_reference[4];
    result = ReadExactly(file_, position, old_reference, error::kWriteFieldFailed);
    if (result == error::kOk && !long_values_) result = error::kWriteFieldFailed;
    if (result == error::kOk) {
      result = long_values_->Store(LongValueBytes(*conformed), LoadI32(old_reference),
                                   [&](std::int32_t reference) {
                                     std::uint8_t bytes[4];
                                     StoreI32(bytes, reference);
                                     return Write(file_, position, bytes);
                                   });
    }
  } else {
    std::vector<std::uint8_t> bytes(width);
    EncodeField(f, *conformed, bytes);
    result = Write(file_, position, bytes);
  }
  if (result == error::kOk) RefreshReadBatch(position, width);
  ErrorNumber unlocked = UnlockRecord(index);
  return result != error::kOk ? result : unlocked;
}

// ---- Records ----

ErrorNumber Database::AppendRecord(runtime::Args values) {
  plain_image_ = nullptr;  // what is written is read from the file again
  const std::size_t given = std::min(values.size(), fields_.size());
  std::vector<std::optional<Value>> conformed(given);
  for (std::size_t i = 0; i < given; ++i) {
    if (values[i].IsNone()) continue;
    conformed[i] = ConformValue(values[i], fields_[i].type);
    if (!conformed[i]) return error::kTypeMismatch;
  }
  for (std::size_t i = 0; i < given; ++i)
    if (conformed[i] && !FitsInRecord(fields_[i])) return error::kWriteFieldFailed;
  // A new record would go where a purge cut short left its mark.
  ErrorNumber result = SettleIfMarked();
  if (result != error::kOk) return result;

  result = LockHeader(kNoWait);
  if (result != error::kOk) return result;
  std::uint8_t counters[8];
  result = ReadExactly(file_, kRecordCountOffset, counters, error::kRecordCountFailed);
  if (result != error::kOk) {
    UnlockHeader();
    return result;
  }
  const std::int32_t count = std::max(0, LoadI32(counters));
  std::int32_t serial = std::max(1, LoadI32(counters + 4));
  // Serial numbers are never reused, which is how the copies a cut-short
  // purge leaves are told apart: a count written without its next serial
  // (a torn header write) must not hand the last record's serial out again.
  std::uint8_t last[4];
  if (count > 0 &&
      ReadExactly(file_, RecordOffset(count - 1), last, error::kReadRecordFailed) == error::kOk) {
    const std::int64_t after_last = std::abs(std::int64_t{LoadI32(last)}) + 1;
    serial = static_cast<std::int32_t>(std::min<std::int64_t>(
        std::max<std::int64_t>(serial, after_last), std::numeric_limits<std::int32_t>::max()));
  }
  // Neither counter may wrap round: a negative serial would make the file
  // unreadable.
  if (count == std::numeric_limits<std::int32_t>::max() ||
      serial == std::numeric_limits<std::int32_t>::max()) {
    UnlockHeader();
    return error::kWriteRecordFailed;
  }
  result = LockRecord(count);
  if (result != error::kOk) {
    UnlockHeader();
    return result;
  }

  std::vector<std::uint8_t> record(static_cast<std::size_t>(record_size_), 0);
  std::vector<std::int32_t> new_chains;
  for (std::size_t i = 0; i < given && result == error::kOk; ++i) {
    if (!conformed[i]) continue;
    const FieldDescriptor& f = fields_[i];
    std::uint8_t* at = record.data() + f.offset;
    if (!IsLongValueType(f.type)) {
      EncodeField(f, *conformed[i], std::span(at, static_cast<std::size_t>(f.StoredWidth())));
      continue;
    }
    if (!long_values_) {
      result = error::kWriteFieldFailed;
      break;
    }
    result = long_values_->Store(LongValueBytes(*conformed[i]), 0, [&](std::int32_t reference) {
      StoreI32(at, reference);
      if (reference != 0) new_chains.push_back(reference);
      return error::kOk;
    });
  }
  StoreI32(record.data(), serial);
  if (result == error::kOk) result = Write(file_, RecordOffset(count), record);
  if (result != error::kOk) {
    // The record was not written: its long values belong to nobody.
    for (std::int32_t chain : new_chains) long_values_->Release(chain);
  } else {
    // The count follows the record, so a record is only ever counted once
    // it is wholly there.
    StoreI32(counters, count + 1);
    StoreI32(counters + 4, serial + 1);
    result = Write(file_, kRecordCountOffset, counters);
    if (result == error::kOk) cursor_ = count;
  }
  ErrorNumber unlocked = UnlockRecord(count);
  ErrorNumber header_unlocked = UnlockHeader();
  if (result == error::kOk) result = unlocked;
  if (result == error::kOk) result = header_unlocked;
  return result;
}

ErrorNumber Database::DeleteCurrent() {
  plain_image_ = nullptr;  // what is written is read from the file again
  if (cursor_ < 0) return error::kNoCurrentRecord;
  ErrorNumber result = settle_pending_ ? SettlePurge() : error::kOk;
  if (result != error::kOk) return result;
  const std::int32_t index = cursor_;
  result = LockRecord(index);
  if (result != error::kOk) return result;
  std::uint8_t serial[4];
  result = ReadExactly(file_, RecordOffset(index), serial, error::kNoCurrentRecord);
  if (result == error::kOk && LoadI32(serial) > 0) {
    StoreI32(serial, -LoadI32(serial));
    result = Write(file_, RecordOffset(index), serial);
  }
  ErrorNumber unlocked = UnlockRecord(index);
  return result != error::kOk ? result : unlocked;
}

ErrorNumber Database::FindRecord(const Value& condition, bool& found) {
  found = false;
  // What is no condition at all is an error whether or not a record is
  // there to test it on.
  RequireCondition(condition);
  const std::int32_t remembered = cursor_;
  const std::uint8_t* outer_image = image_;
  std::int32_t hit = -1;
  ErrorNumber result = error::kOk;
  {
    ScopeExit restore{[&] {
      SetImage(outer_image);
      cursor_ = remembered;
    }};
    // The condition may take any time, so only the record under test is
    // locked while it runs.
    result = ScanRecords(std::max(0, cursor_), ScanLocks::kOneRecord,
                         [&](std::int32_t index, std::span<const std::uint8_t> record) {
                           cursor_ = index;
                           SetImage(record.data());
                           if (!ConditionHolds(condition)) return true;
                           hit = index;
                           return false;
                         });
  }
  if (result != error::kOk) return result;
  if (hit >= 0) {
    cursor_ = hit;
    found = true;
  }
  return error::kOk;
}

ErrorNumber Database::ScanRecords(std::int32_t start, ScanLocks locks, const RecordVisitor& visit) {
  return Scan(start, locks, false, visit);
}

ErrorNumber Database::Scan(std::int32_t start, ScanLocks locks, bool stored,
                           const RecordVisitor& visit) {
  ErrorNumber result = LockHeader(kNoWait);
  if (result != error::kOk) return result;
  std::int32_t count = 0;
  result = ReadCount4(count);
  start = std::max(0, start);
  const std::int32_t most = std::max(1, kBatchBytes / record_size_);
  std::int32_t batch = std::min(most, kFirstScanBatch);
  std::vector<std::uint8_t> buffer;
  const auto size = static_cast<std::size_t>(record_size_);
  bool stopped = false;
  // Without record locks (a sharing mode that keeps others out, or inside
  // the whole-database lock) nobody else can write, and batches are safe
  // for any visit.
  if (result == error::kOk && locks == ScanLocks::kOneRecord && lock_depth_ == 0 && start < count) {
    result = WalkOneByOne(start, count - start, visit, stopped);
    stopped = true;
  }
  // ScanAsCurrent's batches are looked at where they lie in a view of the
  // file rather than copied, whenever the file can be viewed and is ready:
  // while the file's thread is still at work, the view's pages are mostly
  // not yet in this process's page tables, and where first touches are
  // dear, reading a batch costs far less than touching each of its pages.
  const bool view_ready = !warming_.load(std::memory_order_acquire);
  const std::uint64_t viewable =
      stored && view_ready && result == error::kOk && start < count ? ViewableEnd(count) : 0;
  const bool in_view = viewable > 0;
  const std::uint64_t cuts_before = file_.cuts();
  if (in_view) ++viewing_scans_;
  ScopeExit done_viewing{[&] {
    if (in_view) --viewing_scans_;
  }};
  for (std::int32_t first = start; result == error::kOk && !stopped && first < count;
       batch = std::min(most, batch * 2)) {
    const std::int32_t n = std::min(batch, count - first);
    const std::int32_t at = first;
    first += n;
    // After a cut of this opener's during a visit, the size the view was
    // bounded by no longer holds.
    const std::span<const std::uint8_t> records =
        TakeBatch(at, n, buffer, stored, file_.cuts() == cuts_before ? viewable : 0);
    if (records.empty()) {
      result = WalkOneByOne(at, n, visit, stopped);
      continue;
    }
    const LockedBatch outer = batch_;
    const StoredBatch outer_stored = raw_batch_;
    {
      ScopeExit restore{[&] {
        batch_ = outer;
        raw_batch_ = outer_stored;
      }};
      batch_ = {at, at + n};
      if (stored)
        raw_batch_ = {records.data(),   records.size(),
                      RecordOffset(at), records.data() != buffer.data(),
                      file_.cuts(),     records.data() == buffer.data() ? buffer.data() : nullptr};
      for (std::int32_t j = 0; j < n && !stopped; ++j) {
        if (CutOffInView(RecordOffset(at + j + 1))) {
          result = error::kReadRecordFailed;
          break;
        }
        stopped = !visit(at + j, records.subspan(static_cast<std::size_t>(j) * size, size));
      }
    }
    const ErrorNumber released = ReleaseBatch(at, n);
    if (result == error::kOk) result = released;
  }
  ErrorNumber unlocked = UnlockHeader();
  return result != error::kOk ? result : unlocked;
}

ErrorNumber Database::ScanAsCurrent(const std::function<bool(std::int32_t index)>& visit) {
  const std::int32_t remembered = cursor_;
  const std::uint8_t* outer_image = image_;
  ScopeExit restore{[&] {
    SetImage(outer_image);
    cursor_ = remembered;
  }};
  return Scan(0, ScanLocks::kBatch, true,
              [&](std::int32_t index, std::span<const std::uint8_t> record) {
                cursor_ = index;
                SetImage(record.data());
                return visit(index);
              });
}

std::uint64_t Database::ViewableEnd(std::int32_t count) {
  // Read under the header lock: from now on no other desk can cut the file
  // (that takes the whole-file lock), and this opener's own cuts are
  // counted, so the size stays a safe bound for the whole walk.
  const auto size = file_.Size();
  if (!size.ok()) return 0;
  const std::uint64_t end = std::min(size.value, RecordOffset(count));
  if (!view_ || view_->bytes().size() < end) {
    // A view that an outer scan is looking at stays as it is.
    if (viewing_scans_ > 0) return 0;
    view_.reset();
    // Room to grow, so that a file growing by a few records between scans
    // is seldom viewed anew. Only address space: nothing is read until
    // touched.
    view_ = file_.MapStored(end + end / 8 + kViewRoom);
    if (!view_) return 0;
  }
  return end;
}

bool Database::ViewToWarm(std::uint64_t end) {
  view_ = file_.MapStored(end + end / 8 + kViewRoom);
  return !view_ || FirstTouchesAreDear(view_->bytes().first(end));
}

void Database::WarmAhead(std::uint64_t end, bool keystreams, bool reads) {
  std::shared_ptr<PageCipher> cipher = keystreams ? file_.cipher() : nullptr;
  if (!view_ && !cipher) return;
  if (cipher) cipher->ReadUnreadyChunks(reads);
  try {
    // The thread keeps what it uses: a view made anew meanwhile leaves the
    // old one mapped until the thread lets it go.
    warming_.store(reads, std::memory_order_release);
    warmer_ = std::jthread([this, view = view_, cipher, end, reads](std::stop_token stop) {
      ScopeExit done{[this] { warming_.store(false, std::memory_order_release); }};
      bool populate = view != nullptr;
      std::uint64_t to = end;
      while (to > 0 && !stop.stop_requested()) {
        const std::uint64_t from = (to - 1) / kWarmStep * kWarmStep;
        if (walked_to_.load(std::memory_order_relaxed) > from) break;
        // Where the system cannot, or the file has been cut short since,
        // the walk faults the pages in itself.
        if (populate && !view->Populate(from, to - from)) populate = false;
        if (cipher) cipher->VerifyAhead(from, to - from);
        if (!populate && !cipher) return;
        to = from;
      }
      // Below where they met, the walk read its records and keystreams
      // instead of looking at them in place: their pages are made ready
      // now, for the walks to come.
      if (!reads) return;
      for (std::uint64_t at = 0; at < to && !stop.stop_requested(); at += kWarmStep) {
        const std::uint64_t n = std::min(kWarmStep, to - at);
        if (populate && !view->Populate(at, n)) populate = false;
        if (cipher) cipher->TouchAhead(at, n);
      }
    });
  } catch (const std::system_error&) {
    warming_.store(false, std::memory_order_release);
    // No thread to be had: the first walk makes everything ready itself.
  }
}

bool Database::CutOffInView(std::uint64_t end) {
  if (!raw_batch_.in_view || file_.cuts() == raw_batch_.cuts) return false;
  const auto size = file_.Size();
  return !size.ok() || size.value < end;
}

std::span<const std::uint8_t> Database::TakeBatch(std::int32_t first, std::int32_t n,
                                                  std::vector<std::uint8_t>& buffer, bool stored,
                                                  std::uint64_t viewable) {
  const std::uint64_t from = RecordOffset(first);
  const std::uint64_t to = RecordOffset(first + n - 1) + 1;
  if (lock_depth_ == 0) {
    // A byte this process already holds must stay held after the batch is
    // released; such a batch goes record by record through the registry.
    if (locks_.HoldsAnyIn(from, to)) return {};
    if (LockRange(file_, from, to - from, LockWait{waiting_, kNoWait}) != error::kOk) return {};
  }
  const std::uint64_t end = RecordOffset(first + n);
  // Only records the file held whole when the walk began are looked at in
  // the view. The rest of a file shorter than its count is read instead,
  // and fails as a read does.
  walked_to_.store(end, std::memory_order_relaxed);
  if (end <= viewable) return view_->bytes().subspan(from, end - from);
  buffer.resize(static_cast<std::size_t>(end - from));
  const platform::FileError read =
      stored ? file_.ReadStoredExactly(from, buffer) : file_.ReadExactly(from, buffer);
  if (read == platform::FileError::kNone) return buffer;
  ReleaseBatch(first, n);
  return {};
}

ErrorNumber Database::ReleaseBatch(std::int32_t first, std::int32_t n) {
  if (lock_depth_ > 0) return error::kOk;
  const std::uint64_t from = RecordOffset(first);
  platform::FileError result = file_.Unlock(from, RecordOffset(first + n - 1) + 1 - from);
  if (result == platform::FileError::kNone) return error::kOk;
  ErrorNumber number = LockErrorNumber(result);
  return number == error::kLockFailed ? error::kUnlockFailed : number;
}

ErrorNumber Database::WalkOneByOne(std::int32_t first, std::int32_t n, const RecordVisitor& visit,
                                   bool& stopped) {
  std::vector<std::uint8_t> record(static_cast<std::size_t>(record_size_));
  for (std::int32_t i = first; i < first + n; ++i) {
    ErrorNumber result = LockRecord(i);
    if (result != error::kOk) return result;
    result = ReadExactly(file_, RecordOffset(i), record, error::kReadRecordFailed);
    if (result == error::kOk) stopped = !visit(i, record);
    ErrorNumber unlocked = UnlockRecord(i);
    if (result == error::kOk) result = unlocked;
    if (result != error::kOk || stopped) return result;
  }
  return error::kOk;
}

ErrorNumber Database::FieldOfRecord(std::span<const std::uint8_t> record, std::size_t field,
                                    Value& out) {
  const FieldDescriptor& f = fields_[field];
  out = BlankValue(f.type);
  if (!FitsInRecord(f)) return error::kReadFieldFailed;
  ErrorNumber result = DecodeStored(
      f,
      record.subspan(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.StoredWidth())),
      out);
  if (result != error::kOk) out = BlankValue(f.type);
  return result;
}

std::optional<Database::StoredBytes> Database::StoredField(const FieldDescriptor& f,
                                                           std::size_t width, bool keystream_too) {
  const std::uint8_t* stored = image_ + f.offset;
  const auto in_batch = static_cast<std::size_t>(stored - raw_batch_.bytes);
  const std::uint64_t offset = raw_batch_.offset + in_batch;
  if (CutOffInView(offset + width)) return std::nullopt;
  // The walk waits mostly for bytes no processor cache holds. The same
  // field of a record a few ahead is likely read next: it and its keystream
  // are fetched meanwhile.
  const std::size_t ahead = (keystream_too ? kReadAheadRecords : kReadAheadFieldOnly) *
                            static_cast<std::size_t>(record_size_);
  if (in_batch + ahead + width <= raw_batch_.size) {
    __builtin_prefetch(stored + ahead);
    if (keystream_too) file_.PrefetchKeystream(offset + ahead);
  }
  return StoredBytes{stored, offset};
}

bool Database::DecipherStoredField(const FieldDescriptor& f, std::size_t most, bool to_first_nul) {
  if (!FitsInRecord(f)) return false;
  const std::size_t width = std::min(static_cast<std::size_t>(f.StoredWidth()), most);
  const std::optional<StoredBytes> at = StoredField(f, width);
  if (!at) return false;
  const std::uint8_t* stored = at->bytes;
  const std::uint64_t offset = at->offset;
  constexpr std::size_t kFirstStep = 32;
  if (!to_first_nul || width <= kFirstStep) {
    // Copied and deciphered in one pass; a text within the first step needs
    // no look for its end here (the reader looks for it).
    field_bytes_.resize(width);
    file_.DecipherInto(offset, {stored, width}, field_bytes_);
    return true;
  }
  field_bytes_.clear();
  for (std::size_t done = 0, step = kFirstStep; done < width; done += step, step *= 2) {
    const std::size_t n = std::min(step, width - done);
    field_bytes_.insert(field_bytes_.end(), stored + done, stored + done + n);
    const std::span<std::uint8_t> part(field_bytes_.data() + done, n);
    file_.Decipher(offset + done, part);
    if (std::memchr(part.data(), 0, n) != nullptr) break;
  }
  return true;
}

void Database::RefreshReadBatch(std::uint64_t position, std::size_t width) {
  if (raw_batch_.read_into == nullptr || position < raw_batch_.offset ||
      position + width > raw_batch_.offset + raw_batch_.size)
    return;
  const std::span<std::uint8_t> stored(
      raw_batch_.read_into + static_cast<std::size_t>(position - raw_batch_.offset), width);
  // A failed read leaves the batch as it was; the write itself stands.
  (void)file_.ReadStoredExactly(position, stored);
}

bool Database::DecipherCurrentRecord() {
  if (image_ == nullptr || !raw_batch_.Holds(image_)) return false;
  if (plain_image_ == image_) return true;
  const auto size = static_cast<std::size_t>(record_size_);
  const std::uint64_t offset =
      raw_batch_.offset + static_cast<std::size_t>(image_ - raw_batch_.bytes);
  if (CutOffInView(offset + size)) return false;
  // Sized once: records of a file are all of one size.
  plain_record_.resize(size);
  file_.DecipherInto(offset, {image_, size}, plain_record_);
  plain_image_ = image_;
  return true;
}

ErrorNumber Database::FieldOfStoredImage(std::size_t field, Value& out) {
  const FieldDescriptor& f = fields_[field];
  out = BlankValue(f.type);
  if (!DecipherStoredField(f)) return error::kReadFieldFailed;
  ErrorNumber result = DecodeStored(f, field_bytes_, out);
  if (result != error::kOk) out = BlankValue(f.type);
  return result;
}

std::optional<std::string_view> Database::TextOfCurrent(std::size_t field, std::size_t most) {
  const FieldDescriptor& f = fields_[field];
  if (f.type != FieldType::kText || image_ == nullptr) return std::nullopt;
  if (!raw_batch_.Holds(image_) || plain_image_ == image_) {
    const std::uint8_t* plain = raw_batch_.Holds(image_) ? plain_record_.data() : image_;
    std::optional<std::string_view> text =
        TextOfRecord(std::span(plain, static_cast<std::size_t>(record_size_)), field);
    if (text) text = text->substr(0, std::min(text->size(), most));
    return text;
  }
  if (!DecipherStoredField(f, most, true)) return std::nullopt;
  // Mostly a few bytes: a plain loop is quicker than a call.
  std::size_t length = 0;
  while (length < field_bytes_.size() && field_bytes_[length] != 0) ++length;
  return std::string_view(reinterpret_cast<const char*>(field_bytes_.data()), length);
}

std::optional<bool> Database::CurrentTextIs(std::size_t field, const std::string& wanted) {
  const FieldDescriptor& f = fields_[field];
  if (f.type != FieldType::kText || image_ == nullptr) return std::nullopt;
  // A text ends at its first 0 byte, so one that holds a 0 byte is left to
  // the reader, as is a record already plain in memory.
  if (!raw_batch_.Holds(image_) || plain_image_ == image_ ||
      wanted.find('\0') != std::string::npos) {
    const std::optional<std::string_view> text = TextOfCurrent(field, wanted.size() + 1);
    if (!text) return std::nullopt;
    return *text == wanted;
  }
  if (!FitsInRecord(f)) return std::nullopt;
  const auto width = static_cast<std::size_t>(f.StoredWidth());
  // The text and its ending 0 byte, unless it fills the field.
  const std::size_t compared = std::min(width, wanted.size() + 1);
  // In a walk, the field's keystreams side by side, when they are kept.
  FieldKeystreams* keystreams =
      compared <= FieldKeystreams::kBytes && batch_.end > 0 ? FieldKeystreamsOf(field) : nullptr;
  const std::optional<StoredBytes> at = StoredField(f, compared, keystreams == nullptr);
  if (!at) return std::nullopt;
  if (wanted.size() > width) return false;
  const auto* plain = reinterpret_cast<const std::uint8_t*>(wanted.c_str());
  if (keystreams != nullptr) {
    const std::uint64_t record = (at->offset - data_start_ - static_cast<std::uint64_t>(f.offset)) /
                                 static_cast<std::uint64_t>(record_size_);
    if (const std::uint8_t* key = keystreams->Of(record, static_cast<std::uint64_t>(batch_.end))) {
      for (std::size_t k = 0; k < compared; ++k)
        if ((at->bytes[k] ^ key[k]) != plain[k]) return false;
      return true;
    }
  }
  return file_.Deciphers(at->offset, {at->bytes, compared}, {plain, compared});
}

FieldKeystreams* Database::FieldKeystreamsOf(std::size_t field) {
  // Records closer together share their lines of the page keystreams.
  constexpr std::int32_t kLeastRecordSize = 256;
  if (record_size_ < kLeastRecordSize) return nullptr;
  FieldKeystreamsSlot& slot = field_keystreams_[field];
  if (!slot.tried) {
    slot.tried = true;
    const std::shared_ptr<PageCipher> cipher = file_.cipher();
    // Only beside the cache file of a big file's page keystreams.
    const std::string folder = cipher ? cipher->CacheFolderInUse() : std::string();
    if (!folder.empty())
      slot.keystreams =
          FieldKeystreams::Open(folder, cipher->digest_text(),
                                data_start_ + static_cast<std::uint64_t>(fields_[field].offset),
                                static_cast<std::uint64_t>(record_size_),
                                [cipher](std::uint64_t offset, std::span<std::uint8_t> out) {
                                  std::fill(out.begin(), out.end(), std::uint8_t{0});
                                  cipher->Apply(offset, out);
                                });
  }
  return slot.keystreams.get();
}

std::optional<double> Database::NumberOfCurrent(std::size_t field) {
  const FieldDescriptor& f = fields_[field];
  // Both types are stored in 8 bytes.
  if ((f.type != FieldType::kDouble && f.type != FieldType::kDateTime) || image_ == nullptr ||
      f.offset < 0 || std::int64_t{f.offset} + 8 > record_size_)
    return std::nullopt;
  const std::uint8_t* plain = image_ + f.offset;
  if (raw_batch_.Holds(image_)) {
    if (plain_image_ == image_) {
      plain = plain_record_.data() + f.offset;
    } else {
      if (!DecipherStoredField(f)) return std::nullopt;
      plain = field_bytes_.data();
    }
  }
  // As DecodeField reads the stored bytes (little-endian), date-times
  // clamped alike.
  std::uint64_t bits = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bits, plain, sizeof bits);
  } else {
    for (int i = 7; i >= 0; --i) bits = bits << 8 | plain[i];
  }
  double number = std::bit_cast<double>(bits);
  if (f.type == FieldType::kDateTime) {
    if (number > runtime::kLastDay) number = runtime::kLastDay;
    if (number < runtime::kFirstDay) number = runtime::kFirstDay;
  }
  return number;
}

std::optional<std::string_view> Database::TextOfRecord(std::span<const std::uint8_t> record,
                                                       std::size_t field) const {
  const FieldDescriptor& f = fields_[field];
  if (f.type != FieldType::kText || !FitsInRecord(f)) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(record.data()) + f.offset;
  const auto width = static_cast<std::size_t>(f.StoredWidth());
  const void* end = std::memchr(text, 0, width);
  return std::string_view(
      text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : width);
}

ErrorNumber Database::DeleteWhere(const Value& condition) {
  plain_image_ = nullptr;  // what is written is read from the file again
  RequireCondition(condition);
  const std::int32_t remembered = cursor_;
  ErrorNumber result = LockWhole();
  if (result != error::kOk) return result;
  if (settle_pending_) result = SettlePurge();
  std::int32_t count = 0;
  if (result == error::kOk) result = ReadCount4(count);
  const std::int32_t batch = std::max(1, kBatchBytes / record_size_);
  const auto size = static_cast<std::size_t>(record_size_);
  std::vector<std::uint8_t> buffer;
  const std::uint8_t* outer_image = image_;
  {
    ScopeExit restore{[&] {
      SetImage(outer_image);
      cursor_ = remembered;
    }};
    for (std::int32_t first = 0; result == error::kOk && first < count; first += batch) {
      const std::int32_t n = std::min(batch, count - first);
      buffer.resize(static_cast<std::size_t>(n) * size);
      result = ReadExactly(file_, RecordOffset(first), buffer, error::kReadRecordFailed);
      for (std::int32_t j = 0; result == error::kOk && j < n; ++j) {
        cursor_ = first + j;
        const std::uint8_t* bytes = buffer.data() + static_cast<std::size_t>(j) * size;
        SetImage(bytes);
        if (!ConditionHolds(condition)) continue;
        const std::int32_t serial = LoadI32(bytes);
        if (serial <= 0) continue;
        std::uint8_t mark[4];
        StoreI32(mark, -serial);
        result = Write(file_, RecordOffset(first + j), mark);
      }
    }
  }
  ErrorNumber unlocked = UnlockWhole();
  return result != error::kOk ? result : unlocked;
}

ErrorNumber Database::SettleIfMarked() {
  if (settle_pending_) return SettlePurge();
  std::int32_t count = 0;
  ErrorNumber result = ReadCount4(count);
  if (result != error::kOk) return error::kOk;  // the command itself reports it
  auto size = file_.Size();
  const std::uint64_t end = RecordOffset(std::max(0, count));
  if (!size.ok() || size.value < end + static_cast<std::uint64_t>(record_size_)) return error::kOk;
  std::uint8_t serial[4];
  if (ReadExactly(file_, end, serial, error::kReadRecordFailed) != error::kOk ||
      LoadI32(serial) != 0)
    return error::kOk;
  return SettlePurge();
}

ErrorNumber Database::SettlePurge() {
  ErrorNumber result = LockWhole();
  if (result != error::kOk) return result;
  std::int32_t count = 0;
  result = ReadCount4(count);
  count = std::max(0, count);
  auto size = file_.Size();
  if (result == error::kOk && !size.ok()) result = FileErrorNumber(size.error);
  if (result == error::kOk) {
    const RecordArea area{data_start_, record_size_};
    const auto record_bytes = static_cast<std::uint64_t>(record_size_);
    const std::uint64_t whole =
        size.value < data_start_ ? 0 : (size.value - data_start_) / record_bytes;
    if (whole < static_cast<std::uint64_t>(count)) {
      // The purge cut the file but could not lower the count.
      std::uint8_t lowered[4];
      StoreI32(lowered, static_cast<std::int32_t>(whole));
      result = Write(file_, kRecordCountOffset, lowered);
    } else if (size.value >= RecordOffset(count) + record_bytes) {
      std::vector<std::uint8_t> trailer(static_cast<std::size_t>(record_size_));
      result = ReadExactly(file_, RecordOffset(count), trailer, error::kReadRecordFailed);
      if (result == error::kOk && IsPurgeMark(trailer, area)) {
        result = DropEarlierCopies(file_, area, count);
        if (result == error::kOk) result = FileErrorNumber(file_.Truncate(RecordOffset(count)));
      }
    }
  }
  if (result == error::kOk) settle_pending_ = false;
  ErrorNumber unlocked = UnlockWhole();
  return result != error::kOk ? result : unlocked;
}

ErrorNumber Database::PurgeDeleted() {
  plain_image_ = nullptr;  // what is written is read from the file again
  ErrorNumber result = LockWhole();
  if (result != error::kOk) return result;
  ScopeExit to_first{[&] { cursor_ = 0; }};
  result = SettleIfMarked();
  std::int32_t count = 0;
  if (result == error::kOk) result = ReadCount4(count);
  count = std::max(0, count);
  const auto size = static_cast<std::size_t>(record_size_);
  if (result == error::kOk) {
    // A file that does not hold all its records is left untouched.
    auto file_size = file_.Size();
    if (!file_size.ok())
      result = FileErrorNumber(file_size.error);
    else if (file_size.value < RecordOffset(count))
      result = error::kReadRecordFailed;
  }
  if (result != error::kOk) {
    UnlockWhole();
    return result;
  }

  // Survivors move down in place, batch by batch. Until the walk is done
  // every record not yet walked is still where it was, and every survivor
  // walked is at its new place (and maybe at its old one too: the mark
  // written before the first move says so).
  const RecordArea area{data_start_, record_size_};
  const std::int32_t batch = std::max(1, kBatchBytes / record_size_);
  std::vector<std::uint8_t> buffer;
  std::vector<std::int32_t> serials(static_cast<std::size_t>(count));
  struct DroppedValue {
    std::int32_t index;
    std::int32_t reference;
  };
  std::vector<DroppedValue> dropped_values;
  std::vector<std::int32_t> placed;  // serials of the survivors placed so far
  std::int32_t kept = 0;             // how many
  std::int32_t walked = 0;           // records read so far
  bool marked = false;
  bool write_failed = false;
  for (std::int32_t first = 0; first < count; first += batch) {
    const std::int32_t n = std::min(batch, count - first);
    buffer.resize(static_cast<std::size_t>(n) * size);
    result = ReadExactly(file_, RecordOffset(first), buffer, error::kReadRecordFailed);
    if (result != error::kOk) break;
    std::int32_t survivors = 0;
    for (std::int32_t j = 0; j < n; ++j) {
      const std::uint8_t* bytes = buffer.data() + static_cast<std::size_t>(j) * size;
      const std::int32_t serial = LoadI32(bytes);
      serials[static_cast<std::size_t>(first + j)] = serial;
      if (serial < 0) {
        for (const FieldDescriptor& f : fields_)
          if (IsLongValueType(f.type) && FitsInRecord(f) && LoadI32(bytes + f.offset) != 0)
            dropped_values.push_back({first + j, LoadI32(bytes + f.offset)});
        continue;
      }
      placed.push_back(serial);
      if (survivors != j)
        std::copy(bytes, bytes + size,
                  buffer.begin() +
                      static_cast<std::ptrdiff_t>(survivors) * static_cast<std::ptrdiff_t>(size));
      ++survivors;
    }
    // Batches before the first dropped record are already in place.
    if (kept != first || survivors != n) {
      if (!marked) {
        marked = true;  // also when the write fails: part of it may be there
        result = WritePurgeMark(file_, area, count);
        write_failed = result != error::kOk;
        if (write_failed) break;
      }
      result = Write(file_, RecordOffset(kept),
                     std::span(buffer).first(static_cast<std::size_t>(survivors) * size));
      write_failed = result != error::kOk;
      if (write_failed) break;
    }
    kept += survivors;
    walked = first + n;
  }

  // A dropped record's long values are released only once nothing refers
  // to them: its place has been overwritten, or the purge is complete.
  auto release_values = [&](const std::function<bool(std::int32_t index)>& gone) {
    ErrorNumber outcome = error::kOk;
    if (!long_values_) return outcome;
    for (const DroppedValue& value : dropped_values) {
      if (!gone(value.index)) continue;
      ErrorNumber released = long_values_->Release(value.reference);
      if (outcome == error::kOk) outcome = released;
    }
    return outcome;
  };

  if (result != error::kOk) {
    // The count stays. The earlier copies of moved records become blank
    // deleted records, which the next purge removes, and the mark goes;
    // what cannot be done now is done before the next write, or by the
    // next open. After a failed read the records are known to be as
    // written; after a failed write they are read back.
    if (marked) {
      ErrorNumber settled;
      if (write_failed) {
        settled = DropEarlierCopies(file_, area, count);
      } else {
        std::vector<std::int32_t> now = placed;
        now.insert(now.end(), serials.begin() + kept, serials.begin() + walked);
        settled = DropEarlierCopiesOf(file_, area, now);
      }
      if (settled == error::kOk) settled = FileErrorNumber(file_.Truncate(RecordOffset(count)));
      if (settled != error::kOk) {
        settle_pending_ = true;
      } else if (write_failed) {
        release_values([&](std::int32_t index) {
          std::uint8_t serial[4];
          return ReadExactly(file_, RecordOffset(index), serial, error::kReadRecordFailed) ==
                     error::kOk &&
                 LoadI32(serial) != serials[static_cast<std::size_t>(index)];
        });
      } else {
        release_values([&](std::int32_t index) { return index < kept; });
      }
    }
    UnlockWhole();
    return result;
  }

  if (kept != count) {
    // The file is cut before the count is lowered: a process killed between
    // the two leaves a file that is merely shorter than its count, which the
    // next open settles, rather than stale records beyond the count. The cut
    // also removes the mark.
    std::uint8_t new_count[4];
    StoreI32(new_count, kept);
    result = FileErrorNumber(file_.Truncate(RecordOffset(kept)));
    if (result == error::kOk) result = Write(file_, kRecordCountOffset, new_count);
    if (result == error::kOk)
      result = release_values([](std::int32_t) { return true; });
    else
      settle_pending_ = true;
  }
  ErrorNumber unlocked = UnlockWhole();
  return result != error::kOk ? result : unlocked;
}

ErrorNumber Database::Flush() {
  ErrorNumber result = FileErrorNumber(file_.Flush());
  if (long_values_) {
    ErrorNumber flushed = FileErrorNumber(long_values_->file().Flush());
    if (result == error::kOk) result = flushed;
  }
  return result;
}

}  // namespace store
