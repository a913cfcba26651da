// A long value rewritten over several blocks is either the old value or the
// new one whatever write a killed process last made, and the blocks such a
// process leaves to nothing go back to the free list at the next open.
#include <gtest/gtest.h>

#include <cstdio>

#include "faulty_file.h"
#include "store/database_list.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

Value Bytes(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return Value::OfBytes(bytes);
}

class LongValueRewrite : public ::testing::Test {
 protected:
  // Record 1 holds a value of four blocks; record 2's value was emptied,
  // so one block is free; record 3 keeps the file from being trimmed.
  void SetUp() override {
    ASSERT_EQ(CreateDataFile(path_, {Field("n", FieldType::kInt), Field("v", FieldType::kByteSet)},
                             kPassword),
              0);
    {
      DatabaseList list;
      ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_, "", kPassword)));
      ASSERT_TRUE(list.AppendRecord(std::vector<Value>{Value::Int(1), old_value_}));
      ASSERT_TRUE(list.AppendRecord(std::vector<Value>{Value::Int(2), Bytes(400, 9)}));
      ASSERT_TRUE(list.AppendRecord(std::vector<Value>{Value::Int(3), Bytes(10, 5)}));
      ASSERT_TRUE(list.GoTo(2) && list.WriteField(Value::Int(2), Value::OfBytes({})));
    }
    data_ = FileBytes(path_);
    long_ = FileBytes(long_path_);
  }

  // Rewrites record 1 with writes from `fail_from` on (counted from the
  // rewrite's first) failing and reaching nothing, as if the process had
  // been killed just before it; returns the rewrite's writes.
  int Rewrite(int fail_from, bool data_file_only = false) {
    WriteFileBytes(path_, data_);
    WriteFileBytes(long_path_, long_);
    auto faults = std::make_shared<Faults>();
    faults->write_fault = WriteFault::kNothing;
    faults->sticky = true;
    DatabaseList list(FaultyOpener(faults, !data_file_only));
    EXPECT_TRUE(list.OpenDatabase(OpenArgs(path_, "", kPassword)));
    const int before = faults->writes_seen;
    if (fail_from > 0) faults->fail_write = before + fail_from;
    EXPECT_TRUE(list.GoTo(1));
    list.WriteField(Value::Int(2), new_value_);
    return faults->writes_seen - before;
  }

  VerifyResult Verified(DatabaseList& list) { return VerifyDatabase(*list.current()); }

  testing_support::TempDir dir_;
  std::string path_ = PathIn(dir_, "报表库.ldg");
  std::string long_path_ = NewLongValueFileName(path_);
  std::vector<std::uint8_t> data_, long_;
  const Value old_value_ = Bytes(1700, 1);
  const Value new_value_ = Bytes(2100, 2);
};

TEST_F(LongValueRewrite, AKillAtAnyWriteLeavesTheOldValueOrTheNew) {
  const int writes = Rewrite(0);
  ASSERT_GT(writes, 5);
  int old_kept = 0, new_kept = 0;
  for (int kill = 1; kill <= writes + 1; ++kill) {
    Rewrite(kill);
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_, "", kPassword))) << LastError();
    ASSERT_TRUE(list.GoTo(1));
    const Value value = list.ReadField(Value::Int(2));
    EXPECT_TRUE(value == old_value_ || value == new_value_) << "killed before write " << kill;
    (value == old_value_ ? old_kept : new_kept) += 1;
    ASSERT_TRUE(list.GoTo(3));
    EXPECT_EQ(list.ReadField(Value::Int(2)), Bytes(10, 5)) << "killed before write " << kill;
    VerifyResult verified = Verified(list);
    EXPECT_TRUE(verified.problems.empty())
        << "killed before write " << kill << ": " << verified.problems.front();
    // Blocks the killed rewrite had taken are free again.
    EXPECT_TRUE(verified.notes.empty())
        << "killed before write " << kill << ": " << verified.notes.front();
  }
  EXPECT_GT(old_kept, 0);
  EXPECT_GT(new_kept, 0);
  std::printf("rewrite of %d writes killed before each: %d kept the old value, %d the new\n",
              writes, old_kept, new_kept);
}

TEST_F(LongValueRewrite, BlocksLeftToNothingAreFreedAtTheNextReadWriteOpen) {
  // The data file refuses the reference: the new chain is written but
  // nothing refers to it.
  Rewrite(1, true);
  {
    OpenArguments args = OpenArgs(path_, "", kPassword);
    args.read_only = true;
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(args));
    ASSERT_TRUE(list.GoTo(1));
    EXPECT_EQ(list.ReadField(Value::Int(2)), old_value_);
    EXPECT_EQ(Verified(list).notes.size(), 1u);
  }
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_, "", kPassword)));
  VerifyResult verified = Verified(list);
  EXPECT_TRUE(verified.problems.empty());
  EXPECT_TRUE(verified.notes.empty());
  // The blocks appended at the end are cut off again.
  EXPECT_EQ(FileSize(long_path_), long_.size());
  ASSERT_TRUE(list.GoTo(1));
  EXPECT_EQ(list.ReadField(Value::Int(2)), old_value_);
  ASSERT_TRUE(list.WriteField(Value::Int(2), new_value_));
  EXPECT_EQ(list.ReadField(Value::Int(2)), new_value_);
}

}  // namespace
}  // namespace store

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

// Serial numbers the file could never have written make the check fail;
// a delete mark written only in part and the blank copies of a purge cut
// short do not.
TEST(VerifySerials, RecordsTheFileNeverWroteAreProblems) {
  testing_support::TempDir dir;
  const std::string path = PathIn(dir, "流水账.ldg");
  ASSERT_EQ(CreateDataFile(path, {Field("n", FieldType::kInt)}, kPassword), 0);
  std::size_t data_start = 0, record_size = 0;
  {
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path, "", kPassword)));
    for (int n = 1; n <= 3; ++n) ASSERT_TRUE(list.AppendRecord(std::vector<Value>{Value::Int(n)}));
    data_start = list.current()->data_start();
    record_size = static_cast<std::size_t>(list.current()->record_size());
  }
  const std::vector<std::uint8_t> sound = FileBytes(path);
  auto check = [&](std::size_t record, std::int32_t serial) {
    WriteFileBytes(path, sound);
    PatchFile(path, kPassword, [&](std::vector<std::uint8_t>& bytes) {
      PutInt32(bytes, data_start + record * record_size, serial);
    });
    OpenArguments args = OpenArgs(path, "", kPassword);
    args.read_only = true;
    DatabaseList list;
    EXPECT_TRUE(list.OpenDatabase(args));
    return VerifyDatabase(*list.current());
  };
  EXPECT_TRUE(check(1, 2).problems.empty());
  EXPECT_TRUE(check(1, -2).problems.empty());
  EXPECT_EQ(check(1, 4).problems.size(), 1u);   // not below the next serial
  EXPECT_EQ(check(1, -9).problems.size(), 1u);  // nor when deleted
  EXPECT_EQ(check(2, 1).problems.size(), 1u);   // not above the one before
  EXPECT_EQ(check(2, -2).problems.size(), 1u);
  // -3 of which only the first two bytes reached the disk.
  VerifyResult torn = check(2, 0x0000FFFD);
  EXPECT_TRUE(torn.problems.empty());
  EXPECT_EQ(torn.notes.size(), 1u);
}

// An append's count and next serial are one write; when only the count
// reached the disk, the next serial is the last record's own, which the
// next read-write open raises: the file then verifies.
TEST(VerifySerials, AnOpenRaisesTheNextSerialATornAppendLeftBehind) {
  testing_support::TempDir dir;
  const std::string path = PathIn(dir, "流水账.ldg");
  ASSERT_EQ(CreateDataFile(path, {Field("n", FieldType::kInt)}, kPassword), 0);
  {
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path, "", kPassword)));
    for (int n = 1; n <= 3; ++n) ASSERT_TRUE(list.AppendRecord(std::vector<Value>{Value::Int(n)}));
  }
  PatchFile(path, kPassword,
            [](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, kNextSerialOffset, 3); });
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path, "", kPassword)));
  VerifyResult verified = VerifyDatabase(*list.current());
  EXPECT_TRUE(verified.problems.empty()) << verified.problems.front();
}

}  // namespace
}  // namespace store
