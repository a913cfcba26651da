// A purge cut short while it moves records down: by a failing write, by a
// kill (the file as a kill leaves it is built by hand), or in another
// process while this one has the file open. Every live record ends up in
// the file exactly once, with its values, and the files pass the check.
#include <gtest/gtest.h>

#include <map>

#include "faulty_file.h"
#include "store/database_list.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

constexpr int kRecords = 40;

std::string Name(int i) {
  std::string name = "r";
  name += std::to_string(i);
  return name;
}
std::string Note(int i) {
  return std::string(static_cast<std::size_t>(300 + i * 37), 'a' + i % 26);
}

class PurgeCutShortTest : public ::testing::Test {
 protected:
  // Records r0 ... r39 with a long note each; every third one deleted.
  void SetUp() override {
    ASSERT_EQ(
        CreateDataFile(
            path_, {Field("单号", FieldType::kText, 16), Field("备注", FieldType::kLongText)}, ""),
        0);
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
    for (int i = 0; i < kRecords; ++i) {
      const Value values[] = {Value::OfText(Name(i)), Value::OfText(Note(i))};
      ASSERT_TRUE(list.AppendRecord(values));
    }
    for (int i = 0; i < kRecords; i += 3) {
      list.GoTo(i + 1);
      ASSERT_TRUE(list.DeleteRecord());
    }
    record_size_ = list.current()->record_size();
    data_start_ = list.current()->data_start();
  }

  // Every record not deleted is there once, with its note; the deleted
  // ones are there at most once; the files pass the check.
  void ExpectSound(DatabaseList& list, const std::string& label) {
    VerifyResult verified = VerifyDatabase(*list.current());
    EXPECT_TRUE(verified.problems.empty()) << label << ": " << verified.problems.front();
    std::map<std::string, int> copies;
    const std::int32_t count = list.GetRecordCount();
    for (std::int32_t number = 1; number <= count; ++number) {
      list.GoTo(number);
      std::int32_t serial = 0;
      list.current()->ReadSerial(number - 1, serial);
      const std::string name = list.ReadField(Value::Int(1)).AsText();
      if (name.empty() || name == "later") continue;  // a dropped copy, or appended later
      ++copies[name];
      if (serial > 0) {
        EXPECT_EQ(list.ReadField(Value::Int(2)), Value::OfText(Note(std::stoi(name.substr(1)))))
            << label << ": " << name;
      }
    }
    for (int i = 0; i < kRecords; ++i) {
      if (i % 3 == 0)
        EXPECT_LE(copies[Name(i)], 1) << label << ": " << Name(i);
      else
        EXPECT_EQ(copies[Name(i)], 1) << label << ": " << Name(i);
    }
  }

  std::uint64_t Offset(std::int32_t index) const {
    return data_start_ + static_cast<std::uint64_t>(index) * record_size_;
  }

  testing_support::TempDir dir_;
  std::string path_ = PathIn(dir_, "book.ldg");
  std::size_t record_size_ = 0;
  std::uint64_t data_start_ = 0;
};

// The write that moves the survivors down (the only one as large) fails.
TEST_F(PurgeCutShortTest, AFailedMoveLeavesEveryRecordOnce) {
  const struct {
    WriteFault fault;
    bool sticky;
    const char* name;
  } cases[] = {{WriteFault::kShortWrite, false, "short write"},
               {WriteFault::kNothing, false, "failed write"},
               {WriteFault::kDiskFull, true, "full disk"}};
  const std::string long_path = PathIn(dir_, "book.lgt");
  const std::vector<std::uint8_t> original = FileBytes(path_);
  const std::vector<std::uint8_t> original_long = FileBytes(long_path);
  for (const auto& c : cases) {
    WriteFileBytes(path_, original);
    WriteFileBytes(long_path, original_long);
    auto faults = std::make_shared<Faults>();
    faults->fail_write = 1;
    faults->min_write_size = record_size_ * 10;
    faults->write_fault = c.fault;
    faults->sticky = c.sticky;
    {
      DatabaseList list(FaultyOpener(faults));
      ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
      EXPECT_FALSE(list.PurgeDeleted()) << c.name;
      // Unless every write fails, the purge settles what it left at once.
      if (!c.sticky) ExpectSound(list, std::string(c.name) + ", same process");
      faults->fail_write = 0;
      faults->sticky = false;
      // Once the disk works again, the next append settles it first.
      const Value values[] = {Value::OfText("later")};
      EXPECT_TRUE(list.AppendRecord(values)) << c.name;
      ExpectSound(list, std::string(c.name) + ", after an append");
    }
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
    ExpectSound(list, std::string(c.name) + ", reopened");
    ASSERT_TRUE(list.PurgeDeleted()) << c.name;
    EXPECT_EQ(list.GetRecordCount(), kRecords - (kRecords + 2) / 3 + 1) << c.name;
    ExpectSound(list, std::string(c.name) + ", purged");
  }
}

// What a kill in the middle of the move leaves: the mark after the counted
// records, r1 and r2 moved down over r0, and the copy of r4 into r2's old
// place torn half-way.
void LeaveAKilledMove(std::vector<std::uint8_t>& bytes, std::uint64_t data_start,
                      std::size_t record_size, std::int32_t count) {
  auto at = [&](std::int32_t index) {
    return bytes.begin() + static_cast<std::ptrdiff_t>(data_start + index * record_size);
  };
  const std::vector<std::uint8_t> r1(at(1), at(2)), r2(at(2), at(3)), r4(at(4), at(5));
  bytes.resize(bytes.size() + record_size, 0);  // the mark
  std::copy(r1.begin(), r1.end(), at(0));
  std::copy(r2.begin(), r2.end(), at(1));
  std::copy(r4.begin(), r4.begin() + static_cast<std::ptrdiff_t>(record_size / 2), at(2));
  ASSERT_EQ(bytes.size(), data_start + (count + 1) * record_size);
}

TEST_F(PurgeCutShortTest, TheNextOpenDropsTheCopiesAKilledMoveLeft) {
  PatchFile(path_, "", [&](std::vector<std::uint8_t>& bytes) {
    LeaveAKilledMove(bytes, data_start_, record_size_, kRecords);
  });
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
  EXPECT_EQ(FileSize(path_), Offset(kRecords));  // the mark is gone
  ExpectSound(list, "reopened");
  // The earlier copies are blank deleted records now: the next purge
  // removes them with the deleted ones.
  ASSERT_TRUE(list.PurgeDeleted());
  ExpectSound(list, "purged");
  EXPECT_EQ(list.GetRecordCount(), kRecords - (kRecords + 2) / 3);
}

TEST_F(PurgeCutShortTest, AMarkAnotherProcessLeftIsSettledBeforeTheNextAppend) {
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
  // Meanwhile another process's purge was killed part-way.
  PatchFile(path_, "", [&](std::vector<std::uint8_t>& bytes) {
    LeaveAKilledMove(bytes, data_start_, record_size_, kRecords);
  });
  const Value values[] = {Value::OfText("later")};
  ASSERT_TRUE(list.AppendRecord(values));
  EXPECT_EQ(list.GetRecordCount(), kRecords + 1);
  list.GoTo(kRecords + 1);
  EXPECT_EQ(list.ReadField(Value::Int(1)), Value::OfText("later"));
  ExpectSound(list, "after the append");
}

// A whole record of zeros beyond the count that no purge left (say, from a
// disk that zero-filled an append's block) only costs a look for copies.
TEST_F(PurgeCutShortTest, AMarkWithoutCopiesChangesNothingButTheLength) {
  const std::vector<std::uint8_t> before = FileBytes(path_);
  std::vector<std::uint8_t> marked = before;
  marked.resize(marked.size() + record_size_, 0);
  WriteFileBytes(path_, marked);
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
  EXPECT_EQ(FileBytes(path_), before);
}

// An append whose count reached the file but whose next serial did not (the
// second half of the header write lost): the next append still gets a
// serial of its own, so no two records can be taken for copies of one.
TEST_F(PurgeCutShortTest, ATornCountWriteDoesNotHandTheSameSerialOutTwice) {
  auto faults = std::make_shared<Faults>();
  faults->fail_write = 2;  // the record, then the count and next serial
  faults->write_fault = WriteFault::kShortWrite;
  DatabaseList list(FaultyOpener(faults));
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
  EXPECT_FALSE(list.AppendRecord());
  ASSERT_TRUE(list.AppendRecord());
  const std::int32_t count = list.GetRecordCount();
  ASSERT_EQ(count, kRecords + 2);
  std::int32_t torn = 0, next = 0;
  list.current()->ReadSerial(count - 2, torn);
  list.current()->ReadSerial(count - 1, next);
  EXPECT_EQ(torn, kRecords + 1);
  EXPECT_EQ(next, kRecords + 2);
}

}  // namespace
}  // namespace store
