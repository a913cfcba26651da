#include "runtime/text_commands.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

TEST(LeftAndRightText, CountBytesAndClampTheCount) {
  EXPECT_EQ(LeftText("abc", 2), "ab");
  EXPECT_EQ(LeftText("abc", 10), "abc");
  EXPECT_EQ(LeftText("abc", 0), "");
  EXPECT_EQ(LeftText("abc", -1), "");
  EXPECT_EQ(LeftText("", 3), "");
  EXPECT_EQ(RightText("abc", 2), "bc");
  EXPECT_EQ(RightText("abc", 10), "abc");
  EXPECT_EQ(RightText("abc", 0), "");
  EXPECT_EQ(RightText("abc", -5), "");
  // Counts are bytes: two bytes are one Chinese character.
  EXPECT_EQ(LeftText("代购店"_gbk, 4), "代购"_gbk);
  EXPECT_EQ(RightText("代购店"_gbk, 2), "店"_gbk);
}

TEST(FindText, PositionsAndStart) {
  struct Case {
    std::string text, sought;
    std::optional<std::int32_t> start;
    bool ignore_case;
    std::int32_t expected;
  } cases[] = {
      {"abc", "c", {}, false, 3},
      {"abcabc", "bc", {}, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 0, false, 2},   // below 1 counts as the start
      {"abcabc", "bc", -7, false, 2},  // likewise
      {"abc", "x", {}, false, -1},
      {"abc", "abcd", {}, false, -1},
      {"abc", "c", 4, false, -1},  // start beyond the end
      {"abc", "", {}, false, 1},   // empty sought text in a non-empty text
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},  // empty range
      {"", "", {}, false, -1},
      {"", "a", {}, false, -1},
      {"ABC", "b", {}, false, -1},
      {"ABC", "b", {}, true, 2},
      {"订单编号：123"_gbk, "订单编号"_gbk, {}, false, 1},
      {"代购店"_gbk, "购"_gbk, {}, false, 3},
      {"x代购店"_gbk, "店"_gbk, {}, true, 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignore_case), c.expected)
        << platform::GbkToUtf8(c.text) << " / " << platform::GbkToUtf8(c.sought) << " from "
        << c.start.value_or(0);
  }
}

TEST(FindText, NeverMatchesOnTheSecondByteOfACharacter) {
  // "\xB0\xA1\xA1\xA2" is two characters; the bytes "\xA1\xA1" straddle them.
  EXPECT_EQ(FindText("\xB0\xA1\xA1\xA2", "\xA1\xA1"), -1);
  EXPECT_EQ(FindText("\xB0\xA1\xA1\xA1", "\xA1\xA1"), 3);
  // 0x8141 has the trail byte 'A'.
  EXPECT_EQ(FindText("\x81\x41", "A"), -1);
  EXPECT_EQ(FindText("\x81\x41", "a", {}, true), -1);
  EXPECT_EQ(FindText("\x81\x41"
                     "A",
                     "a", {}, true),
            3);
  // Ignoring case leaves double-byte characters alone: 0x8161 is not 0x8141.
  EXPECT_EQ(FindText("\x81\x61", "\x81\x41", {}, true), -1);
  // A lead byte with no trail byte is still compared where it stands.
  EXPECT_EQ(FindText("ab\x81", "\x81"), 3);
  EXPECT_EQ(FindText("a\x81", "a\x81"), 1);
}

TEST(ReplaceSubText, ReplacesFromTheStartUpToTheCount) {
  struct Case {
    std::string text, old_text, new_text;
    std::optional<std::int32_t> start, count;
    bool case_sensitive;
    std::string expected;
  } cases[] = {
      {"a-b-c", "-", "+", {}, {}, false, "a+b+c"},
      {"a-b-c", "-", "+", {}, 1, false, "a+b-c"},
      {"a-b-c", "-", "+", {}, 0, false, "a-b-c"},
      {"a-b-c", "-", "+", {}, -1, false, "a+b+c"},  // a negative count limits nothing
      {"a-b-c", "-", "+", 3, {}, false, "a-b+c"},
      {"a-b-c", "-", "+", 9, {}, false, "a-b-c"},
      {"a-b-c", "-", "", {}, {}, false, "abc"},
      {"a-b-c", "", "+", {}, {}, false, "a-b-c"},  // empty old text
      {"", "-", "+", {}, {}, false, ""},
      {"aAa", "a", "x", {}, {}, false, "xxx"},  // letter case ignored by default
      {"aAa", "a", "x", {}, {}, true, "xAx"},
      {"aaaa", "aa", "a", {}, {}, true, "aa"},  // no re-scan of what was put in
      {"订单编号：123"_gbk, "订单编号："_gbk, "", {}, {}, true, "123"},
      {"商品 名称 A"_gbk, " ", "", {}, {}, true, "商品名称A"_gbk},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceSubText(c.text, c.old_text, c.new_text, c.start, c.count, c.case_sensitive),
              c.expected)
        << platform::GbkToUtf8(c.text) << " / " << c.old_text;
  }
}

TEST(ReplaceSubText, NeverMatchesOnTheSecondByteOfACharacter) {
  EXPECT_EQ(ReplaceSubText("\xB0\xA1\xA1\xA2", "\xA1\xA1", "x"), "\xB0\xA1\xA1\xA2");
  EXPECT_EQ(ReplaceSubText("\x81\x41"
                           "A",
                           "a", "b"),
            "\x81\x41"
            "b");
  // A lead byte at the very end is copied as it is.
  EXPECT_EQ(ReplaceSubText("a\x81", "a", "b"), "b\x81");
}

TEST(SplitText, PartsBetweenDelimiters) {
  using Parts = std::vector<Text>;
  struct Case {
    std::string text, delimiter;
    std::optional<std::int32_t> max;
    Parts expected;
  } cases[] = {
      {"a,,b", ",", {}, {"a", "", "b"}},
      {"a,b,", ",", {}, {"a", "b"}},  // a trailing delimiter adds no empty part
      {",a", ",", {}, {"", "a"}},
      {",", ",", {}, {""}},
      {"abc", ",", {}, {"abc"}},
      {"", ",", {}, {}},
      {"a,b", "", {}, {"a,b"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 1, {"a"}},
      {"a,b", ",", 5, {"a", "b"}},
      {"a,b", ",", 0, {}},
      {"a,b", ",", -3, {}},
      {"l1\r\nl2\r\n\r\nl3", "\r\n", {}, {"l1", "l2", "", "l3"}},
      {"a b  c", " ", {}, {"a", "b", "", "c"}},
      {"甲，乙"_gbk, "，"_gbk, {}, {"甲"_gbk, "乙"_gbk}},
      // Delimiters match exactly.
      {"aXbxc", "x", {}, {"aXb", "c"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitText(c.text, c.delimiter, c.max), c.expected)
        << platform::GbkToUtf8(c.text) << " max " << c.max.value_or(-99);
}

TEST(SplitText, NeverSplitsACharacter) {
  // The delimiter "\xA1" appears only as a trail byte here.
  EXPECT_EQ(SplitText("\xB0\xA1x", "\xA1"), std::vector<Text>{"\xB0\xA1x"});
  EXPECT_EQ(SplitText("\x81,a,", ","), (std::vector<Text>{"\x81,a"}));
}

}  // namespace
}  // namespace runtime
