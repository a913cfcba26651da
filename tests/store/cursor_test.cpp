#include <gtest/gtest.h>

#include <thread>

#include "store/database_list.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathIn(dir_, "book.ldg");
    ASSERT_EQ(CreateDataFile(path_, {Field("name", FieldType::kText, 16)}, ""), 0);
    ASSERT_TRUE(list_.OpenDatabase(OpenArgs(path_, "book")));
  }
  void AppendNamed(const std::string& name) {
    Value v = Value::OfText(name);
    ASSERT_TRUE(list_.AppendRecord(std::span(&v, 1)));
  }

  testing_support::TempDir dir_;
  std::string path_;
  DatabaseList list_;
};

TEST_F(CursorTest, AnEmptyFile) {
  EXPECT_TRUE(list_.IsPastEnd());
  EXPECT_EQ(list_.GetRecordNumber(), 1);
  EXPECT_TRUE(list_.GoLast());
  EXPECT_EQ(list_.GetRecordNumber(), 1);
  EXPECT_TRUE(list_.GoTo(5));
  EXPECT_EQ(list_.GetRecordNumber(), 1);
  EXPECT_FALSE(list_.Skip(1));
  EXPECT_EQ(LastError(), error::kPastLastRecord);
  EXPECT_FALSE(list_.Skip(-1));
  EXPECT_EQ(LastError(), error::kBeforeFirstRecord);
  Value value = list_.ReadField(Value::Int(1));
  EXPECT_EQ(LastError(), error::kBadSeek);
  EXPECT_EQ(value, Value::OfText(""));
  EXPECT_EQ(list_.GetRecordCount(), 0);
}

TEST_F(CursorTest, MovesAmongThreeRecords) {
  for (const char* name : {"a", "b", "c"}) AppendNamed(name);
  const struct {
    const char* step;
    std::function<bool()> move;
    bool ok;
    std::int32_t number;  // afterwards
    ErrorNumber error;
  } steps[] = {
      {"GoTo 0", [&] { return list_.GoTo(0); }, true, 1, 0},
      {"GoTo -4", [&] { return list_.GoTo(-4); }, true, 1, 0},
      {"GoTo 9", [&] { return list_.GoTo(9); }, true, 3, 0},
      {"Skip 1 from 3", [&] { return list_.Skip(1); }, true, 4, 0},
      {"Skip 1 past the end", [&] { return list_.Skip(1); }, false, 4, error::kPastLastRecord},
      {"GoFirst",
       [&] {
         list_.GoFirst();
         return true;
       },
       true, 1, 0},
      {"Skip -1 from 1", [&] { return list_.Skip(-1); }, true, 0, 0},
      {"Skip -1 before the start", [&] { return list_.Skip(-1); }, false, 0,
       error::kBeforeFirstRecord},
      {"Skip 0", [&] { return list_.Skip(0); }, true, 0, 0},
      {"Skip 2 from before the start", [&] { return list_.Skip(2); }, true, 2, 0},
      {"GoLast", [&] { return list_.GoLast(); }, true, 3, 0},
      {"Skip -5 from 3", [&] { return list_.Skip(-5); }, true, 0, 0},
      {"Skip 100", [&] { return list_.Skip(100); }, true, 4, 0},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(step.move(), step.ok) << step.step;
    EXPECT_EQ(LastError(), step.error) << step.step;
    EXPECT_EQ(list_.GetRecordNumber(), step.number) << step.step;
  }
  EXPECT_TRUE(list_.IsPastEnd());
  list_.GoTo(2);
  EXPECT_FALSE(list_.IsPastEnd());
  EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::OfText("b"));
  list_.Skip(-5);
  EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::OfText(""));
  EXPECT_EQ(LastError(), error::kNoCurrentRecord);
}

TEST_F(CursorTest, DeletedRecordsAreVisitedLikeAnyOther) {
  for (const char* name : {"a", "b"}) AppendNamed(name);
  list_.GoFirst();
  ASSERT_TRUE(list_.DeleteRecord());
  EXPECT_EQ(list_.GetRecordCount(), 2);
  EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::OfText("a"));
  EXPECT_TRUE(list_.WriteField(Value::Int(1), Value::OfText("a2")));
  EXPECT_TRUE(list_.Skip(1));
  EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::OfText("b"));
}

TEST_F(CursorTest, RecordsAppendedElsewhereAreSeenAtOnce) {
  DatabaseList other;
  ASSERT_TRUE(other.OpenDatabase(OpenArgs(path_)));
  ASSERT_TRUE(other.AppendRecord());
  ASSERT_TRUE(other.AppendRecord());
  EXPECT_EQ(list_.GetRecordCount(), 2);
  EXPECT_TRUE(list_.GoLast());
  EXPECT_EQ(list_.GetRecordNumber(), 2);
}

TEST_F(CursorTest, EachDatabaseKeepsItsOwnCursor) {
  AppendNamed("a");
  AppendNamed("b");
  std::string other = PathIn(dir_, "other.ldg");
  ASSERT_EQ(CreateDataFile(other, {Field("n", FieldType::kInt)}, ""), 0);
  ASSERT_TRUE(list_.OpenDatabase(OpenArgs(other, "other")));
  EXPECT_EQ(list_.GetRecordNumber(), 1);
  ASSERT_TRUE(list_.SelectDatabase("book"));
  EXPECT_EQ(list_.GetRecordNumber(), 2);  // left on the last appended record
}

TEST_F(CursorTest, SelectDatabasePrefersAliasesThenBaseNamesThenPathsNewestFirst) {
  // "book.ldg" is open as "book"; "x.ldg" is opened with the alias "Other",
  // "other.ldg" without alias, "y.ldg" with the alias "BOOK".
  auto make = [&](const std::string& name, const std::string& alias) {
    std::string path = PathIn(dir_, name);
    EXPECT_EQ(CreateDataFile(path, {Field("n", FieldType::kInt)}, ""), 0);
    EXPECT_TRUE(list_.OpenDatabase(OpenArgs(path, alias)));
    return list_.current();
  };
  Database* book = list_.current();
  Database* x = make("x.ldg", "Other");
  Database* other = make("other.ldg", "");
  Database* y = make("y.ldg", "BOOK");
  const struct {
    std::string name;
    Database* expected;
  } cases[] = {
      {"other", x},  // the alias beats the other file's base name
      {"OTHER", x},
      {"book", y},  // newest alias first
      {"x", x},
      {"Y", y},
      {platform::Utf8ToGbk(dir_.File("book.ldg")), book},
      {platform::Utf8ToGbk(dir_.File("other.ldg")), other},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(list_.SelectDatabase(c.name)) << c.name;
    EXPECT_EQ(list_.current(), c.expected) << c.name;
  }
  EXPECT_FALSE(list_.SelectDatabase("nothing"));
  EXPECT_EQ(LastError(), error::kNotOpen);
  EXPECT_FALSE(list_.SelectDatabase(""));
  EXPECT_EQ(LastError(), error::kNotOpen);
  EXPECT_EQ(list_.current(), other);
}

TEST(CursorWithoutDatabase, EveryCommandSaysSo) {
  DatabaseList list;
  EXPECT_EQ(list.GetRecordCount(), 0);
  EXPECT_EQ(LastError(), error::kNoCurrentDatabase);
  list.GoFirst();
  EXPECT_EQ(LastError(), error::kNoCurrentDatabase);
  EXPECT_FALSE(list.GoLast());
  EXPECT_FALSE(list.Skip(0));
  EXPECT_FALSE(list.GoTo(1));
  EXPECT_EQ(list.GetRecordNumber(), 0);
  EXPECT_EQ(LastError(), error::kNoCurrentDatabase);
  EXPECT_FALSE(list.IsPastEnd());
  EXPECT_EQ(LastError(), error::kNoCurrentDatabase);
  EXPECT_FALSE(list.AppendRecord());
  EXPECT_FALSE(list.DeleteRecord());
  EXPECT_FALSE(list.FindRecord(Value::Bool(true)));
  EXPECT_EQ(LastError(), error::kNoCurrentDatabase);
  EXPECT_FALSE(list.WriteField(Value::Int(1), Value::Int(1)));
  EXPECT_EQ(LastError(), error::kNotOpen);
  EXPECT_FALSE(list.PurgeDeleted());
  EXPECT_EQ(LastError(), error::kNoOpenDatabase);
}

TEST(LastError, IsKeptPerThread) {
  DatabaseList list;
  list.GoFirst();
  ASSERT_EQ(LastError(), error::kNoCurrentDatabase);
  ErrorNumber seen_elsewhere = -999;
  std::thread([&] { seen_elsewhere = LastError(); }).join();
  EXPECT_EQ(seen_elsewhere, 0);
  EXPECT_EQ(LastError(), error::kNoCurrentDatabase);
}

}  // namespace
}  // namespace store
