#include "store/verifier.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "store/moved_records.h"

namespace store {
namespace {

class Walker {
 public:
  Walker(Database& db, VerifyResult& result) : db_(db), result_(result) {}

  void Run() {
    CheckFields();
    std::int32_t count = 0;
    std::uint8_t bytes[4];
    if (db_.file().ReadExactly(kRecordCountOffset, bytes) != platform::FileError::kNone) {
      Problem("the record count cannot be read");
      return;
    }
    count = LoadI32(bytes);
    result_.records = count;
    if (db_.file().ReadExactly(kNextSerialOffset, bytes) != platform::FileError::kNone) {
      Problem("the next serial number cannot be read");
      return;
    }
    next_serial_ = LoadI32(bytes);
    if (count < 0) {
      Problem("the record count is negative");
      return;
    }
    CheckTail(count);
    if (db_.long_values() != nullptr) ReadLongHeader();
    WalkRecords(count);
    if (db_.long_values() != nullptr && long_header_ok_) {
      WalkFreeList();
      CountUnused();
    }
  }

 private:
  void Problem(std::string text) { result_.problems.push_back(std::move(text)); }

  void CheckFields() {
    for (std::size_t i = 0; i < db_.fields().size(); ++i) {
      const FieldDescriptor& f = db_.fields()[i];
      if (f.offset < static_cast<std::int32_t>(kSerialSize))
        Problem("field " + std::to_string(i + 1) + " overlaps the serial number");
      if (std::int64_t{f.offset} + f.StoredWidth() > db_.record_size())
        Problem("field " + std::to_string(i + 1) + " extends past the end of the record");
    }
  }

  // What lies beyond the last counted record: at most the one record that
  // a killed append leaves, which the next read-write open cuts off.
  void CheckTail(std::int32_t count) {
    auto size = db_.file().Size();
    if (!size.ok()) {
      Problem("the size of the data file cannot be read");
      return;
    }
    const auto record_size = static_cast<std::uint64_t>(db_.record_size());
    const std::uint64_t end = db_.data_start() + static_cast<std::uint64_t>(count) * record_size;
    if (size.value < end) {
      Problem("the file holds fewer records than its count");
    } else if (size.value - end > record_size) {
      Problem(std::to_string(size.value - end) +
              " bytes follow the last counted record: the record count is damaged");
    } else if (size.value > end) {
      std::vector<std::uint8_t> trailer(record_size);
      purge_cut_short_ = db_.file().ReadExactly(end, trailer) == platform::FileError::kNone &&
                         IsPurgeMark(trailer, RecordArea{db_.data_start(), db_.record_size()});
      result_.notes.push_back(std::to_string(size.value - end) +
                              " bytes of an unfinished append follow the last record");
    }
  }

  void ReadLongHeader() {
    if (db_.long_values()->ReadHeader(header_) != error::kOk) {
      Problem("the long-value file header cannot be read");
      return;
    }
    auto size = db_.long_values()->file().Size();
    if (!size.ok() || size.value / kBlockSize < static_cast<std::uint64_t>(header_.block_count)) {
      Problem("the long-value file is shorter than its block count");
      return;
    }
    if (header_.block_count <= 0 || header_.free_count < 0 ||
        header_.free_count >= header_.block_count || header_.free_head < 0 ||
        header_.free_head >= header_.block_count) {
      Problem("the long-value file header is out of range");
      return;
    }
    long_header_ok_ = true;
  }

  void WalkRecords(std::int32_t count) {
    const auto size = static_cast<std::size_t>(db_.record_size());
    const std::int32_t batch = std::max(1, 163840 / db_.record_size());
    std::vector<std::uint8_t> buffer;
    for (std::int32_t first = 0; first < count; first += batch) {
      const std::int32_t n = std::min(batch, count - first);
      buffer.resize(static_cast<std::size_t>(n) * size);
      std::uint64_t at = db_.data_start() + static_cast<std::uint64_t>(first) * size;
      if (db_.file().ReadExactly(at, buffer) != platform::FileError::kNone) {
        Problem("records from " + std::to_string(first + 1) + " on cannot be read");
        return;
      }
      for (std::int32_t j = 0; j < n; ++j) {
        const std::uint8_t* record = buffer.data() + static_cast<std::size_t>(j) * size;
        CheckSerial(first + j + 1, LoadI32(record), record);
        if (!long_header_ok_) continue;
        for (std::size_t i = 0; i < db_.fields().size(); ++i) {
          const FieldDescriptor& f = db_.fields()[i];
          if (!IsLongValueType(f.type) || std::int64_t{f.offset} + 4 > db_.record_size()) continue;
          std::int32_t reference = LoadI32(record + f.offset);
          if (reference != 0)
            WalkChain(reference, "record " + std::to_string(first + j + 1) + " field " +
                                     std::to_string(i + 1));
        }
      }
    }
  }

  // Appends number their records from the header's next serial upwards
  // and a delete negates the serial, so every serial's size lies below the
  // next serial and above the one before it. A purge cut short leaves blank
  // deleted copies of records it moved, which may repeat a serial near by:
  // the order is checked only between records that hold something.
  void CheckSerial(std::int32_t number, std::int32_t serial, const std::uint8_t* record) {
    const std::string here = "record " + std::to_string(number);
    if (serial == 0) {
      Problem(here + " has serial number 0");
      return;
    }
    std::int64_t size = serial < 0 ? -std::int64_t{serial} : serial;
    const bool fits = size < next_serial_ && (size > previous_serial_ || purge_cut_short_);
    if (!fits) {
      if (std::optional<std::int32_t> torn =
              SerialOfTornDeleteMark(serial, previous_serial_, next_serial_)) {
        // A delete whose 4-byte mark was written only in part: the record
        // is whole, only whether it is deleted is unsettled.
        result_.notes.push_back(here + ": the delete mark of serial number " +
                                std::to_string(*torn) + " was written only in part");
        previous_serial_ = *torn;
        return;
      }
    }
    if (size >= next_serial_) {
      Problem(here + " has serial number " + std::to_string(serial) +
              ", not below the next serial number " + std::to_string(next_serial_) +
              ": the file never wrote it");
      return;
    }
    const auto bytes = static_cast<std::size_t>(db_.record_size());
    if (serial < 0 &&
        std::all_of(record + kSerialSize, record + bytes, [](std::uint8_t b) { return b == 0; }))
      return;
    // Until a read-write open settles a purge cut short, a record it moved
    // is there twice.
    if (size <= previous_serial_ && !purge_cut_short_)
      Problem(here + " has serial number " + std::to_string(serial) + ", not above the " +
              std::to_string(previous_serial_) + " of a record before it: the file never wrote it");
    previous_serial_ = size;
  }

  bool InRange(std::int32_t block) const { return block >= 1 && block < header_.block_count; }

  void WalkChain(std::int32_t reference, const std::string& owner) {
    ++result_.chains;
    std::int32_t previous = 0;
    std::int32_t current = reference;
    std::set<std::int32_t> mine;
    while (current != 0) {
      std::string here = owner + ": block " + std::to_string(current);
      if (!InRange(current)) {
        Problem(here + " lies outside the long-value file");
        return;
      }
      if (!mine.insert(current).second) {
        Problem(here + " closes a loop");
        return;
      }
      auto [it, fresh] = owners_.emplace(current, owner);
      if (!fresh) {
        Problem(here + " also belongs to " + it->second);
        return;
      }
      LongValueBlock block;
      if (db_.long_values()->ReadBlock(current, block) != error::kOk) {
        Problem(here + " cannot be read");
        return;
      }
      if (block.prev != previous)
        Problem(here + " points back to " + std::to_string(block.prev) + " instead of " +
                std::to_string(previous));
      if (block.used < 1 || block.used > static_cast<std::int32_t>(kBlockDataSize))
        Problem(here + " holds " + std::to_string(block.used) + " bytes");
      else if (block.next != 0 && block.used != static_cast<std::int32_t>(kBlockDataSize))
        Problem(here + " is not full but is not the last of its chain");
      previous = current;
      current = block.next;
    }
  }

  void WalkFreeList() {
    std::int32_t current = header_.free_head;
    std::int32_t listed = 0;
    std::set<std::int32_t> seen;
    while (current != 0) {
      std::string here = "free block " + std::to_string(current);
      if (!InRange(current)) {
        Problem(here + " lies outside the long-value file");
        return;
      }
      if (!seen.insert(current).second) {
        Problem(here + " closes a loop in the free list");
        return;
      }
      auto owner = owners_.find(current);
      if (owner != owners_.end()) Problem(here + " also belongs to " + owner->second);
      LongValueBlock block;
      if (db_.long_values()->ReadBlock(current, block) != error::kOk) {
        Problem(here + " cannot be read");
        return;
      }
      if (block.used != 0) Problem(here + " holds " + std::to_string(block.used) + " bytes");
      free_.insert(current);
      ++listed;
      current = block.next;
    }
    if (listed != header_.free_count)
      Problem("the free list holds " + std::to_string(listed) + " blocks, the header says " +
              std::to_string(header_.free_count));
  }

  void CountUnused() {
    std::int32_t unused = 0;
    for (std::int32_t block = 1; block < header_.block_count; ++block)
      if (owners_.count(block) == 0 && free_.count(block) == 0) ++unused;
    if (unused > 0)
      result_.notes.push_back(std::to_string(unused) +
                              " long-value blocks belong to no value and are not on the free list");
  }

  Database& db_;
  VerifyResult& result_;
  LongValueHeader header_;
  std::int64_t next_serial_ = 0;
  std::int64_t previous_serial_ = 0;
  bool long_header_ok_ = false;
  bool purge_cut_short_ = false;
  std::map<std::int32_t, std::string> owners_;
  std::set<std::int32_t> free_;
};

}  // namespace

VerifyResult VerifyDatabase(Database& db) {
  VerifyResult result;
  ErrorNumber locked = db.LockWhole();
  if (locked != error::kOk) {
    result.problems.push_back("the file is in use and cannot be locked (error " +
                              std::to_string(locked) + ")");
    return result;
  }
  Walker(db, result).Run();
  db.UnlockWhole();
  return result;
}

}  // namespace store
