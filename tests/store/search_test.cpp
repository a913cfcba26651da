#include <gtest/gtest.h>

#include "faulty_file.h"
#include "platform/headless/headless.h"
#include "store/database_list.h"
#include "store_test_util.h"
#include "tests/support/expect_report.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathIn(dir_, "book.ldg");
    ASSERT_EQ(
        CreateDataFile(path_,
                       {Field("name", FieldType::kText, 12), Field("note", FieldType::kLongText),
                        Field("blob", FieldType::kByteSet)},
                       kPassword),
        0);
    ASSERT_TRUE(list_.OpenDatabase(OpenArgs(path_, "book", kPassword)));
  }
  void Fill(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      std::vector<Value> values = {Value::OfText(name), Value::OfText(name + " note"),
                                   Value::OfBytes(std::vector<std::uint8_t>(name.size() * 300, 1))};
      ASSERT_TRUE(list_.AppendRecord(values));
    }
  }
  // A condition on the name field of the record under test.
  Value NameIs(const std::string& name) {
    return Value::OfCondition([this, name] {
      ++evaluations_;
      return Value::Bool(list_.ReadField(Value::Int(1)) == Value::OfText(name));
    });
  }
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    std::int32_t count = list_.GetRecordCount();
    for (std::int32_t i = 1; i <= count; ++i) {
      list_.GoTo(i);
      out.push_back(list_.ReadField(Value::Int(1)).AsText());
    }
    return out;
  }
  std::vector<std::int32_t> Serials() {
    auto bytes = Deciphered(FileBytes(path_), kPassword);
    Database* db = list_.current();
    std::vector<std::int32_t> out;
    std::int32_t count = Int32At(bytes, 16);
    for (std::int32_t i = 0; i < count; ++i)
      out.push_back(
          Int32At(bytes, db->data_start() + static_cast<std::size_t>(i * db->record_size())));
    return out;
  }

  testing_support::TempDir dir_;
  std::string path_;
  DatabaseList list_;
  int evaluations_ = 0;
};

TEST_F(SearchTest, FindRecordStartsAtTheCursorAndStaysPutWhenNothingMatches) {
  Fill({"a", "b", "c", "b"});
  const struct {
    const char* why;
    std::int32_t start;  // GoTo number; 0 for before the first, 5 for past the end
    std::string name;
    bool found;
    std::int32_t number_after;
    int evaluations;
  } cases[] = {
      {"current record matches", 2, "b", true, 2, 1},
      {"next match", 3, "b", true, 4, 2},
      {"before the first starts at 1", 0, "a", true, 1, 1},
      {"no match from the first", 1, "z", false, 1, 4},
      {"no match from the middle", 3, "a", false, 3, 2},
      {"past the end", 5, "a", false, 5, 0},
  };
  for (const auto& c : cases) {
    list_.GoTo(c.start == 0 ? 1 : c.start);
    if (c.start == 0) list_.Skip(-1);
    if (c.start == 5) list_.Skip(1);
    evaluations_ = 0;
    EXPECT_EQ(list_.FindRecord(NameIs(c.name)), c.found) << c.why;
    EXPECT_EQ(LastError(), 0) << c.why;
    EXPECT_EQ(list_.GetRecordNumber(), c.number_after) << c.why;
    EXPECT_EQ(evaluations_, c.evaluations) << c.why;
  }
  // A second search finds the same record until the cursor moves on.
  list_.GoFirst();
  ASSERT_TRUE(list_.FindRecord(NameIs("b")));
  ASSERT_TRUE(list_.FindRecord(NameIs("b")));
  EXPECT_EQ(list_.GetRecordNumber(), 2);
  list_.Skip(1);
  ASSERT_TRUE(list_.FindRecord(NameIs("b")));
  EXPECT_EQ(list_.GetRecordNumber(), 4);
}

TEST_F(SearchTest, ConditionsSeeTheRecordUnderTestAndItsLongValues) {
  Fill({"a", "bb", "ccc"});
  std::vector<std::int32_t> numbers;
  Value by_long_values = Value::OfCondition([&] {
    numbers.push_back(list_.GetRecordNumber());
    return Value::Bool(list_.ReadField(Value::Int(2)) == Value::OfText("ccc note") &&
                       list_.ReadField(Value::Int(3)).AsBytes().size() == 900);
  });
  list_.GoFirst();
  EXPECT_TRUE(list_.FindRecord(by_long_values));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(list_.GetRecordNumber(), 3);
}

TEST_F(SearchTest, APlainBoolHoldsForEveryRecordOrNone) {
  Fill({"a", "b"});
  list_.GoFirst();
  EXPECT_FALSE(list_.FindRecord(Value::Bool(false)));
  EXPECT_TRUE(list_.FindRecord(Value::Bool(true)));
  EXPECT_EQ(list_.GetRecordNumber(), 1);
  EXPECT_TRUE(list_.DeleteRecord(Value::Bool(false)));
  EXPECT_EQ(Serials(), (std::vector<std::int32_t>{1, 2}));
}

TEST_F(SearchTest, DeleteWithAConditionMarksExactlyTheRecordsItHoldsFor) {
  Fill({"a", "b", "c", "b", "e"});
  list_.GoTo(3);
  EXPECT_TRUE(list_.DeleteRecord(NameIs("b")));
  EXPECT_EQ(list_.GetRecordNumber(), 3);
  EXPECT_EQ(Serials(), (std::vector<std::int32_t>{1, -2, 3, -4, 5}));
  EXPECT_EQ(list_.GetRecordCount(), 5);
  // Marked records are tested again but stay marked once.
  EXPECT_TRUE(list_.DeleteRecord(Value::Bool(true)));
  EXPECT_EQ(Serials(), (std::vector<std::int32_t>{-1, -2, -3, -4, -5}));
}

TEST_F(SearchTest, DeleteTwicePurgeAndTheSerialNumbersGoOn) {
  Fill({"a", "b", "c"});
  list_.GoTo(2);
  EXPECT_TRUE(list_.DeleteRecord());
  EXPECT_TRUE(list_.DeleteRecord());
  EXPECT_EQ(Serials(), (std::vector<std::int32_t>{1, -2, 3}));
  EXPECT_EQ(list_.GetRecordNumber(), 2);
  EXPECT_TRUE(list_.PurgeDeleted());
  EXPECT_EQ(list_.GetRecordCount(), 2);
  EXPECT_EQ(list_.GetRecordNumber(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
  Fill({"d"});
  EXPECT_EQ(Serials(), (std::vector<std::int32_t>{1, 3, 4}));
  // The file holds exactly the records left.
  Database* db = list_.current();
  EXPECT_EQ(FileSize(path_), db->data_start() + 3u * static_cast<std::uint64_t>(db->record_size()));
}

TEST_F(SearchTest, PurgeReleasesTheLongValuesOfWhatItDrops) {
  Fill({"aa", "b"});  // blocks 1-2 for "aa"'s byte set, then more
  const std::string long_path = PathIn(dir_, "book.lgt");
  const std::uint64_t before = FileSize(long_path);
  list_.GoTo(2);
  ASSERT_TRUE(list_.DeleteRecord());
  ASSERT_TRUE(list_.PurgeDeleted());
  // Record 2's values were at the end of the file: it shrinks.
  EXPECT_LT(FileSize(long_path), before);
  list_.GoFirst();
  EXPECT_EQ(list_.ReadField(Value::Int(2)), Value::OfText("aa note"));
  EXPECT_EQ(list_.ReadField(Value::Int(3)).AsBytes().size(), 600u);
  list_.GoFirst();
  ASSERT_TRUE(list_.DeleteRecord());
  ASSERT_TRUE(list_.PurgeDeleted());
  EXPECT_EQ(FileSize(long_path), 512u);
}

TEST_F(SearchTest, PurgeKeepsTheOrderAcrossBatches) {
  // Records of 60 KB: two to a batch.
  std::string path = PathIn(dir_, "wide.ldg");
  ASSERT_EQ(CreateDataFile(
                path, {Field("n", FieldType::kInt), Field("pad", FieldType::kText, 60000)}, ""),
            0);
  ASSERT_TRUE(list_.OpenDatabase(OpenArgs(path)));
  for (int i = 1; i <= 9; ++i) {
    Value v = Value::Int(i);
    ASSERT_TRUE(list_.AppendRecord(std::span(&v, 1)));
  }
  for (int i : {2, 3, 4, 8}) {
    list_.GoTo(i);
    ASSERT_TRUE(list_.DeleteRecord());
  }
  ASSERT_TRUE(list_.PurgeDeleted());
  std::vector<std::int32_t> left;
  for (list_.GoFirst(); !list_.IsPastEnd(); list_.Skip(1))
    left.push_back(static_cast<std::int32_t>(list_.ReadField(Value::Int(1)).AsInt64()));
  EXPECT_EQ(left, (std::vector<std::int32_t>{1, 5, 6, 7, 9}));
}

// Purging through a data file that fails part-way.
class PurgeFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathIn(dir_, "wide.ldg");
    ASSERT_EQ(CreateDataFile(path_,
                             {Field("n", FieldType::kInt), Field("pad", FieldType::kText, 60000),
                              Field("blob", FieldType::kByteSet)},
                             ""),
              0);
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
    for (int i = 1; i <= 9; ++i) {
      std::vector<Value> values = {
          Value::Int(i), Value::OfText("p"),
          Value::OfBytes(std::vector<std::uint8_t>(10, static_cast<std::uint8_t>(i)))};
      ASSERT_TRUE(list.AppendRecord(values));
    }
    for (int i : {2, 5, 8}) {
      list.GoTo(i);
      ASSERT_TRUE(list.DeleteRecord());
    }
  }
  // The live records' numbers and byte sets, in file order.
  std::vector<std::pair<std::int32_t, std::uint8_t>> Live() {
    DatabaseList list;
    EXPECT_TRUE(list.OpenDatabase(OpenArgs(path_)));
    auto bytes = FileBytes(path_);
    Database* db = list.current();
    std::vector<std::pair<std::int32_t, std::uint8_t>> out;
    std::int32_t count = list.GetRecordCount();
    for (std::int32_t i = 0; i < count; ++i) {
      if (Int32At(bytes, db->data_start() + static_cast<std::size_t>(i * db->record_size())) <= 0)
        continue;
      list.GoTo(i + 1);
      auto blob = list.ReadField(Value::Int(3)).AsBytes();
      out.emplace_back(static_cast<std::int32_t>(list.ReadField(Value::Int(1)).AsInt64()),
                       blob.empty() ? 0 : blob[0]);
    }
    return out;
  }
  void PurgeWith(const Faults& faults, ErrorNumber expected) {
    auto shared = std::make_shared<Faults>(faults);
    DatabaseList list(FaultyOpener(shared));
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
    // The faults count from the purge on: the open reads the records too.
    if (shared->fail_read > 0) shared->fail_read += shared->reads_seen;
    if (shared->fail_write > 0) shared->fail_write += shared->writes_seen;
    EXPECT_FALSE(list.PurgeDeleted());
    EXPECT_EQ(LastError(), expected);
    EXPECT_EQ(list.GetRecordCount(), 9);
  }

  const std::vector<std::pair<std::int32_t, std::uint8_t>> survivors_ = {{1, 1}, {3, 3}, {4, 4},
                                                                         {6, 6}, {7, 7}, {9, 9}};
  testing_support::TempDir dir_;
  std::string path_;
};

TEST_F(PurgeFailureTest, AReadFailurePartWayLosesNothing) {
  const std::uint64_t size = FileSize(path_);
  // Batch reads are 120 KB; the third fails for good.
  Faults faults;
  faults.fail_read = 3;
  faults.min_read_size = 100000;
  faults.sticky = true;
  PurgeWith(faults, error::kHardware);
  EXPECT_EQ(FileSize(path_), size);
  EXPECT_EQ(Live(), survivors_);
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_)));
  ASSERT_TRUE(list.PurgeDeleted());
  EXPECT_EQ(Live(), survivors_);
  EXPECT_EQ(list.GetRecordCount(), 6);
}

TEST_F(PurgeFailureTest, AWriteFailurePartWayLosesNothing) {
  const std::uint64_t size = FileSize(path_);
  Faults faults;
  faults.fail_write = 2;
  faults.min_write_size = 60000;
  faults.sticky = true;
  PurgeWith(faults, error::kHardware);
  EXPECT_EQ(FileSize(path_), size);
  auto live = Live();
  for (const auto& survivor : survivors_)
    EXPECT_NE(std::find(live.begin(), live.end(), survivor), live.end()) << survivor.first;
}

TEST_F(PurgeFailureTest, AFileShorterThanItsCountIsLeftAlone) {
  DatabaseList list;
  OpenArguments args = OpenArgs(path_);
  ASSERT_TRUE(list.OpenDatabase(args));
  auto bytes = FileBytes(path_);
  bytes.resize(bytes.size() - 100);
  WriteFileBytes(path_, bytes);
  EXPECT_FALSE(list.PurgeDeleted());
  EXPECT_EQ(LastError(), error::kReadRecordFailed);
  EXPECT_EQ(FileBytes(path_), bytes);
}

class SearchDeathTest : public SearchTest {};

TEST_F(SearchDeathTest, AConditionThatIsNotLogicalEndsTheProgram) {
  Fill({"a"});
  auto expect_report = [&](const Value& condition, bool delete_instead) {
    testing_support::ExpectRuntimeErrorReport(
        [&] {
          list_.GoFirst();
          if (delete_instead)
            list_.DeleteRecord(condition);
          else
            list_.FindRecord(condition);
        },
        "用作进行条件判断的子语句参数只能接受逻辑型数据");
  };
  expect_report(Value::OfCondition([] { return Value::Int(1); }), false);
  expect_report(Value::OfCondition([] { return Value::OfText("x"); }), true);
  expect_report(Value::Int(1), false);
}

TEST_F(SearchDeathTest, ANonConditionEndsTheProgramAlsoOnAnEmptyFile) {
  for (bool delete_instead : {false, true}) {
    testing_support::ExpectRuntimeErrorReport(
        [&] {
          if (delete_instead)
            list_.DeleteRecord(Value::OfText("x"));
          else
            list_.FindRecord(Value::Int(1));
        },
        "用作进行条件判断的子语句参数只能接受逻辑型数据");
  }
}

}  // namespace
}  // namespace store
