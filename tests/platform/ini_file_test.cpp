#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/file_names.h"
#include "platform/gbk.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

// A settings file's text with sections, comments, odd lines and both kinds
// of blanks.
const std::string kSample =
    "; settings of the shop\r\n"
    "stray=before any section\r\n"
    "[Shop]\r\n"
    "  Name = Little Wang  \r\n"
    "quoted=\"  spaced  \"\r\n"
    "single='x'\r\n"
    "mismatched=\"x'\r\n"
    "lone=\"\r\n"
    "equation=a=b\r\n"
    "no equals sign here\r\n"
    ";Name=commented out\r\n"
    "empty=\r\n"
    "\r\n"
    "[ phone ] trailing words\r\n"
    "number\t=\t888\r\n"
    "[shop]\r\n"
    "name=second\r\n"
    "extra=from the second block\r\n"
    "[open\r\n"
    "k=v";

TEST(IniFind, MatchesWithoutCaseAndTrimsAndUnquotes) {
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  } cases[] = {
      {"Shop", "Name", "Little Wang"},
      {"SHOP", "name", "Little Wang"},
      {"  shop ", " NAME\t", "Little Wang"},
      {"Shop", "quoted", "  spaced  "},
      {"Shop", "single", "x"},
      {"Shop", "mismatched", "\"x'"},
      {"Shop", "lone", "\""},
      {"Shop", "equation", "a=b"},
      {"Shop", "empty", ""},
      {"Shop", "no equals sign here", std::nullopt},
      {"Shop", ";Name", std::nullopt},
      {"Shop", "stray", std::nullopt},
      {"Shop", "extra", "from the second block"},  // a repeated section is searched too
      {"Phone", "number", "888"},
      {"phone", "name", std::nullopt},
      {"open", "k", "v"},  // a header without ']' and a last line without a break
      {"missing", "name", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ini::Find(kSample, c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(IniFind, ChineseNamesAndLineFeedFiles) {
  std::string text = "[店名]\n店名=小王代购\n[订单查询号码]\n订单查询号码=12345\n"_gbk;
  EXPECT_EQ(ini::Find(text, "店名"_gbk, "店名"_gbk), "小王代购"_gbk);
  EXPECT_EQ(ini::Find(text, "订单查询号码"_gbk, "订单查询号码"_gbk), "12345");
  EXPECT_EQ(ini::Find(text, "店名"_gbk, "订单查询号码"_gbk), std::nullopt);
  // Letter case folding never touches double-byte characters: 0x8141 is not 0x8161.
  EXPECT_EQ(ini::Find("[\x81\x41]\nk=1\n", "\x81\x61", "k"), std::nullopt);
  EXPECT_EQ(ini::Find("[\x81\x41x]\nk=1\n", "\x81\x41X", "K"), "1");
}

TEST(IniSet, RewritesOnlyTheKeysLine) {
  std::string text = ini::Set(kSample, "shop", "NAME", "Old Li");
  std::string expected = kSample;
  expected.replace(expected.find("  Name = Little Wang  "), 22, "NAME=Old Li");
  EXPECT_EQ(text, expected);
  EXPECT_EQ(ini::Find(text, "Shop", "name"), "Old Li");
}

TEST(IniSet, AddsKeysAndSectionsWhereTheyBelong) {
  struct Case {
    std::string before;
    const char *section, *key, *value;
    std::string after;
  } cases[] = {
      {"", "s", "k", "v", "[s]\r\nk=v\r\n"},
      // After the section's last line, ahead of the blank lines before the next.
      {"[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "A", "z", "3",
       "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n"},
      {"[a]\r\n[b]\r\n", "a", "k", "v", "[a]\r\nk=v\r\n[b]\r\n"},
      // Only the first block of a repeated section grows.
      {"[a]\nx=1\n[b]\n[a]\ny=2\n", "a", "k", "v", "[a]\nx=1\nk=v\n[b]\n[a]\ny=2\n"},
      // A last line without a line break gets one; line-feed files stay so.
      {"[a]\nx=1", "a", "k", "v", "[a]\nx=1\nk=v\n"},
      {"[a]\nx=1", "b", "k", "v", "[a]\nx=1\n[b]\nk=v\n"},
      {"[a]\r\nx=1\r\n", " new ", " k ", " v ", "[a]\r\nx=1\r\n[new]\r\nk= v \r\n"},
      // A key line without a line break keeps having none.
      {"[a]\r\nk=1", "a", "k", "2", "[a]\r\nk=2"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ini::Set(c.before, c.section, c.key, c.value), c.after) << c.before;
}

TEST(IniRemove, KeysAndSections) {
  std::string text = "[a]\r\nk=1\r\nK = 2\r\nj=3\r\n[b]\r\nk=4\r\n[A]\r\nk=5\r\n";
  EXPECT_EQ(ini::RemoveKey(text, "a", "k"), "[a]\r\nj=3\r\n[b]\r\nk=4\r\n[A]\r\n");
  EXPECT_EQ(ini::RemoveKey(text, "a", "missing"), text);
  EXPECT_EQ(ini::RemoveSection(text, "A"), "[b]\r\nk=4\r\n");
  EXPECT_EQ(ini::RemoveSection(text, "missing"), text);
  // Lines before the first section are no section's.
  EXPECT_EQ(ini::RemoveSection("top=1\n[a]\nk=1\n", "a"), "top=1\n");
}

class IniFile : public testing::Test {
 protected:
  testing_support::TempDir dir_;
  std::string Gbk(const std::string& name) const { return Utf8ToGbk(dir_.File(name)); }
  std::string Content(const std::string& name) const {
    std::ifstream in(testing_support::Utf8Path(dir_.File(name)), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  void Put(const std::string& name, const std::string& content) const {
    std::ofstream(dir_.File(name), std::ios::binary) << content;
  }
};

TEST_F(IniFile, WriteCreatesTheFileAndReadsBack) {
  std::string file = Gbk("配置.ini");
  EXPECT_EQ(ReadIniValue(file, "店名"_gbk, "店名"_gbk), std::nullopt);
  ASSERT_TRUE(WriteIniValue(file, "店名"_gbk, "店名"_gbk, "小王代购"_gbk));
  ASSERT_TRUE(WriteIniValue(file, "订单查询号码"_gbk, "订单查询号码"_gbk, "12345"));
  EXPECT_EQ(ReadIniValue(file, "店名"_gbk, "店名"_gbk), "小王代购"_gbk);
  EXPECT_EQ(ReadIniValue(file, "订单查询号码"_gbk, "订单查询号码"_gbk), "12345");
  EXPECT_EQ(Content("配置.ini"),
            "[店名]\r\n店名=小王代购\r\n[订单查询号码]\r\n订单查询号码=12345\r\n"_gbk);
  ASSERT_TRUE(WriteIniValue(file, "店名"_gbk, "店名"_gbk, "老李"_gbk));
  EXPECT_EQ(ReadIniValue(file, "店名"_gbk, "店名"_gbk), "老李"_gbk);
  EXPECT_EQ(Content("配置.ini"),
            "[店名]\r\n店名=老李\r\n[订单查询号码]\r\n订单查询号码=12345\r\n"_gbk);
}

// Whatever one line a value holds, it reads back as written: blanks and
// quotes at its ends are kept by writing it inside quotes.
TEST_F(IniFile, EveryOneLineValueReadsBackAsWritten) {
  const std::string file = Gbk("配置.ini");
  for (const std::string& value :
       {std::string("  "), std::string(" 小王 "), std::string("\"q\""), std::string("'a'"),
        std::string("\"x"), std::string("a\tb"), std::string("\t"), std::string("=;[]#"),
        std::string("\x80\xff\xb3")}) {
    ASSERT_TRUE(WriteIniValue(file, "店名"_gbk, "店名"_gbk, value)) << value;
    EXPECT_EQ(ReadIniValue(file, "店名"_gbk, "店名"_gbk), value) << value;
  }
}

TEST_F(IniFile, WritesKeepEveryOtherLine) {
  Put("a.ini", kSample);
  ASSERT_TRUE(WriteIniValue(Gbk("a.ini"), "phone", "number", "999"));
  std::string expected = kSample;
  expected.replace(expected.find("number\t=\t888"), 12, "number=999");
  EXPECT_EQ(Content("a.ini"), expected);
  ASSERT_TRUE(DeleteIniKey(Gbk("a.ini"), "phone", "number"));
  expected.erase(expected.find("number=999\r\n"), 12);
  EXPECT_EQ(Content("a.ini"), expected);
}

TEST_F(IniFile, DeletingWhatIsNotThereSucceedsAndCreatesNothing) {
  EXPECT_TRUE(DeleteIniKey(Gbk("none.ini"), "s", "k"));
  EXPECT_TRUE(DeleteIniSection(Gbk("none.ini"), "s"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.ini")));
  Put("a.ini", "[s]\nk=1\n");
  EXPECT_TRUE(DeleteIniKey(Gbk("a.ini"), "s", "other"));
  EXPECT_EQ(Content("a.ini"), "[s]\nk=1\n");
  EXPECT_TRUE(DeleteIniSection(Gbk("a.ini"), "S"));
  EXPECT_EQ(Content("a.ini"), "");
  EXPECT_EQ(ReadIniValue(Gbk("a.ini"), "s", "k"), std::nullopt);
}

TEST_F(IniFile, LongValuesAreCutToTheReadersBuffer) {
  std::string file = Gbk("long.ini");
  ASSERT_TRUE(WriteIniValue(file, "s", "exact", std::string(10239, 'x')));
  ASSERT_TRUE(WriteIniValue(file, "s", "over", std::string(10240, 'y')));
  // 5119 double-byte characters fill 10238 bytes; the next one does not fit.
  std::string chinese;
  for (int i = 0; i < 5200; ++i) chinese += "店"_gbk;
  ASSERT_TRUE(WriteIniValue(file, "s", "wide", "a" + chinese));
  EXPECT_EQ(ReadIniValue(file, "s", "exact"), std::string(10239, 'x'));
  EXPECT_EQ(ReadIniValue(file, "s", "over"), std::string(10239, 'y'));
  std::optional<std::string> wide = ReadIniValue(file, "s", "wide");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->size(), 10239u);  // "a" and 5119 whole characters
  EXPECT_EQ(wide->substr(wide->size() - 2), "店"_gbk);
}

TEST_F(IniFile, RefusesWhatCouldNotBeReadBack) {
  std::string file = Gbk("a.ini");
  ASSERT_TRUE(WriteIniValue(file, "s", "k", "1"));
  EXPECT_FALSE(WriteIniValue(file, "", "k", "v"));
  EXPECT_FALSE(WriteIniValue(file, " ", "k", "v"));
  EXPECT_FALSE(WriteIniValue(file, "s", "", "v"));
  EXPECT_FALSE(WriteIniValue(file, "s", "a=b", "v"));
  EXPECT_FALSE(WriteIniValue(file, "s", "k", "line\r\n[evil]\r\nk=2"));
  EXPECT_FALSE(WriteIniValue(file, "s\nt", "k", "v"));
  EXPECT_FALSE(WriteIniValue("", "s", "k", "v"));
  EXPECT_EQ(Content("a.ini"), "[s]\r\nk=1\r\n");
}

TEST_F(IniFile, AReadOnlyFileIsLeftAlone) {
  Put("ro.ini", "[s]\r\nk=1\r\n");
  std::filesystem::permissions(dir_.File("ro.ini"), std::filesystem::perms::owner_read);
  EXPECT_FALSE(WriteIniValue(Gbk("ro.ini"), "s", "k", "2"));
  EXPECT_FALSE(DeleteIniSection(Gbk("ro.ini"), "s"));
  EXPECT_EQ(Content("ro.ini"), "[s]\r\nk=1\r\n");
  EXPECT_EQ(ReadIniValue(Gbk("ro.ini"), "s", "k"), "1");
}

TEST_F(IniFile, AMissingFolderOrAFolderInsteadOfAFileFails) {
  EXPECT_FALSE(WriteIniValue(Gbk("no/such/a.ini"), "s", "k", "v"));
  std::filesystem::create_directory(dir_.File("dir.ini"));
  EXPECT_FALSE(WriteIniValue(Gbk("dir.ini"), "s", "k", "v"));
  EXPECT_EQ(ReadIniValue(Gbk("dir.ini"), "s", "k"), std::nullopt);
}

TEST_F(IniFile, KeepsPermissionsAndLinks) {
  Put("target.ini", "[s]\nk=1\n");
  std::filesystem::permissions(dir_.File("target.ini"), std::filesystem::perms(0640));
  std::filesystem::create_symlink(dir_.File("target.ini"), dir_.File("link.ini"));
  ASSERT_TRUE(WriteIniValue(Gbk("link.ini"), "s", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("link.ini")));
  EXPECT_EQ(Content("target.ini"), "[s]\nk=2\n");
  struct stat status {};
  ASSERT_EQ(stat(dir_.File("target.ini").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    ++files;
  EXPECT_EQ(files, 2);
}

TEST_F(IniFile, BackslashesSeparateFolders) {
  std::filesystem::create_directory(testing_support::Utf8Path(dir_.File("子目录")));
  std::string file = Utf8ToGbk(dir_.path().string()) + "\\"_gbk + "子目录\\配置.ini"_gbk;
  ASSERT_TRUE(WriteIniValue(file, "s", "k", "v"));
  EXPECT_EQ(Content("子目录/配置.ini"), "[s]\r\nk=v\r\n");
  EXPECT_EQ(ReadIniValue(file, "s", "k"), "v");
}

TEST(NativePath, ConvertsBackslashesThatAreCharacters) {
  EXPECT_EQ(NativePath("C:\\dir\\a.ini"), "C:/dir/a.ini");
  EXPECT_EQ(NativePath("目录\\配置.ini"_gbk), "目录/配置.ini");
  // 0x955C is one double-byte character whose trail byte is a backslash.
  std::string path = NativePath("\x95\x5c.ini");
  EXPECT_EQ(path.find('/'), std::string::npos);
  EXPECT_EQ(Utf8ToGbk(path), "\x95\x5c.ini");
}

}  // namespace
}  // namespace platform
