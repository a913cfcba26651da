// One open data file: its header and fields as read at open, its cursor,
// the locks this process holds on it, its long-value file, and the record
// operations the commands are built from.
//
// Every operation answers with an error number (0 = success). Records are
// read and written in place, one field at a time; nothing of a record is
// kept between operations, so what other processes write is seen at once.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "runtime/value.h"
#include "store/cipher_file.h"
#include "store/errors.h"
#include "store/field_keystreams.h"
#include "store/format.h"
#include "store/locks.h"
#include "store/long_value_file.h"
#include "store/page_cipher.h"

namespace store {

// What an open needs from its surroundings.
struct DatabaseEnvironment {
  const platform::FileOpener* opener = nullptr;
  platform::Waiting* waiting = nullptr;
  CipherPool* ciphers = nullptr;
};

struct OpenRequest {
  std::string full_path;  // with its extension, as FullPath gives it
  std::string alias;      // empty when none was given
  bool read_only = false;
  std::optional<std::int32_t> sharing;  // nullopt when omitted
  // The password argument when one was given as a text; "?" asks the user.
  std::optional<std::string> password;
};

// The sharing mode numbers of OpenDatabase: omitted or 1 lets others read
// and write, 2 keeps them from reading, 3 from writing, anything else
// keeps them out.
platform::FileSharing SharingMode(std::optional<std::int32_t> mode);

// The condition of a scan: a deferred condition evaluated now, or a plain
// Bool. Any other type, or a result that is not a Bool, ends the program
// with the runtime error report.
bool ConditionHolds(const runtime::Value& condition);
// Ends the program the same way when `condition` is neither a deferred
// condition nor a Bool, before any record is looked at.
void RequireCondition(const runtime::Value& condition);

class Database {
 public:
  // Opens `request.full_path` and checks it: its password (asking the user
  // when it is "?"), its header and fields, its record count against its
  // size, and its long-value file. Nothing stays open on failure.
  static ErrorNumber Open(const OpenRequest& request, const DatabaseEnvironment& environment,
                          std::unique_ptr<Database>& out);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& full_path() const { return full_path_; }
  const std::string& base_name() const { return base_name_; }
  const std::string& alias() const { return alias_; }
  bool read_only() const { return read_only_; }
  bool is_protected() const { return file_.cipher() != nullptr; }
  const std::array<std::uint8_t, kHeaderSize>& header() const { return header_; }
  std::int32_t record_size() const { return record_size_; }
  std::uint64_t data_start() const { return data_start_; }
  const std::vector<FieldDescriptor>& fields() const { return fields_; }
  LongValueFile* long_values() { return long_values_.get(); }
  CipherFile& file() { return file_; }

  // Record index: -1 before the first record, count past the last.
  std::int32_t cursor() const { return cursor_; }
  void set_cursor(std::int32_t cursor) { cursor_ = cursor; }

  // The 0-based index of the first field named `name` (letter case
  // ignored), or nullopt.
  std::optional<std::size_t> FieldNamed(std::string_view name) const;

  // The record count and next serial number as the file says now, read
  // under the header lock, retrying for up to `wait_ms` while another
  // process holds it. A negative count reads as 0.
  ErrorNumber ReadRecordCount(std::int32_t& count, std::uint32_t wait_ms,
                              std::int32_t* next_serial = nullptr);

  // Field `field` (0-based) of the current record, or of the record under
  // test while a scan evaluates its condition. On failure `out` is the
  // blank value of the field's type.
  ErrorNumber ReadField(std::size_t field, runtime::Value& out);
  // Field `field` of record `index`, from the file.
  ErrorNumber ReadFieldOf(std::int32_t index, std::size_t field, runtime::Value& out);
  // The serial number of record `index` (negative while marked deleted).
  ErrorNumber ReadSerial(std::int32_t index, std::int32_t& serial);
  // Stores `value` (no value: the blank value) in field `field` of the
  // current record; -72 when its type does not fit, before anything is
  // written.
  ErrorNumber WriteField(std::size_t field, const runtime::Value& value);
  // Appends a record with `values` for its first fields (the rest blank)
  // and makes it current.
  ErrorNumber AppendRecord(runtime::Args values);
  // Marks the current record deleted.
  ErrorNumber DeleteCurrent();
  // Marks every record for which `condition` holds deleted; the cursor
  // stays where it was.
  ErrorNumber DeleteWhere(const runtime::Value& condition);
  // Removes the records marked deleted and releases their long values;
  // the cursor goes to the first record. A read or write failure part-way
  // never loses a record: nothing is cut, and what was walked before the
  // failure is either moved or left as deleted blank records.
  ErrorNumber PurgeDeleted();
  // Moves to the first record at or after the cursor for which `condition`
  // holds; `found` false (cursor unchanged) when there is none.
  ErrorNumber FindRecord(const runtime::Value& condition, bool& found);

  // Called with a record's index and bytes; false stops the walk there.
  using RecordVisitor =
      std::function<bool(std::int32_t index, std::span<const std::uint8_t> record)>;
  // How a walk holds record locks while it visits.
  enum class ScanLocks {
    // One record at a time: its lock is taken, the record read, visited and
    // released before the next. For visits that may take any time, such as
    // a search's condition, which can do anything.
    kOneRecord,
    // Records are read in batches of about 160 KB whose record locks are
    // taken with one lock call over the batch and held while the batch is
    // visited. The bytes locked are the records' first bytes and those
    // between them, which nobody locks alone; so a batch conflicts with the
    // same locks of others as its records' own locks do, only for the
    // batch's time. For visits that only look at the bytes in memory.
    kBatch,
  };
  // Walks the records from index `start` to the last one as the file counts
  // them now, in order, holding the header lock for the whole walk (so
  // nobody appends meanwhile) and each record's lock while it is visited.
  // A batch that cannot be locked or read whole is walked one record at a
  // time instead, so a conflict or a short read ends the walk with its
  // error at exactly the record where it is met, after every record before
  // it was visited. The cursor is left alone.
  ErrorNumber ScanRecords(std::int32_t start, ScanLocks locks, const RecordVisitor& visit);
  // ScanRecords with batched locks from the first record, each record
  // being the current record while it is visited: the cursor is on it and
  // ReadField reads it from memory. The cursor is put back afterwards.
  ErrorNumber ScanAsCurrent(const std::function<bool(std::int32_t index)>& visit);
  // Field `field` (0-based) of a record's bytes as ScanRecords hands them
  // over; on failure `out` is the field's blank value.
  ErrorNumber FieldOfRecord(std::span<const std::uint8_t> record, std::size_t field,
                            runtime::Value& out);
  // The stored text of text field `field` of a record's bytes, up to its
  // first 0 byte, without copying it; nullopt for a field of another type.
  std::optional<std::string_view> TextOfRecord(std::span<const std::uint8_t> record,
                                               std::size_t field) const;

  // The stored text of text field `field` of the record under test (while
  // a scan visits it or a search tests it), up to its first 0 byte: what
  // ReadField gives, without making a value of it. Valid until the next
  // field is read. nullopt when ReadField must be asked instead: a field
  // of another type, no record under test, or bytes that cannot be read.
  // A text longer than `most` bytes is cut there, and only so many bytes
  // are deciphered: a test for equality with a text of n bytes needs n + 1.
  std::optional<std::string_view> TextOfCurrent(
      std::size_t field, std::size_t most = std::numeric_limits<std::size_t>::max());
  // Whether that text is `wanted`, compared where the field lies without
  // deciphering a copy of it; nullopt where TextOfCurrent would be.
  std::optional<bool> CurrentTextIs(std::size_t field, const std::string& wanted);
  // A number or date-time field of the record under test as ReadField's
  // value gives it as a number (date-times clamped alike), without making a
  // value: from the deciphered copy (DecipherCurrentRecord) when there is
  // one, else its 8 bytes deciphered alone. nullopt for a field of another
  // type or when ReadField must be asked instead.
  std::optional<double> NumberOfCurrent(std::size_t field);

  // Deciphers the whole record under test at once, for a reader about to
  // read most of its fields (a listed row): ReadField and TextOfCurrent then
  // read that copy until the walk moves on or anything is written. False
  // (and nothing changes) when the record is already plain in memory or
  // not there to read.
  bool DecipherCurrentRecord();

  // Pushes what was written to the storage device.
  ErrorNumber Flush();

  // Locks: the header lock (byte 16), a record's lock (its first byte) and
  // the whole-database lock, which nests and while held makes the others
  // unnecessary. In the sharing modes that keep other processes from
  // reading nothing is locked at all.
  ErrorNumber LockHeader(std::uint32_t wait_ms);
  ErrorNumber UnlockHeader();
  ErrorNumber LockRecord(std::int32_t index);
  ErrorNumber UnlockRecord(std::int32_t index);
  ErrorNumber LockWhole();
  ErrorNumber UnlockWhole();

 private:
  Database() = default;

  std::uint64_t RecordOffset(std::int32_t index) const {
    return data_start_ +
           static_cast<std::uint64_t>(index) * static_cast<std::uint64_t>(record_size_);
  }
  bool FitsInRecord(const FieldDescriptor& field) const;
  ErrorNumber ReadCount4(std::int32_t& count);
  ErrorNumber DecodeStored(const FieldDescriptor& field, std::span<const std::uint8_t> stored,
                           runtime::Value& out);
  ErrorNumber ReadFieldLocked(std::int32_t index, std::size_t field, runtime::Value& out);
  // Takes the locks of records [first, first + n) with one lock call and
  // gives their bytes: where they lie in view_ when they end at or before
  // file offset `viewable` (ViewableEnd; 0: never), else read into
  // `buffer` with one read. Empty, with nothing held, when the records
  // cannot be locked or read.
  // `stored`: the bytes are left enciphered (see raw_batch_).
  std::span<const std::uint8_t> TakeBatch(std::int32_t first, std::int32_t n,
                                          std::vector<std::uint8_t>& buffer, bool stored,
                                          std::uint64_t viewable);
  // Where the records of a walk over `count` records that may be looked at
  // in view_ end: the file's end or the count's, whichever comes first.
  // view_ is made anew when the file has grown past it. 0 when the file
  // cannot be viewed.
  std::uint64_t ViewableEnd(std::int32_t count);
  // For a big file: makes the view of its first `end` bytes at once and
  // tells whether the first walk had better read than look at it (the
  // first touch of a page costing more than reading it, as on machines
  // whose host keeps the page tables in shadow). Only while nobody else can
  // cut the file: it touches a few of the view's pages.
  bool ViewToWarm(std::uint64_t end);
  // Then has another thread fault the view's pages in from the end down,
  // and verify their keystreams in the cache file with `keystreams`, so
  // that the first walk, going up from the start, meets them ready halfway;
  // with `reads`, walks read instead of looking until the thread is done.
  void WarmAhead(std::uint64_t end, bool keystreams, bool reads);
  // True when the bytes of raw_batch_ before file offset `end` lie in the
  // view and a cut of this opener's since the batch was taken (a purge
  // made during a visit) took some of them: they must not be touched.
  bool CutOffInView(std::uint64_t end);
  // The record under test changes: a deciphered copy of the last one no
  // longer stands for it.
  void SetImage(const std::uint8_t* image) {
    image_ = image;
    plain_image_ = nullptr;
  }
  // ScanRecords; with `stored`, batches are visited as stored, enciphered.
  ErrorNumber Scan(std::int32_t start, ScanLocks locks, bool stored, const RecordVisitor& visit);
  // Field `field` of the record image_ points to inside raw_batch_,
  // deciphering only the field's bytes.
  ErrorNumber FieldOfStoredImage(std::size_t field, runtime::Value& out);
  // The first `width` bytes of field `f` of that record, as stored, and
  // their file offset; nullopt when they are not there to read. The same
  // field of a record a few ahead is fetched meanwhile, with its page
  // keystream unless `keystream_too` is false.
  struct StoredBytes {
    const std::uint8_t* bytes;
    std::uint64_t offset;
  };
  std::optional<StoredBytes> StoredField(const FieldDescriptor& f, std::size_t width,
                                         bool keystream_too = true);
  // The first `most` bytes (at most) of field `f` of that record,
  // deciphered into field_bytes_; false when they are not there to read.
  // With `to_first_nul`, a text's bytes are deciphered a few dozen at a
  // time and no further than the step that holds its first 0 byte: most
  // texts fill a small part of their field.
  bool DecipherStoredField(const FieldDescriptor& f,
                           std::size_t most = std::numeric_limits<std::size_t>::max(),
                           bool to_first_nul = false);
  ErrorNumber ReleaseBatch(std::int32_t first, std::int32_t n);
  // Visits records [first, first + n) one lock and one read at a time.
  ErrorNumber WalkOneByOne(std::int32_t first, std::int32_t n, const RecordVisitor& visit,
                           bool& stopped);
  // After a purge (of this process or another) that was cut short: drops
  // the earlier copies of the records it had moved and its mark, or lowers
  // a count it could not lower after cutting the file.
  ErrorNumber SettlePurge();
  // SettlePurge when this process knows one is needed or the mark is there.
  ErrorNumber SettleIfMarked();

  CipherFile file_;
  int lock_depth_ = 0;
  std::string full_path_;
  std::string base_name_;
  std::string alias_;
  bool read_only_ = false;
  // A purge failed part-way and what it left is not yet settled.
  bool settle_pending_ = false;
  LockRegistry locks_;
  std::vector<ByteRange> whole_ranges_;
  std::array<std::uint8_t, kHeaderSize> header_{};
  std::vector<FieldDescriptor> fields_;
  std::int32_t record_size_ = 0;
  std::uint64_t data_start_ = 0;
  std::int32_t cursor_ = 0;
  std::unique_ptr<LongValueFile> long_values_;
  // The record under test while a scan evaluates its condition
  // (record_size_ bytes).
  const std::uint8_t* image_ = nullptr;
  // Records [first, end) whose locks a scan holds with one batch lock; the
  // record locks inside it are already held.
  struct LockedBatch {
    std::int32_t first = 0;
    std::int32_t end = 0;
    bool Covers(std::int32_t index) const { return index >= first && index < end; }
  };
  LockedBatch batch_;
  // The batch, still enciphered, that ScanAsCurrent is visiting: a record
  // image inside it is deciphered field by field as it is read, since a
  // list reads a few dozen of a record's bytes.
  struct StoredBatch {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::uint64_t offset = 0;  // in the file
    // The bytes lie in view_, and this opener had cut the file so many
    // times when the batch was taken.
    bool in_view = false;
    std::uint64_t cuts = 0;
    // The walk's own buffer when the bytes were read, not viewed: what this
    // opener writes during the walk is copied into it (a view shows it).
    std::uint8_t* read_into = nullptr;
    bool Holds(const std::uint8_t* p) const {
      return bytes != nullptr && p >= bytes && p < bytes + size;
    }
  };
  StoredBatch raw_batch_;
  // Brings bytes this opener wrote at [position, position + width) into a
  // read batch that holds them.
  void RefreshReadBatch(std::uint64_t position, std::size_t width);
  // The file's stored bytes as the operating system holds them, kept from
  // scan to scan; only ever looked at under a batch's locks.
  std::shared_ptr<const platform::ReadOnlyMapping> view_;
  // Scans now looking at view_, which stays while there are any.
  int viewing_scans_ = 0;
  std::vector<std::uint8_t> field_bytes_;
  // Per field, the keystreams of a text field that walks compare in every
  // record, side by side (FieldKeystreamsOf); opened on first use.
  struct FieldKeystreamsSlot {
    bool tried = false;
    std::unique_ptr<FieldKeystreams> keystreams;
  };
  std::vector<FieldKeystreamsSlot> field_keystreams_;
  // Those of field `field`, where its file is big and its records far
  // apart enough for them to pay; nullptr where not.
  FieldKeystreams* FieldKeystreamsOf(std::size_t field);
  // The record at plain_image_ (when that is image_), deciphered whole.
  std::vector<std::uint8_t> plain_record_;
  const std::uint8_t* plain_image_ = nullptr;
  platform::Waiting* waiting_ = nullptr;
  // How far into the file the walks have come (a file offset): where
  // WarmAhead's thread, coming down from the end, stops.
  std::atomic<std::uint64_t> walked_to_{0};
  // WarmAhead's thread is still making the view ready where first touches
  // are dear: walks read instead.
  std::atomic<bool> warming_{false};
  // Last, so that it is stopped and joined before anything it uses goes.
  std::jthread warmer_;
};

}  // namespace store
