// The one-pass walk over a data file that list fills use: what it hands
// over, and that its batched locks meet another process's locks where the
// locks of a search taken record by record would.
#include <gtest/gtest.h>

#include "child_process.h"
#include "store/database_list.h"
#include "store_test_util.h"

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
// and holds it until it receives 'R'.
std::function<int(Channel&)> HoldLock(const std::string& path, std::uint64_t offset,
                                      std::uint64_t length) {
  return [path, offset, length](Channel& channel) {
    platform::OpenedFile opened = platform::OpenFile(path, platform::FileAccess::kReadWrite,
                                                     platform::FileSharing::kShareAll);
    if (!opened.file) return 1;
    if (opened.file->Lock(offset, length) != platform::FileError::kNone) return 2;
    channel.Send('H');
    return channel.Receive() == 'R' ? 0 : 3;
  };
}

TEST_F(ScanTest, AnotherProcesssRecordLockEndsTheScanAtThatRecordAsItEndsASearch) {
  for (std::int32_t held : {0, 1, 7, 150, kRecords - 1}) {
    SCOPED_TRACE(held);
    ChildProcess child(HoldLock(path_, FirstByteOf(held), 1));
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
  ChildProcess child(HoldLock(path_, 16, 1));
  ASSERT_EQ(child.channel().Receive(), 'H');
  EXPECT_TRUE(Visited().empty());
  EXPECT_EQ(LastError(), error::kLockViolation);
  child.channel().Send('R');
  EXPECT_EQ(child.Wait(), 0);
}

TEST_F(ScanTest, LeavesNoLockBehindEvenWhenStoppedOrRefusedPartWay) {
  list_.ScanRecords([](std::int32_t index, std::span<const std::uint8_t>) { return index < 20; });
  {
    ChildProcess child(HoldLock(path_, FirstByteOf(100), 1));
    ASSERT_EQ(child.channel().Receive(), 'H');
    Visited();
    child.channel().Send('R');
    EXPECT_EQ(child.Wait(), 0);
  }
  // The whole file can be locked by another process afterwards.
  ChildProcess child(HoldLock(path_, 0, kWholeFileLockLength));
  EXPECT_EQ(child.channel().Receive(), 'H');
  child.channel().Send('R');
  EXPECT_EQ(child.Wait(), 0);
}

}  // namespace
}  // namespace store
