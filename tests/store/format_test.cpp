#include <gtest/gtest.h>

#include "store/creator.h"
#include "store/format.h"
#include "store_test_util.h"

namespace store {
namespace {

using store_test::Gbk;

std::array<std::uint8_t, kDescriptorSize> Descriptor(std::string name, std::int32_t type,
                                                     std::int32_t offset, std::int32_t width) {
  std::array<std::uint8_t, kDescriptorSize> bytes{};
  std::copy(name.begin(), name.end(), bytes.begin());
  StoreI32(bytes.data() + 20, type);
  StoreI32(bytes.data() + 24, offset);
  StoreI32(bytes.data() + 28, width);
  return bytes;
}

TEST(FieldDescriptor, RulesOfTheFormat) {
  const struct {
    const char* why;
    std::array<std::uint8_t, kDescriptorSize> bytes;
    bool valid;
  } cases[] = {
      {"sixteen-byte name", Descriptor(std::string(16, 'n'), 3, 4, 0), true},
      {"seventeen-byte name", Descriptor(std::string(17, 'n'), 3, 4, 0), false},
      {"twenty bytes without a 0", Descriptor(std::string(20, 'n'), 3, 4, 0), false},
      {"negative offset", Descriptor("a", 3, -1, 0), false},
      {"type 0", Descriptor("a", 0, 4, 0), false},
      {"type 13", Descriptor("a", 13, 4, 0), false},
      {"type 12", Descriptor("a", 12, 4, 0), true},
      {"text of width 0", Descriptor("a", 10, 4, 0), false},
      {"text of width 1", Descriptor("a", 10, 4, 1), true},
      {"width unused by numbers", Descriptor("a", 6, 4, -5), true},
  };
  for (const auto& c : cases) {
    FieldDescriptor field;
    EXPECT_EQ(ParseDescriptor(c.bytes, field), c.valid) << c.why;
  }
  FieldDescriptor text;
  ASSERT_TRUE(ParseDescriptor(Descriptor(Gbk("名称"), 10, 8, 40), text));
  EXPECT_EQ(text.name, Gbk("名称"));
  EXPECT_EQ(text.StoredWidth(), 40);
  EXPECT_EQ(SerializeDescriptor(text), Descriptor(Gbk("名称"), 10, 8, 40));
}

TEST(FileNames, DefaultExtensionLongValueNameAndBaseName) {
  // "\x95\x5c" is a GBK character whose second byte is a backslash.
  const std::string tricky = "d\\x\x95\x5c";
  const struct {
    std::string name, with_default, long_value, base;
  } cases[] = {
      {"a", "a.LDG", "a.LGT", "a"},
      {"a.", "a.LDG", "a.LGT", "a"},
      {"a.ldg", "a.ldg", "a.LGT", "a"},
      {"dir.x/a", "dir.x/a.LDG", "dir.x/a.LGT", "a"},
      {"dir.x\\a", "dir.x\\a.LDG", "dir.x\\a.LGT", "a"},
      {"/p/a.b.c", "/p/a.b.c", "/p/a.b.LGT", "a.b"},
      {tricky, tricky + ".LDG", tricky + ".LGT", "x\x95\x5c"},
      {Gbk("流水账.ldg"), Gbk("流水账.ldg"), Gbk("流水账.LGT"), Gbk("流水账")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithDefaultExtension(c.name), c.with_default) << c.name;
    EXPECT_EQ(LongValueFileName(c.name), c.long_value) << c.name;
    EXPECT_EQ(BaseName(c.name), c.base) << c.name;
  }
  EXPECT_EQ(NewLongValueFileName(Gbk("报表库.ldg")), Gbk("报表库.lgt"));
  EXPECT_EQ(NewLongValueFileName("R.LDG"), "R.LGT");
}

TEST(Names, LettersOrChineseFirstThenDigitsToo) {
  const struct {
    std::string name;
    bool valid;
  } cases[] = {
      {Gbk("流水账"), true},  {"abc", true},       {"a1", true},
      {"1a", false},          {"", false},         {"a b", false},
      {"a_b", false},         {Gbk("Ａ１"), true}, {Gbk("１Ａ"), false},
      {Gbk("客户库2"), true}, {Gbk("，"), false},  {std::string("a\xb0"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidName(c.name), c.valid) << c.name;
}

TEST(LayOut, AlignsReferencesAndNumbersAndRoundsTheRecord) {
  RecordLayout layout = LayOut({{"a", FieldType::kByte, 0},
                                {"b", FieldType::kInt, 0},
                                {"c", FieldType::kText, 3},
                                {"d", FieldType::kShort, 0},
                                {"e", FieldType::kByteSet, 0},
                                {"f", FieldType::kDouble, 0}});
  std::vector<std::int32_t> offsets;
  for (const auto& f : layout.fields) offsets.push_back(f.offset);
  EXPECT_EQ(offsets, (std::vector<std::int32_t>{4, 8, 12, 16, 20, 24}));
  EXPECT_EQ(layout.record_size, 32);
  EXPECT_EQ(LayOut({{"a", FieldType::kText, 5}}).record_size, 12);
}

}  // namespace
}  // namespace store
