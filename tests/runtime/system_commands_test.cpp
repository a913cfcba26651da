#include "runtime/system_commands.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "runtime/date_time.h"
#include "tests/support/temp_dir.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

class SystemCommands : public testing::Test {
 protected:
  platform::MemoryClipboard clipboard_;
  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_{{nullptr, &clipboard_, &dialogs_}};
  testing_support::TempDir dir_;

  // A GBK file name inside the temporary folder.
  std::string File(const std::string& name) const { return platform::Utf8ToGbk(dir_.File(name)); }
};

TEST_F(SystemCommands, ClipboardTextGoesBothWays) {
  EXPECT_EQ(GetClipboardText(), "");  // nothing there
  clipboard_.Put("订单号 123"_gbk);
  EXPECT_EQ(GetClipboardText(), "订单号 123"_gbk);
  clipboard_.Put(std::string("ab\0cd", 5));
  EXPECT_EQ(GetClipboardText(), "ab");  // plain text ends at its NUL
  EXPECT_TRUE(SetClipboardText("店"_gbk));
  EXPECT_EQ(clipboard_.GetText(), "店"_gbk);
}

TEST_F(SystemCommands, MessageBoxShowsTheTextFormAndReturnsTheButton) {
  struct Case {
    Value message;
    std::string shown;
  } cases[] = {
      {Value::OfText("保存成功"_gbk), "保存成功"_gbk},
      {Value::Double(12.5), "12.5"},
      {Value::Int(-3), "-3"},
      {Value::Bool(true), "真"_gbk},
      {Value::DateTime(MakeDateTime({2008, 5, 1, 14, 0, 0})), "2008年5月1日14时"_gbk},
      {Value::OfBytes({'a', 'b'}), ""},  // other types show nothing
      {Value::TextArray({"a"}), ""},
      {Value(), ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageBox(c.message, 0), 0);
    EXPECT_EQ(dialogs_.shown().back().text, c.shown);
    EXPECT_EQ(dialogs_.shown().back().caption, "信息："_gbk);
  }
  dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
  dialogs_.QueueAnswer(platform::BoxAnswer::kNo);
  EXPECT_EQ(MessageBox(Value::OfText("确定？"_gbk), 4, "悔单"_gbk), 5);
  EXPECT_EQ(dialogs_.shown().back().caption, "悔单"_gbk);
  EXPECT_EQ(dialogs_.shown().back().style, 4u);
  EXPECT_EQ(MessageBox(Value::OfText("确定？"_gbk), 4), 6);
  EXPECT_EQ(MessageBox(Value::OfText("x"), 0x10), 0);
  EXPECT_EQ(dialogs_.shown().back().style, 0x10u);
}

TEST_F(SystemCommands, ReadIniItemWithABlankNameReadsNothing) {
  std::string file = File("配置.ini");
  ASSERT_TRUE(WriteIniItem(file, "店名"_gbk, "店名"_gbk, "小王代购"_gbk));
  EXPECT_EQ(ReadIniItem(file, "店名"_gbk, "店名"_gbk, "代购店"_gbk), "小王代购"_gbk);
  // Leading bytes up to 0x20 are skipped before the blank check.
  EXPECT_EQ(ReadIniItem(" \t" + file, "\x01 店名"_gbk, "  店名"_gbk), "小王代购"_gbk);
  for (auto [f, s, k] :
       {std::tuple<std::string, std::string, std::string>{"", "店名"_gbk, "店名"_gbk},
        {" \t\r\n", "店名"_gbk, "店名"_gbk},
        {file, "", "店名"_gbk},
        {file, "店名"_gbk, " "},
        {file, "店名"_gbk, std::string("\x1f\x20", 2)}}) {
    // The default is not returned either: the file is never consulted.
    EXPECT_EQ(ReadIniItem(f, s, k, "代购店"_gbk), "") << platform::GbkToUtf8(f + "|" + s + "|" + k);
  }
}

TEST_F(SystemCommands, ReadIniItemGivesTheDefaultForWhatIsMissing) {
  std::string file = File("配置.ini");
  EXPECT_EQ(ReadIniItem(file, "店名"_gbk, "店名"_gbk, "代购店"_gbk), "代购店"_gbk);  // no file
  EXPECT_EQ(ReadIniItem(file, "店名"_gbk, "店名"_gbk), "");
  ASSERT_TRUE(WriteIniItem(file, "店名"_gbk, "店名"_gbk, ""));
  EXPECT_EQ(ReadIniItem(file, "店名"_gbk, "店名"_gbk, "代购店"_gbk), "");  // present but empty
  EXPECT_EQ(ReadIniItem(file, "店名"_gbk, "别的"_gbk, "代购店"_gbk), "代购店"_gbk);
  EXPECT_EQ(ReadIniItem(file, "别的"_gbk, "店名"_gbk, "代购店"_gbk), "代购店"_gbk);
  // A default longer than the reader's buffer is cut like a value.
  EXPECT_EQ(ReadIniItem(file, "x", "y", std::string(20000, 'd')).size(), 10239u);
}

TEST_F(SystemCommands, WriteIniItemDeletesWithOmittedArguments) {
  std::string file = File("配置.ini");
  ASSERT_TRUE(WriteIniItem(file, "A", "k1", "1"));
  ASSERT_TRUE(WriteIniItem(file, "A", "k2", "2"));
  ASSERT_TRUE(WriteIniItem(file, "B", "k1", "3"));
  EXPECT_TRUE(WriteIniItem(file, "A", "k1", std::nullopt));  // omitted value: delete the key
  EXPECT_EQ(ReadIniItem(file, "A", "k1", "gone"), "gone");
  EXPECT_EQ(ReadIniItem(file, "A", "k2"), "2");
  EXPECT_TRUE(WriteIniItem(file, "A", std::nullopt, std::nullopt));  // omitted key: the section
  EXPECT_EQ(ReadIniItem(file, "A", "k2", "gone"), "gone");
  EXPECT_EQ(ReadIniItem(file, "B", "k1"), "3");
  std::ifstream in(testing_support::Utf8Path(dir_.File("配置.ini")), std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "[B]\r\nk1=3\r\n");
}

TEST_F(SystemCommands, CurrentDirectoryIsTheProcesssOwn) {
  auto expected = platform::CurrentDirectory();
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(CurrentDirectory(), *expected);
  EXPECT_FALSE(CurrentDirectory().empty());
}

}  // namespace
}  // namespace runtime
