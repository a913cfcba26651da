// libFuzzer target for opening a data file and its long-value file with the
// desk's password: whatever the two files hold, an open either refuses them
// with an error number or gives a database whose every record and field can
// be read and which the verifier can walk; and a read-write open that
// succeeds leaves files that open again after appends, long-value writes, a
// delete and a purge, as sound as they were.
//
// Input: one flags byte, the data file's length (4 bytes, little-endian),
// the data file's bytes, then the long-value file's bytes (none: no
// long-value file). Flag 1: the bytes are given deciphered and are
// enciphered with the password before they are written, so that mutations
// reach the header and records instead of only scrambling them. Flag 2: the
// commands run after the read-write open.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/gbk.h"
#include "store/database_list.h"
#include "store/errors.h"
#include "store/format.h"
#include "store/page_cipher.h"
#include "store/verifier.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr char kPassword[] = "qkd3094716";
constexpr std::uint8_t kGivenDeciphered = 1;
constexpr std::uint8_t kRunCommands = 2;

struct Files {
  std::string data;         // GBK path
  std::string long_values;  // GBK path
};

const Files& FilesInScratch() {
  static const Files files{(fuzz_support::ScratchDir() / "ledger.ldg").string(),
                           (fuzz_support::ScratchDir() / "ledger.lgt").string()};
  return files;
}

std::vector<std::uint8_t> Prepared(std::span<const std::uint8_t> bytes, bool encipher) {
  std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
  if (encipher) {
    static store::PageCipher cipher(kPassword);
    cipher.Apply(0, out);
  }
  return out;
}

// Set ORDERDESK_FUZZ_VERBOSE to see what each open answers while looking
// into an input.
bool Verbose() {
  static const bool verbose = std::getenv("ORDERDESK_FUZZ_VERBOSE") != nullptr;
  return verbose;
}

bool Open(store::DatabaseList& list, bool read_only) {
  store::OpenArguments args;
  args.file = FilesInScratch().data;
  args.read_only = read_only;
  args.password = kPassword;
  const bool opened = list.OpenDatabase(args);
  if (Verbose()) {
    std::fprintf(stderr, "%s open: %d", read_only ? "read-only" : "read-write",
                 opened ? 0 : static_cast<int>(store::LastError()));
    if (opened) std::fprintf(stderr, ", %d records", list.GetRecordCount());
    std::fprintf(stderr, "\n");
  }
  return opened;
}

// Reads every field of every record through the cursor, then every field
// of every record again from a scan's bytes.
void WalkEveryField(store::DatabaseList& list) {
  store::Database& db = *list.current();
  const auto fields = static_cast<std::int32_t>(db.fields().size());
  const std::int32_t count = list.GetRecordCount();
  for (std::int32_t number = 1; number <= count; ++number) {
    if (!list.GoTo(number)) break;
    for (std::int32_t field = 1; field <= fields; ++field)
      (void)list.ReadField(runtime::Value::Int(field));
  }
  (void)db.ScanRecords(0, store::Database::ScanLocks::kBatch,
                       [&](std::int32_t, std::span<const std::uint8_t> record) {
                         for (std::size_t field = 0; field < db.fields().size(); ++field) {
                           runtime::Value value;
                           (void)db.FieldOfRecord(record, field, value);
                           (void)db.TextOfRecord(record, field);
                         }
                         return true;
                       });
}

// A value of `type` that spans two long-value blocks, or a short text.
std::optional<runtime::Value> ValueFor(store::FieldType type, std::size_t length) {
  switch (type) {
    case store::FieldType::kLongText:
    case store::FieldType::kText:
      return runtime::Value::OfText(std::string(length, 'x'));
    case store::FieldType::kByteSet:
      return runtime::Value::OfBytes(runtime::Bytes(length, 0x5A));
    default:
      return std::nullopt;
  }
}

void WriteEveryTextField(store::DatabaseList& list, std::size_t length) {
  const std::vector<store::FieldDescriptor>& fields = list.current()->fields();
  for (std::size_t field = 0; field < fields.size(); ++field) {
    if (auto value = ValueFor(fields[field].type, length))
      (void)list.WriteField(runtime::Value::Int(static_cast<std::int32_t>(field + 1)), *value);
  }
}

// What the order desk does to a file: add records with long values,
// rewrite a long value shorter, delete a record and purge.
void RunCommands(store::DatabaseList& list) {
  for (int i = 0; i < 2; ++i) {
    if (list.AppendRecord()) WriteEveryTextField(list, 700);
  }
  if (list.GoTo(1)) {
    WriteEveryTextField(list, 3);
    (void)list.DeleteRecord();
  }
  (void)list.PurgeDeleted();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const std::uint8_t flags = data[0];
  const std::size_t data_length = std::min<std::size_t>(
      size - 5, std::uint32_t{data[1]} | std::uint32_t{data[2]} << 8 |
                    std::uint32_t{data[3]} << 16 | std::uint32_t{data[4]} << 24);
  const std::span<const std::uint8_t> data_bytes(data + 5, data_length);
  const std::span<const std::uint8_t> long_value_bytes(data + 5 + data_length,
                                                       size - 5 - data_length);
  const bool encipher = (flags & kGivenDeciphered) != 0;

  const Files& files = FilesInScratch();
  fuzz_support::WriteBytes(platform::GbkToUtf8(files.data, false), Prepared(data_bytes, encipher));
  std::remove(platform::GbkToUtf8(files.long_values, false).c_str());
  if (!long_value_bytes.empty()) {
    fuzz_support::WriteBytes(platform::GbkToUtf8(files.long_values, false),
                             Prepared(long_value_bytes, encipher));
  }

  {
    store::DatabaseList list;
    if (Open(list, true)) {
      WalkEveryField(list);
      (void)store::VerifyDatabase(*list.current());
    }
  }

  bool sound = false;
  {
    store::DatabaseList list;
    if (!Open(list, false)) return 0;
    WalkEveryField(list);
    sound = store::VerifyDatabase(*list.current()).problems.empty();
    if ((flags & kRunCommands) == 0) return 0;
    RunCommands(list);
  }

  store::DatabaseList list;
  if (!Open(list, false)) {
    // Files that opened must open again after the desk's commands.
    std::abort();
  }
  WalkEveryField(list);
  if (sound && !store::VerifyDatabase(*list.current()).problems.empty()) std::abort();
  return 0;
}
