// The one-pass walk over a data file that list fills use: what it hands
// over, that its batched locks meet another process's locks where the
// locks of a search taken record by record would, and that looking at the
// records in a view of the file gives what reading them gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "faulty_file.h"
#include "store/database_list.h"
#include "store/field_keystreams.h"
#include "store/page_cipher.h"
#include "store_test_util.h"
#include "tests/support/file_mode.h"
#include "tests/support/flip_byte.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";
// Enough records for several batches of growing size.
constexpr std::int32_t kRecords = 300;

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathIn(dir_, "ledger.ldg");
    ASSERT_EQ(CreateDataFile(path_,
                             {Field("name", FieldType::kText, 12), Field("n", FieldType::kInt),
                              Field("note", FieldType::kLongText)},
                             kPassword),
              0);
    ASSERT_TRUE(list_.OpenDatabase(OpenArgs(path_, "ledger", kPassword)));
    for (std::int32_t i = 0; i < kRecords; ++i) {
      std::vector<Value> values = {Value::OfText(Numbered("n", i)), Value::Int(i),
                                   Value::OfText(i % 7 == 0 ? std::string(600, 'x') : "")};
      ASSERT_TRUE(list_.AppendRecord(values));
    }
    list_.GoTo(5);
  }
  Database& db() { return *list_.current(); }
  std::uint64_t FirstByteOf(std::int32_t index) {
    return db().data_start() +
           static_cast<std::uint64_t>(index) * static_cast<std::uint64_t>(db().record_size());
  }
  // The indexes a scan visits before it ends.
  std::vector<std::int32_t> Visited() {
    std::vector<std::int32_t> out;
    list_.ScanRecords([&](std::int32_t index, std::span<const std::uint8_t>) {
      out.push_back(index);
      return true;
    });
    return out;
  }
  // The indexes a search for nothing tests before it ends.
  std::vector<std::int32_t> SearchedForNothing() {
    std::vector<std::int32_t> out;
    list_.GoFirst();
    list_.FindRecord(Value::OfCondition([&] {
      out.push_back(list_.GetRecordNumber() - 1);
      return Value::Bool(false);
    }));
    return out;
  }

  testing_support::TempDir dir_;
  std::string path_;
  DatabaseList list_;
};

TEST_F(ScanTest, HandsOverEveryRecordInOrderWithItsFieldsAndStopsWhenAsked) {
  std::int32_t expected = 0;
  EXPECT_TRUE(list_.ScanRecords([&](std::int32_t index, std::span<const std::uint8_t> record) {
    EXPECT_EQ(index, expected++);
    const std::string name = Numbered("n", index);
    EXPECT_EQ(db().TextOfRecord(record, 0), std::optional<std::string_view>(name));
    EXPECT_EQ(db().TextOfRecord(record, 1), std::nullopt);  // not a text field
    Value n, note;
    EXPECT_EQ(db().FieldOfRecord(record, 1, n), error::kOk);
    EXPECT_EQ(n, Value::Int(index));
    EXPECT_EQ(db().FieldOfRecord(record, 2, note), error::kOk);
    EXPECT_EQ(note, Value::OfText(index % 7 == 0 ? std::string(600, 'x') : ""));
    return true;
  }));
  EXPECT_EQ(expected, kRecords);
  EXPECT_EQ(list_.GetRecordNumber(), 5);  // the cursor stays

  std::int32_t visits = 0;
  EXPECT_TRUE(list_.ScanRecords([&](std::int32_t index, std::span<const std::uint8_t>) {
    ++visits;
    return index < 41;
  }));
  EXPECT_EQ(visits, 42);
}

TEST_F(ScanTest, EachRecordIsTheCurrentRecordWhileVisitedAndTheCursorComesBack) {
  std::int32_t visits = 0;
  EXPECT_TRUE(list_.ScanAsCurrent([&](std::int32_t index) {
    EXPECT_EQ(list_.GetRecordNumber(), index + 1);
    EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::OfText(Numbered("n", index)));
    EXPECT_EQ(list_.ReadField(Value::Int(2)), Value::Int(index));
    return ++visits < 100;
  }));
  EXPECT_EQ(visits, 100);
  EXPECT_EQ(list_.GetRecordNumber(), 5);
  EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::OfText("n4"));  // from the file again
}

// The current record's fields are deciphered one by one as they are read;
// every field reads as it does from the file, also while a search started
// inside the visit tests records of its own, and after it.
TEST_F(ScanTest, EveryFieldOfTheCurrentRecordReadsAsFromTheFile) {
  std::int32_t visits = 0;
  EXPECT_TRUE(list_.ScanAsCurrent([&](std::int32_t index) {
    for (std::size_t field = 0; field < 3; ++field) {
      Value from_file;
      EXPECT_EQ(db().ReadFieldOf(index, field, from_file), error::kOk);
      EXPECT_EQ(list_.ReadField(Value::Int(static_cast<std::int32_t>(field + 1))), from_file)
          << index << " " << field;
    }
    if (index % 50 == 3) {
      const std::int32_t at = list_.GetRecordNumber();
      EXPECT_TRUE(list_.FindRecord(Value::OfCondition(
          [&] { return Value::Bool(list_.ReadField(Value::Int(2)) == Value::Int(index + 2)); })));
      EXPECT_EQ(list_.GetRecordNumber(), index + 3);
      list_.GoTo(at);
      EXPECT_EQ(list_.ReadField(Value::Int(2)), Value::Int(index));
    }
    ++visits;
    return true;
  }));
  EXPECT_EQ(visits, kRecords);
}

TEST_F(ScanTest, AFullTextFieldReadsAsItsWholeWidth) {
  list_.GoTo(1);
  ASSERT_TRUE(list_.WriteField(Value::Int(1), Value::OfText("abcdefghijklmnop")));
  list_.ScanRecords([&](std::int32_t, std::span<const std::uint8_t> record) {
    EXPECT_EQ(db().TextOfRecord(record, 0), std::optional<std::string_view>("abcdefghijkl"));
    return false;
  });
}

// The child opens the file raw, locks [offset, offset + length), says 'H'
// and holds it until it receives 'R'. Arguments: path, offset, length.
CHILD_BODY(HoldLockBody) {
  platform::OpenedFile opened = platform::OpenFile(
      arguments.at(0), platform::FileAccess::kReadWrite, platform::FileSharing::kShareAll);
  if (!opened.file) return 1;
  if (opened.file->Lock(std::stoull(arguments.at(1)), std::stoull(arguments.at(2))) !=
      platform::FileError::kNone)
    return 2;
  channel.Send('H');
  return channel.Receive() == 'R' ? 0 : 3;
}

ChildArguments HoldLock(const std::string& path, std::uint64_t offset, std::uint64_t length) {
  return {path, std::to_string(offset), std::to_string(length)};
}

TEST_F(ScanTest, AnotherProcesssRecordLockEndsTheScanAtThatRecordAsItEndsASearch) {
  for (std::int32_t held : {0, 1, 7, 150, kRecords - 1}) {
    SCOPED_TRACE(held);
    ChildProcess child("HoldLockBody", HoldLock(path_, FirstByteOf(held), 1));
    ASSERT_EQ(child.channel().Receive(), 'H');
    const std::vector<std::int32_t> visited = Visited();
    EXPECT_EQ(LastError(), error::kLockViolation);
    EXPECT_EQ(visited, SearchedForNothing());
    EXPECT_EQ(LastError(), error::kLockViolation);
    ASSERT_EQ(visited.size(), static_cast<std::size_t>(held));
    child.channel().Send('R');
    EXPECT_EQ(child.Wait(), 0);
  }
  EXPECT_EQ(Visited().size(), static_cast<std::size_t>(kRecords));
  EXPECT_EQ(LastError(), error::kOk);
}

TEST_F(ScanTest, AnotherProcesssHeaderLockRefusesTheScanAtOnce) {
  ChildProcess child("HoldLockBody", HoldLock(path_, 16, 1));
  ASSERT_EQ(child.channel().Receive(), 'H');
  EXPECT_TRUE(Visited().empty());
  EXPECT_EQ(LastError(), error::kLockViolation);
  child.channel().Send('R');
  EXPECT_EQ(child.Wait(), 0);
}

TEST_F(ScanTest, LeavesNoLockBehindEvenWhenStoppedOrRefusedPartWay) {
  list_.ScanRecords([](std::int32_t index, std::span<const std::uint8_t>) { return index < 20; });
  {
    ChildProcess child("HoldLockBody", HoldLock(path_, FirstByteOf(100), 1));
    ASSERT_EQ(child.channel().Receive(), 'H');
    Visited();
    child.channel().Send('R');
    EXPECT_EQ(child.Wait(), 0);
  }
  // The whole file can be locked by another process afterwards.
  ChildProcess child("HoldLockBody", HoldLock(path_, 0, kWholeFileLockLength));
  EXPECT_EQ(child.channel().Receive(), 'H');
  child.channel().Send('R');
  EXPECT_EQ(child.Wait(), 0);
}

// ScanAsCurrent looks at its batches in a read-only view of the data file
// when the file can be viewed, and reads them otherwise (here: through the
// tests' file layer, which cannot be viewed). Both ways must visit the same
// records with the same fields and end with the same errors, and no file
// that is cut or has grown may crash the view.
class ScanViewTest : public ::testing::Test {
 protected:
  // Records of about 4 KB, so that a few hundred appended records outgrow
  // the room a view leaves.
  static constexpr std::int32_t kPadWidth = 4000;

  void SetUp() override {
    path_ = PathIn(dir_, "ledger.ldg");
    ASSERT_EQ(CreateDataFile(
                  path_,
                  {Field("name", FieldType::kText, 12), Field("n", FieldType::kInt),
                   Field("note", FieldType::kLongText), Field("pad", FieldType::kText, kPadWidth),
                   Field("day", FieldType::kDateTime)},
                  kPassword),
              0);
    ASSERT_TRUE(viewed_.OpenDatabase(OpenArgs(path_, "ledger", kPassword)));
    ASSERT_TRUE(read_.OpenDatabase(OpenArgs(path_, "ledger", kPassword)));
    Append(viewed_, 0, kRecords);
  }

  // Appends records [from, from + n) through `list`.
  static void Append(DatabaseList& list, std::int32_t from, std::int32_t n) {
    for (std::int32_t i = from; i < from + n; ++i) {
      std::vector<Value> values = {
          Value::OfText(Numbered("n", i)), Value::Int(i),
          Value::OfText(i % 7 == 0 ? std::string(600, 'x') : ""),
          Value::OfText(i % 5 == 0 ? std::string(kPadWidth, 'p') : Numbered("pad", i)),
          Value::DateTime(44197 + i)};
      ASSERT_TRUE(list.AppendRecord(values));
    }
  }

  // What one walk visited: each record's index and every field as ReadField
  // gives it; its text fields must read the same in place.
  struct Walk {
    std::vector<std::int32_t> visited;
    std::vector<std::vector<Value>> fields;
    bool complete = false;
    ErrorNumber error = error::kOk;
  };
  static Walk WalkAsCurrent(DatabaseList& list) {
    Walk walk;
    const std::size_t field_count = list.current()->fields().size();
    walk.complete = list.ScanAsCurrent([&](std::int32_t index) {
      walk.visited.push_back(index);
      std::vector<Value> values;
      for (std::size_t f = 1; f <= field_count; ++f) {
        const auto field = static_cast<std::int32_t>(f);
        values.push_back(list.ReadField(Value::Int(field)));
        // A long text is read from its own file: never in place.
        const std::optional<std::string_view> text = list.CurrentText(field);
        if (list.current()->fields()[f - 1].type != FieldType::kText) {
          EXPECT_EQ(text, std::nullopt) << index << " " << field;
        } else {
          EXPECT_TRUE(text.has_value()) << index << " " << field;
          if (text) {
            EXPECT_EQ(*text, values.back().AsText()) << index << " " << field;
          }
          // Cut after its first bytes, as a test for equality asks for it.
          EXPECT_EQ(list.CurrentText(field, 3), values.back().AsText().substr(0, 3))
              << index << " " << field;
        }
      }
      walk.fields.push_back(std::move(values));
      return true;
    });
    walk.error = LastError();
    return walk;
  }
  static void ExpectSameWalk(const Walk& viewed, const Walk& read) {
    EXPECT_EQ(viewed.visited, read.visited);
    EXPECT_EQ(viewed.complete, read.complete);
    EXPECT_EQ(viewed.error, read.error);
    ASSERT_EQ(viewed.fields.size(), read.fields.size());
    for (std::size_t i = 0; i < viewed.fields.size(); ++i)
      EXPECT_EQ(viewed.fields[i], read.fields[i]) << "record " << viewed.visited[i];
  }
  // True while this process has the data file mapped.
  bool Viewed() const {
    std::ifstream maps("/proc/self/maps");
    const std::string name = platform::GbkToUtf8(path_, false);
    for (std::string line; std::getline(maps, line);)
      if (line.size() >= name.size() && line.ends_with(name)) return true;
    return false;
  }
  std::uint64_t RecordEnd(std::int32_t count) {
    Database& db = *viewed_.current();
    return db.data_start() +
           static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(db.record_size());
  }

  testing_support::TempDir dir_;
  std::string path_;
  DatabaseList viewed_;
  // The same file through a layer that cannot be viewed: it is read.
  DatabaseList read_{FaultyOpener(std::make_shared<Faults>())};
};

TEST_F(ScanViewTest, ViewAndReadsVisitTheSameRecordsWithTheSameFields) {
  const Walk read = WalkAsCurrent(read_);
  if (testing_support::MappedFilesAreListed()) {
    EXPECT_FALSE(Viewed());
  }
  const Walk viewed = WalkAsCurrent(viewed_);
  if (testing_support::MappedFilesAreListed()) {
    EXPECT_TRUE(Viewed());
  }
  EXPECT_TRUE(viewed.complete);
  ASSERT_EQ(viewed.visited.size(), static_cast<std::size_t>(kRecords));
  ExpectSameWalk(viewed, read);
  for (std::int32_t i : {0, 1, 7, 150, kRecords - 1}) {
    const std::vector<Value>& fields = viewed.fields[static_cast<std::size_t>(i)];
    EXPECT_EQ(fields[0], Value::OfText(Numbered("n", i)));
    EXPECT_EQ(fields[1], Value::Int(i));
    EXPECT_EQ(fields[2], Value::OfText(i % 7 == 0 ? std::string(600, 'x') : ""));
    EXPECT_EQ(fields[3],
              Value::OfText(i % 5 == 0 ? std::string(kPadWidth, 'p') : Numbered("pad", i)));
  }
  // The view is kept: a second walk reads the same.
  ExpectSameWalk(WalkAsCurrent(viewed_), read);
  // Outside a walk there is no record to read in place.
  EXPECT_EQ(viewed_.CurrentText(1), std::nullopt);
}

// A text compared where it lies (with the field's keystreams side by side,
// the file being big and its records far apart) is found as ReadField
// finds it, also once those keystreams are damaged.
TEST_F(ScanViewTest, TextsComparedInPlaceMatchAsTheyRead) {
  const Database& db = *viewed_.current();
  const std::string folder = DefaultKeystreamFolder();
  const auto side_by_side =
      std::filesystem::path(folder) /
      FieldKeystreams::FileName(DigestText(kPassword),
                                db.data_start() + static_cast<std::uint64_t>(db.fields()[0].offset),
                                static_cast<std::uint64_t>(db.record_size()));
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(viewed_.ScanAsCurrent([&](std::int32_t index) {
      const std::string name = Numbered("n", index);
      EXPECT_EQ(viewed_.CurrentTextIs(1, name), true) << index;
      EXPECT_EQ(viewed_.CurrentTextIs(1, Numbered("n", index + 1)), false) << index;
      EXPECT_EQ(viewed_.CurrentTextIs(1, name.substr(0, 1)), false) << index;
      EXPECT_EQ(viewed_.CurrentTextIs(1, name + "x"), false) << index;
      EXPECT_EQ(viewed_.CurrentTextIs(1, std::string(13, 'n')), false) << "wider than the field";
      // Wider than what is kept side by side, up to a text that fills its field.
      EXPECT_EQ(viewed_.CurrentTextIs(
                    4, index % 5 == 0 ? std::string(kPadWidth, 'p') : Numbered("pad", index)),
                true)
          << index;
      return true;
    }));
    if (folder.empty()) break;
    ASSERT_TRUE(std::filesystem::exists(side_by_side));
    testing_support::FlipByte(side_by_side, 4096 + 64 * 3 + 5);  // record 12's keystreams
  }
}

// A listed record deciphered whole reads as field by field, and a write
// during the visit is read back, not the copy made before it.
TEST_F(ScanViewTest, ARecordDecipheredWholeReadsAsItsFieldsUntilAWrite) {
  Database& db = *viewed_.current();
  const std::size_t field_count = db.fields().size();
  std::int32_t checked = 0;
  ASSERT_TRUE(viewed_.ScanAsCurrent([&](std::int32_t index) {
    std::vector<Value> by_field;
    for (std::size_t f = 1; f <= field_count; ++f)
      by_field.push_back(viewed_.ReadField(Value::Int(static_cast<std::int32_t>(f))));
    EXPECT_EQ(db.NumberOfCurrent(4), by_field[4].AsDouble()) << "its 8 bytes alone";
    EXPECT_EQ(db.NumberOfCurrent(1), std::nullopt) << "an integer field";
    EXPECT_TRUE(db.DecipherCurrentRecord());
    for (std::size_t f = 1; f <= field_count; ++f) {
      const auto field = static_cast<std::int32_t>(f);
      EXPECT_EQ(viewed_.ReadField(Value::Int(field)), by_field[f - 1]) << index << " " << f;
      if (db.fields()[f - 1].type == FieldType::kText) {
        EXPECT_EQ(viewed_.CurrentText(field), by_field[f - 1].AsText()) << index << " " << f;
      }
    }
    EXPECT_EQ(db.NumberOfCurrent(4), by_field[4].AsDouble());
    if (index == 3) {
      EXPECT_TRUE(viewed_.WriteField(Value::Int(1), Value::OfText("rewritten")));
      EXPECT_EQ(viewed_.CurrentText(1), "rewritten");
      EXPECT_EQ(viewed_.ReadField(Value::Int(1)), Value::OfText("rewritten"));
    }
    ++checked;
    return true;
  }));
  EXPECT_EQ(checked, kRecords);
}

// A file of more than 8 MB is made ready for its first walk on another
// thread from the moment it is opened. A walk at once, a file closed at
// once and a file cut short behind the desk's back while that thread is at
// work must all go as they go without it.
TEST_F(ScanViewTest, ABigFileMadeReadyAheadWalksAsItIsRead) {
  constexpr std::int32_t kBig = 2300;  // records of about 4 KB: 9.4 MB
  Append(viewed_, kRecords, kBig - kRecords);
  ASSERT_GT(FileSize(path_), std::uint64_t{8} << 20);
  const Walk read = WalkAsCurrent(read_);
  ASSERT_EQ(read.visited.size(), static_cast<std::size_t>(kBig));
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    {
      DatabaseList closed_at_once;
      ASSERT_TRUE(closed_at_once.OpenDatabase(OpenArgs(path_, "ledger", kPassword)));
    }
    DatabaseList fresh;
    ASSERT_TRUE(fresh.OpenDatabase(OpenArgs(path_, "ledger", kPassword)));
    ExpectSameWalk(WalkAsCurrent(fresh), read);
  }
  const std::vector<std::uint8_t> whole = FileBytes(path_);
  for (std::int32_t left : {kBig / 2, 10}) {
    SCOPED_TRACE(left);
    DatabaseList fresh;
    ASSERT_TRUE(fresh.OpenDatabase(OpenArgs(path_, "ledger", kPassword)));
    std::filesystem::resize_file(FsPath(path_), RecordEnd(left));
    const Walk viewed = WalkAsCurrent(fresh);
    EXPECT_FALSE(viewed.complete);
    EXPECT_EQ(viewed.error, error::kReadRecordFailed);
    EXPECT_EQ(viewed.visited.size(), static_cast<std::size_t>(left));
    WriteFileBytes(path_, whole);
  }
}

TEST_F(ScanViewTest, RecordsAnotherOpenerAppendsBetweenWalksAreReadWhole) {
  std::int32_t count = kRecords;
  // Within the room the view leaves, then far beyond it.
  for (std::int32_t grown : {1, 20, 400}) {
    SCOPED_TRACE(grown);
    WalkAsCurrent(viewed_);
    Append(read_, count, grown);
    count += grown;
    const Walk viewed = WalkAsCurrent(viewed_);
    ASSERT_EQ(viewed.visited.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(viewed.fields.back()[0], Value::OfText(Numbered("n", count - 1)));
    ExpectSameWalk(viewed, WalkAsCurrent(read_));
  }
}

// A file cut short behind the desk's back, after a walk has viewed it whole:
// the view still reaches over the bytes that are gone, which must never be
// touched.
TEST_F(ScanViewTest, AFileShorterThanItsCountEndsTheWalkAsAReadDoes) {
  const std::vector<std::uint8_t> whole = FileBytes(path_);
  const std::uint64_t half_record =
      static_cast<std::uint64_t>(viewed_.current()->record_size()) / 2;
  struct Cut {
    std::int32_t records_left;
    std::uint64_t extra_bytes;
  };
  for (const Cut cut :
       {Cut{0, 0}, Cut{1, 0}, Cut{8, half_record}, Cut{150, 0}, Cut{kRecords - 1, half_record}}) {
    SCOPED_TRACE(cut.records_left);
    WriteFileBytes(path_, whole);
    ASSERT_TRUE(WalkAsCurrent(viewed_).complete);
    std::filesystem::resize_file(FsPath(path_), RecordEnd(cut.records_left) + cut.extra_bytes);
    const Walk viewed = WalkAsCurrent(viewed_);
    EXPECT_FALSE(viewed.complete);
    EXPECT_EQ(viewed.error, error::kReadRecordFailed);
    EXPECT_EQ(viewed.visited.size(), static_cast<std::size_t>(cut.records_left));
    ExpectSameWalk(viewed, WalkAsCurrent(read_));
  }
}

TEST_F(ScanViewTest, AnotherProcesssRecordLockEndsTheWalkAtThatRecord) {
  WalkAsCurrent(viewed_);
  for (std::int32_t held : {0, 1, 7, 150, kRecords - 1}) {
    SCOPED_TRACE(held);
    ChildProcess child("HoldLockBody", HoldLock(path_, RecordEnd(held), 1));
    ASSERT_EQ(child.channel().Receive(), 'H');
    const Walk viewed = WalkAsCurrent(viewed_);
    EXPECT_FALSE(viewed.complete);
    EXPECT_EQ(viewed.error, error::kLockViolation);
    EXPECT_EQ(viewed.visited.size(), static_cast<std::size_t>(held));
    ExpectSameWalk(viewed, WalkAsCurrent(read_));
    child.channel().Send('R');
    EXPECT_EQ(child.Wait(), 0);
  }
}

// A visit that purges records (nothing the desk's lists do, but nothing
// keeps a caller from it) cuts the file under the walk: the walk ends
// before the first record that is gone, whether that lies in the batch
// being viewed or in a later one. Batches here are 8, 16, 32, then 40
// records: [56, 96) is being viewed when record 70 purges, [8, 24) when
// record 10 does.
TEST_F(ScanViewTest, APurgeDuringAVisitEndsTheWalkBeforeTheRecordsItCut) {
  const std::string long_values = LongValueFileName(path_);
  const std::vector<std::uint8_t> whole = FileBytes(path_);
  const std::vector<std::uint8_t> whole_long_values = FileBytes(long_values);
  struct Purge {
    std::int32_t at;
    std::int32_t kept;
  };
  for (const Purge purge : {Purge{70, 80}, Purge{10, 50}}) {
    SCOPED_TRACE(purge.at);
    WriteFileBytes(path_, whole);
    WriteFileBytes(long_values, whole_long_values);
    ASSERT_TRUE(WalkAsCurrent(viewed_).complete);
    Walk viewed;
    viewed.complete = viewed_.ScanAsCurrent([&](std::int32_t index) {
      viewed.visited.push_back(index);
      if (index == purge.at) {
        EXPECT_TRUE(viewed_.DeleteRecord(Value::OfCondition([&] {
          return Value::Bool(viewed_.ReadField(Value::Int(2)).AsInt64() >= purge.kept);
        })));
        EXPECT_TRUE(viewed_.PurgeDeleted());
      }
      viewed_.ReadField(Value::Int(4));
      return true;
    });
    EXPECT_FALSE(viewed.complete);
    EXPECT_EQ(LastError(), error::kReadRecordFailed);
    EXPECT_EQ(viewed.visited.size(), static_cast<std::size_t>(purge.kept));
    EXPECT_EQ(FileSize(path_), RecordEnd(purge.kept));
    EXPECT_EQ(WalkAsCurrent(viewed_).visited.size(), static_cast<std::size_t>(purge.kept));
  }
}

}  // namespace
}  // namespace store
