#include <gtest/gtest.h>

#include <cmath>

#include "platform/headless/headless.h"
#include "store/database_list.h"
#include "store/field_codec.h"
#include "store_test_util.h"
#include "tests/support/expect_report.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

std::vector<NewField> EveryType() {
  return {Field("b", FieldType::kByte),       Field("s", FieldType::kShort),
          Field("i", FieldType::kInt),        Field("l", FieldType::kLong),
          Field("f", FieldType::kFloat),      Field("d", FieldType::kDouble),
          Field("o", FieldType::kBool),       Field("t", FieldType::kDateTime),
          Field("p", FieldType::kSubroutine), Field("x", FieldType::kText, 10),
          Field("y", FieldType::kByteSet),    Field("z", FieldType::kLongText)};
}

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathIn(dir_, "all.ldg");
    ASSERT_EQ(CreateDataFile(path_, EveryType(), kPassword), 0);
    ASSERT_TRUE(list_.OpenDatabase(OpenArgs(path_, "all", kPassword)));
  }
  // The stored bytes of field `field` (1-based) of record `index`.
  std::vector<std::uint8_t> Stored(std::int32_t index, std::size_t field) {
    Database* db = list_.current();
    const FieldDescriptor& f = db->fields()[field - 1];
    auto bytes = Deciphered(FileBytes(path_), kPassword);
    std::size_t at = db->data_start() + static_cast<std::size_t>(index * db->record_size()) +
                     static_cast<std::size_t>(f.offset);
    return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
            bytes.begin() + static_cast<std::ptrdiff_t>(at) + f.StoredWidth()};
  }

  testing_support::TempDir dir_;
  std::string path_;
  DatabaseList list_;
};

TEST_F(FieldsTest, EveryTypeWrittenAndReadBackThroughThePassword) {
  ASSERT_TRUE(list_.AppendRecord());
  const std::vector<Value> values = {
      Value::Byte(200),
      Value::Short(-1234),
      Value::Int(-123456789),
      Value::Long(-1234567890123456789),
      Value::Float(1.5f),
      Value::Double(-0.1),
      Value::Bool(true),
      Value::DateTime(39569.5),
      Value::Subroutine(0x401000),
      Value::OfText(Gbk("张三")),
      Value::OfBytes({0, 1, 2, 255, 0}),
      Value::OfText(std::string(1234, 'q') + Gbk("长文本")),
  };
  for (std::size_t i = 0; i < values.size(); ++i)
    ASSERT_TRUE(list_.WriteField(Value::Int(static_cast<std::int32_t>(i + 1)), values[i])) << i;
  auto check = [&](DatabaseList& list) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(list.ReadField(Value::Int(static_cast<std::int32_t>(i + 1))), values[i]) << i;
      EXPECT_EQ(LastError(), 0);
    }
  };
  check(list_);
  DatabaseList again;
  ASSERT_TRUE(again.OpenDatabase(OpenArgs(path_, "", kPassword)));
  check(again);
}

TEST_F(FieldsTest, ABlankRecordReadsAsBlankValuesWithTheNextSerial) {
  ASSERT_TRUE(list_.AppendRecord());
  ASSERT_TRUE(list_.AppendRecord());
  EXPECT_EQ(list_.GetRecordNumber(), 2);
  for (std::size_t i = 0; i < 12; ++i) {
    Value v = list_.ReadField(Value::Int(static_cast<std::int32_t>(i + 1)));
    EXPECT_EQ(v, BlankValue(list_.current()->fields()[i].type)) << i;
  }
  auto bytes = Deciphered(FileBytes(path_), kPassword);
  Database* db = list_.current();
  EXPECT_EQ(Int32At(bytes, db->data_start()), 1);
  EXPECT_EQ(Int32At(bytes, db->data_start() + static_cast<std::size_t>(db->record_size())), 2);
  EXPECT_EQ(Int32At(bytes, 20), 3);  // next serial
}

TEST_F(FieldsTest, TextsAreCutOrTerminatedToTheirWidth) {
  ASSERT_TRUE(list_.AppendRecord());
  const struct {
    std::string text, read_back;
    std::vector<std::uint8_t> stored;
  } cases[] = {
      {"123456789", "123456789", {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0}},
      {"123456789012", "1234567890", {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'}},
      {"ab", "ab", {'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0}},
      // The cut does not care for double-byte characters.
      {Gbk("一二三四五六"), Gbk("一二三四五"), {}},
      {std::string("a\0b", 3), "a", {'a', 0, 'b', 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(list_.WriteField(Value::Int(10), Value::OfText(c.text)));
    EXPECT_EQ(list_.ReadField(Value::Int(10)), Value::OfText(c.read_back));
    if (!c.stored.empty()) {
      EXPECT_EQ(Stored(0, 10), c.stored);
    }
  }
}

TEST_F(FieldsTest, LongTextsEndAtTheirFirstZeroByteSetsDoNot) {
  ASSERT_TRUE(list_.AppendRecord());
  const std::string with_zero("ab\0cd", 5);
  ASSERT_TRUE(list_.WriteField(Value::Int(12), Value::OfText(with_zero)));
  EXPECT_EQ(list_.ReadField(Value::Int(12)), Value::OfText("ab"));
  ASSERT_TRUE(list_.WriteField(Value::Int(11), Value::OfBytes({'a', 0, 'b'})));
  EXPECT_EQ(list_.ReadField(Value::Int(11)), Value::OfBytes({'a', 0, 'b'}));
}

TEST_F(FieldsTest, DateTimesAreClampedOnReadingOnly) {
  ASSERT_TRUE(list_.AppendRecord());
  const struct {
    double written, read;
  } cases[] = {{3000000, 2958465}, {-700000, -657434}, {0, 0}, {-1.25, -1.25}};
  for (const auto& c : cases) {
    ASSERT_TRUE(list_.WriteField(Value::Int(8), Value::DateTime(c.written)));
    EXPECT_EQ(list_.ReadField(Value::Int(8)), Value::DateTime(c.read));
    auto stored = Stored(0, 8);
    double raw;
    std::memcpy(&raw, stored.data(), 8);
    EXPECT_EQ(raw, c.written);
  }
}

TEST_F(FieldsTest, AnyNonZeroBoolByteIsTrue) {
  ASSERT_TRUE(list_.AppendRecord());
  ASSERT_TRUE(list_.WriteField(Value::Int(7), Value::Bool(true)));
  EXPECT_EQ(Stored(0, 7), std::vector<std::uint8_t>{1});
  const FieldDescriptor& f = list_.current()->fields()[6];
  PatchFile(path_, kPassword, [&](std::vector<std::uint8_t>& bytes) {
    bytes[list_.current()->data_start() + static_cast<std::size_t>(f.offset)] = 7;
  });
  EXPECT_EQ(list_.ReadField(Value::Int(7)), Value::Bool(true));
}

TEST_F(FieldsTest, ValuesConvertBetweenNumericTypesOnly) {
  ASSERT_TRUE(list_.AppendRecord());
  const struct {
    std::int32_t field;
    Value written;
    ErrorNumber error;
    Value read;
  } cases[] = {
      {6, Value::Int(7), 0, Value::Double(7)},
      {6, Value::OfText("7"), error::kTypeMismatch, Value::Double(7)},
      {6, Value::Bool(true), error::kTypeMismatch, Value::Double(7)},
      {3, Value::Double(-2.9), 0, Value::Int(-2)},
      {1, Value::Int(300), 0, Value::Byte(44)},
      {2, Value::Long(70000), 0, Value::Short(4464)},
      {5, Value::Double(0.1), 0, Value::Float(0.1f)},
      {4, Value::Float(2.5f), 0, Value::Long(2)},
      {8, Value::Double(1), error::kTypeMismatch, Value::DateTime(0)},
      {10, Value::Int(5), error::kTypeMismatch, Value::OfText("")},
      {11, Value::OfText("x"), error::kTypeMismatch, Value::OfBytes({})},
      {12, Value::OfText("long"), 0, Value::OfText("long")},
      {6, Value(), 0, Value::Double(0)},  // no value: the blank value
  };
  for (const auto& c : cases) {
    EXPECT_EQ(list_.WriteField(Value::Int(c.field), c.written), c.error == 0) << c.field;
    EXPECT_EQ(LastError(), c.error) << c.field;
    EXPECT_EQ(list_.ReadField(Value::Int(c.field)), c.read) << c.field;
  }
}

TEST_F(FieldsTest, FieldsAreFoundByNumberOrNameInAnyCase) {
  std::string path = PathIn(dir_, "named.ldg");
  ASSERT_EQ(CreateDataFile(
                path, {Field("Name", FieldType::kText, 8), Field("名称", FieldType::kInt)}, ""),
            0);
  ASSERT_TRUE(list_.OpenDatabase(OpenArgs(path)));
  ASSERT_TRUE(list_.AppendRecord());
  EXPECT_TRUE(list_.WriteField(Value::OfText("NAME"), Value::OfText("x")));
  EXPECT_TRUE(list_.WriteField(Value::OfText(Gbk("名称")), Value::Int(4)));
  EXPECT_TRUE(list_.WriteField(Value::Double(2.7), Value::Int(5)));  // converted to field 2
  EXPECT_EQ(list_.ReadField(Value::OfText("name")), Value::OfText("x"));
  EXPECT_EQ(list_.ReadField(Value::Short(2)), Value::Int(5));
  for (const Value& missing : {Value::Int(0), Value::Int(3), Value::OfText("nom")}) {
    EXPECT_FALSE(list_.WriteField(missing, Value::Int(1)));
    EXPECT_EQ(LastError(), error::kNoSuchField);
  }
}

TEST_F(FieldsTest, AppendChecksEveryValueBeforeWriting) {
  std::vector<Value> values = {Value::Byte(1), Value(), Value::Int(3), Value::OfText("no")};
  EXPECT_FALSE(list_.AppendRecord(values));
  EXPECT_EQ(LastError(), error::kTypeMismatch);
  EXPECT_EQ(list_.GetRecordCount(), 0);
  values = {Value::Double(9.7), Value(), Value::Int(3)};
  for (int i = 0; i < 20; ++i) values.push_back(Value::Int(i));  // more than there are fields
  values[6] = Value::Bool(true);
  values[7] = Value::DateTime(2.5);
  values[8] = Value::Subroutine(9);
  values[9] = Value::OfText("text");
  values[10] = Value::OfBytes({1, 2});
  values[11] = Value::OfText(std::string(600, 'L'));
  ASSERT_TRUE(list_.AppendRecord(values));
  EXPECT_EQ(list_.ReadField(Value::Int(1)), Value::Byte(9));
  EXPECT_EQ(list_.ReadField(Value::Int(2)), Value::Short(0));
  EXPECT_EQ(list_.ReadField(Value::Int(3)), Value::Int(3));
  EXPECT_EQ(list_.ReadField(Value::Int(10)), Value::OfText("text"));
  EXPECT_EQ(list_.ReadField(Value::Int(11)), Value::OfBytes({1, 2}));
  EXPECT_EQ(list_.ReadField(Value::Int(12)), Value::OfText(std::string(600, 'L')));
}

TEST_F(FieldsTest, ALongValueGrowsAndShrinksThroughItsBlocks) {
  std::string long_path = PathIn(dir_, "all.lgt");
  ASSERT_TRUE(list_.AppendRecord());
  // A rewritten value goes to fresh blocks and its old ones are freed.
  const struct {
    std::size_t size;
    std::int32_t blocks;  // in the file, the header block included
    std::int32_t free, reference;
  } steps[] = {{0, 1, 0, 0},   {1, 2, 0, 1},    {500, 3, 1, 2},
               {501, 4, 1, 1}, {1500, 6, 2, 2}, {1, 2, 0, 1}};
  for (const auto& step : steps) {
    ASSERT_TRUE(
        list_.WriteField(Value::Int(11), Value::OfBytes(std::vector<std::uint8_t>(step.size, 7))));
    EXPECT_EQ(list_.ReadField(Value::Int(11)),
              Value::OfBytes(std::vector<std::uint8_t>(step.size, 7)));
    auto header = Deciphered(FileBytes(long_path), kPassword);
    EXPECT_EQ(Int32At(header, 16), step.blocks) << step.size;
    EXPECT_EQ(Int32At(header, 20), step.free) << step.size;
    EXPECT_EQ(FileSize(long_path), 512u * static_cast<std::uint64_t>(step.blocks)) << step.size;
    EXPECT_EQ(Int32At(Stored(0, 11), 0), step.reference) << step.size;
  }
}

TEST(FieldsOutsideTheRecord, MakeTheFileDamagedInsteadOfTouchingTheNextRecord) {
  testing_support::TempDir dir;
  std::string path = PathIn(dir, "odd.ldg");
  ASSERT_EQ(CreateDataFile(path, {Field("a", FieldType::kInt), Field("b", FieldType::kInt)}, ""),
            0);
  PatchFile(path, "", [](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, 116 + 72 + 24, 10); });
  const auto before = FileBytes(path);
  DatabaseList list;
  EXPECT_FALSE(list.OpenDatabase(OpenArgs(path)));
  EXPECT_EQ(LastError(), error::kNotDatabaseFile);
  EXPECT_EQ(FileBytes(path), before);
}

// The runtime errors end the program with the error box.
class FieldsDeathTest : public FieldsTest {};

using testing_support::ExpectRuntimeErrorReport;

TEST_F(FieldsDeathTest, ReadFieldWithoutDatabaseOrFieldEndsTheProgram) {
  ExpectRuntimeErrorReport(
      [] {
        DatabaseList empty;
        empty.ReadField(Value::Int(1));
      },
      "未指定当前数据库或者指定数据库未打开");
  ExpectRuntimeErrorReport([&] { list_.ReadField(Value::Int(13)); }, "指定字段不存在");
  ExpectRuntimeErrorReport([&] { list_.ReadField(Value::OfText("none")); }, "指定字段不存在");
  ExpectRuntimeErrorReport([&] { list_.ReadField(Value::Bool(true)); },
                           "所提供参数的数据类型不符合要求");
  ExpectRuntimeErrorReport([&] { list_.WriteField(Value::DateTime(1), Value::Int(1)); },
                           "所提供参数的数据类型不符合要求");
}

}  // namespace
}  // namespace store
