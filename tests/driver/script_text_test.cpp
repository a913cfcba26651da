#include "driver/script_text.h"

#include <gtest/gtest.h>

namespace driver {
namespace {

// A stray byte never swallows the escape of what follows it, so the rest of
// the transcript line keeps its quotes.
TEST(Quoted, StrayBytesLeaveTheEscapesOfWhatFollowsThemIntact) {
  const struct {
    std::string gbk;
    std::string line;
  } cases[] = {
      {"\x81\t", R"("\x81\t")"}, {"\x81\r\n", R"("\x81\r\n")"},   {"\x81\"", R"("\x81\"")"},
      {"\xfe\\", R"("\xfe\\")"}, {"\xff\xb0\xa1", R"("\xff啊")"}, {"\xb0\xa1\"", R"("啊\"")"},
  };
  for (const auto& c : cases) EXPECT_EQ(Quoted(c.gbk), c.line);
  // 0x80 before a character: the character is still read as itself.
  const std::string line = Quoted("\x80\xb0\xa1\"");
  EXPECT_EQ(line.substr(line.size() - 6), "啊\\\"\"");
}

TEST(ScriptText, EscapesReadBackIntoGbk) {
  EXPECT_EQ(ScriptTextToGbk(R"(a\tb\s\\\r\n)"), "a\tb \\\r\n");
  EXPECT_EQ(ScriptTextToGbk("啊"), "\xb0\xa1");
}

}  // namespace
}  // namespace driver
