#include "platform/gbk.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Gbk, RoundTripsChineseThroughUtf8) {
  const std::string& gbk = "店名：张三 ABC"_gbk;
  EXPECT_EQ(gbk.size(), 14u);  // five double-byte characters, a space and three letters
  EXPECT_EQ(GbkToUtf8(gbk), "店名：张三 ABC");
  EXPECT_EQ(&gbk, &"店名：张三 ABC"_gbk);  // converted once
}

TEST(Gbk, EscapesBytesThatAreNotGbk) {
  EXPECT_EQ(GbkToUtf8("a\xff"
                      "b"),
            "a\\xffb");
  EXPECT_EQ(GbkToUtf8("\x81"), "\\x81");  // a lead byte with nothing after it
}

TEST(Gbk, CaseFoldingLeavesTrailBytesAlone) {
  // 0x8141 has the trail byte 'A'; folding it would make another character.
  std::string text =
      "\x81\x41"
      "Ab";
  EXPECT_EQ(FoldCase(text),
            "\x81\x41"
            "ab");
  EXPECT_TRUE(
      EqualIgnoreCase("\x81\x41"
                      "Ab",
                      "\x81\x41"
                      "aB"));
  EXPECT_FALSE(EqualIgnoreCase("\x81\x41", "\x81\x61"));
  EXPECT_FALSE(EqualIgnoreCase("abc", "ab"));
}

}  // namespace
}  // namespace platform
