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

// Reads back what GbkToEscapedUtf8 wrote: the escapes, then UTF-8 runs.
std::string ReadEscaped(std::string_view escaped) {
  std::string gbk, run;
  auto flush = [&] {
    gbk += Utf8ToGbk(run);
    run.clear();
  };
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\') {
      run += escaped[i];
      continue;
    }
    flush();
    char c = escaped[++i];
    if (c == 'x') {
      gbk += static_cast<char>(std::stoi(std::string(escaped.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      gbk += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
  }
  flush();
  return gbk;
}

// Every byte pair, followed by the bytes that used to break the escaping
// (a tab, a quote, a line break, a backslash, a lead byte), comes back as it
// was, and the escaped form holds none of the escaped characters raw.
TEST(Gbk, EveryBytePairSurvivesEscapingAndComesBackUnchanged) {
  std::string text;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      text += static_cast<char>(a);
      text += static_cast<char>(b);
      text += static_cast<char>(a);
      text += "\t\"\\";
      text += static_cast<char>(b);
      text += '\n';
    }
  }
  for (std::string_view escaped_marks :
       {std::string_view("\r\n\t\\\""), std::string_view("\\\t\r\n")}) {
    const std::string escaped = GbkToEscapedUtf8(text, escaped_marks);
    for (char raw : {'\r', '\n', '\t'}) EXPECT_EQ(escaped.find(raw), std::string::npos);
    if (escaped_marks.find('"') != std::string_view::npos) {
      for (std::size_t at = escaped.find('"'); at != std::string::npos;
           at = escaped.find('"', at + 1)) {
        std::size_t backslashes = 0;
        while (backslashes < at && escaped[at - 1 - backslashes] == '\\') ++backslashes;
        ASSERT_EQ(backslashes % 2, 1u) << "a bare quote at " << at;
      }
    }
    const std::string back = ReadEscaped(escaped);
    ASSERT_EQ(back.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
      ASSERT_EQ(back[i], text[i]) << "byte " << i << " of pair " << i / 8;
  }
  // The plain conversion sees the same characters: it differs from the
  // escaped form only by the escapes of ASCII marks.
  EXPECT_EQ(GbkToUtf8(text), GbkToEscapedUtf8(text, ""));
}

TEST(Gbk, ConversionAndEscapingAgreeOnWhatIsACharacter) {
  const struct {
    std::string gbk;
    std::string escaped;
  } cases[] = {
      {"\x81\t", "\\x81\\t"},       // a lead byte before a tab stands alone
      {"\x81\"", "\\x81\\\""},      // ... and before a quote
      {"\xb0\xa1\\", "啊\\\\"},     // a character, then a backslash
      {"\xff\xb0\xa1", "\\xff啊"},  // 0xFF is never a lead byte
      {std::string("\xb0") + '\0', std::string("\\xb0") + '\0'},
  };
  for (const auto& c : cases) EXPECT_EQ(GbkToEscapedUtf8(c.gbk, "\r\n\t\\\""), c.escaped);
  // Whatever 0x80 is, the character after it is read as itself.
  EXPECT_EQ(GbkToUtf8("\x80\xb0\xa1").substr(GbkToUtf8("\x80").size()), "啊");
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
