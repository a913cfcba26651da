#include <gtest/gtest.h>

#include <deque>

#include "platform/headless/headless.h"
#include "platform/services.h"
#include "store/database_list.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;

const std::string kPassword = "qkd3094716";

class OpenTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& name, const std::string& password = "",
                   std::vector<NewField> fields = {}) {
    if (fields.empty())
      fields = {Field("名称", FieldType::kText, 20), Field("数量", FieldType::kDouble)};
    std::string path = PathIn(dir_, name);
    EXPECT_EQ(CreateDataFile(path, fields, password), 0);
    return path;
  }
  ErrorNumber Open(DatabaseList& list, const std::string& path, const std::string& alias = {},
                   std::optional<std::string> password = std::nullopt) {
    list.OpenDatabase(OpenArgs(path, alias, std::move(password)));
    return LastError();
  }
  ErrorNumber Open(const std::string& path, const std::string& alias = {},
                   std::optional<std::string> password = std::nullopt) {
    return Open(list_, path, alias, std::move(password));
  }

  testing_support::TempDir dir_;
  DatabaseList list_;
};

TEST_F(OpenTest, MissingOrEmptyNamesAreNotFound) {
  EXPECT_EQ(Open(""), error::kFileNotFound);
  EXPECT_EQ(Open(PathIn(dir_, "missing.ldg")), error::kFileNotFound);
  EXPECT_TRUE(list_.databases().empty());
  EXPECT_EQ(list_.current(), nullptr);
}

TEST_F(OpenTest, TheSameFileTwiceIsRefusedWhateverItIsCalled) {
  std::string path = Make("book.ldg");
  ASSERT_EQ(Open(path, "a"), 0);
  EXPECT_EQ(Open(path, "b"), error::kAlreadyOpen);
  EXPECT_EQ(Open(PathIn(dir_, "BOOK.LDG"), "b"), error::kAlreadyOpen);
  EXPECT_EQ(Open(PathIn(dir_, "book"), "b"), error::kAlreadyOpen);
  EXPECT_EQ(Open(PathIn(dir_, "./book."), "b"), error::kAlreadyOpen);
  EXPECT_EQ(list_.databases().size(), 1u);
}

TEST_F(OpenTest, ANameWithoutExtensionFindsTheFileWhateverItsCase) {
  Make("book.ldg");
  ASSERT_EQ(Open(PathIn(dir_, "book")), 0);
  EXPECT_EQ(list_.current()->base_name(), "book");
}

TEST_F(OpenTest, AliasesMustBeNames) {
  std::string path = Make("book.ldg");
  ASSERT_EQ(Open(Make("other.ldg"), "other"), 0);
  Database* before = list_.current();
  EXPECT_EQ(Open(path, "1abc"), error::kBadAlias);
  EXPECT_EQ(Open(path, "a b"), error::kBadAlias);
  EXPECT_EQ(list_.current(), before);
  EXPECT_EQ(Open(path, Gbk("流水账")), 0);
}

TEST_F(OpenTest, PasswordRules) {
  std::string locked = Make("locked.ldg", kPassword);
  std::string plain = Make("plain.ldg");
  const struct {
    std::string path;
    std::optional<std::string> password;
    ErrorNumber expected;
  } cases[] = {
      {locked, std::nullopt, error::kPassword},
      {locked, "", error::kPassword},
      {locked, "qkd3094717", error::kPassword},
      {plain, "x", error::kPassword},
      {plain, "", 0},
      {plain, "?", 0},
      {locked, kPassword, 0},
  };
  for (const auto& c : cases) {
    DatabaseList list;
    EXPECT_EQ(Open(list, c.path, {}, c.password), c.expected)
        << c.path << " " << c.password.value_or("(none)");
  }
}

TEST_F(OpenTest, TheFirstFourBytesTellProtectedFromPlain) {
  std::string locked = Make("locked.ldg", kPassword);
  std::string other = Make("other.ldg", "another password");
  std::string plain = Make("plain.ldg");
  auto magic = [](const std::string& path) {
    auto bytes = FileBytes(path);
    return std::string(bytes.begin(), bytes.begin() + 4);
  };
  EXPECT_EQ(magic(locked), "LDGP");
  EXPECT_EQ(magic(other), "LDGP");
  EXPECT_EQ(magic(plain), "LDGR");
  // Everything after the magic is enciphered, the header included.
  EXPECT_NE(Int32At(FileBytes(locked), 24), Int32At(FileBytes(plain), 24));
  EXPECT_EQ(Int32At(Deciphered(FileBytes(locked), kPassword), 24), Int32At(FileBytes(plain), 24));
}

TEST_F(OpenTest, TheStoredDigestMayBeInEitherCase) {
  std::string locked = Make("locked.ldg", kPassword);
  PatchFile(locked, kPassword, [](std::vector<std::uint8_t>& bytes) {
    for (std::size_t k = 28; k < 60; ++k)
      if (bytes[k] >= 'a' && bytes[k] <= 'f') bytes[k] = static_cast<std::uint8_t>(bytes[k] - 32);
  });
  EXPECT_EQ(Open(locked, {}, kPassword), 0);
}

// Dialogs that answer password prompts from a list and remember them.
class PromptDialogs : public platform::ScriptedDialogs {
 public:
  std::deque<std::optional<std::string>> answers;
  std::vector<std::pair<std::string, std::string>> asked;
  std::optional<std::string> AskPassword(std::string_view prompt,
                                         std::string_view caption) override {
    asked.emplace_back(prompt, caption);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

TEST_F(OpenTest, AQuestionMarkAsksForThePasswordUpToThreeTimes) {
  std::string locked = Make("locked.ldg", kPassword);
  const std::string prompt = Gbk("请输入数据库访问密码：");
  struct Case {
    std::deque<std::optional<std::string>> answers;
    ErrorNumber expected;
    std::size_t dialogs;
  };
  const Case cases[] = {
      {{kPassword}, 0, 1},
      {{"wrong", "", kPassword}, 0, 3},
      {{"wrong", "wrong", "wrong", kPassword}, error::kPassword, 3},
      {{"wrong", std::nullopt, kPassword}, error::kPassword, 2},
      {{}, error::kPassword, 1},
  };
  for (const Case& c : cases) {
    PromptDialogs dialogs;
    dialogs.answers = c.answers;
    platform::ScopedServices services({nullptr, nullptr, &dialogs});
    DatabaseList list;
    EXPECT_EQ(Open(list, locked, {}, "?"), c.expected);
    ASSERT_EQ(dialogs.asked.size(), c.dialogs);
    EXPECT_EQ(dialogs.asked[0].first, prompt);
    EXPECT_EQ(dialogs.asked[0].second, Gbk("密码输入"));
    if (c.dialogs >= 2) {
      EXPECT_EQ(dialogs.asked[1].first,
                prompt + "\r\n" + Gbk("密码错误，您还有 2 次重新输入的机会。"));
    }
    if (c.dialogs >= 3) {
      EXPECT_EQ(dialogs.asked[2].first,
                prompt + "\r\n" + Gbk("密码错误，您还有 1 次重新输入的机会。"));
    }
  }
  // A plain file opens with "?" without asking.
  PromptDialogs dialogs;
  platform::ScopedServices services({nullptr, nullptr, &dialogs});
  EXPECT_EQ(Open(Make("plain.ldg"), {}, "?"), 0);
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(OpenTest, HeaderAndFieldChecksRefuseTheFileAndLeaveItUnchanged) {
  const struct {
    const char* why;
    std::size_t offset;
    std::int32_t value;
    ErrorNumber expected;
  } cases[] = {
      {"magic", 0, 0x58474c44, error::kNotDatabaseFile},
      {"record size 0", 24, 0, error::kNotDatabaseFile},
      {"negative count", 16, -1, error::kNotDatabaseFile},
      {"next serial 0", 20, 0, error::kNotDatabaseFile},
      {"newer version", 4, 0x10001, error::kVersionTooHigh},
      {"no fields", 112, 0, error::kNotDatabaseFile},
      {"more fields than the file holds", 112, 3, error::kNotDatabaseFile},
      {"unknown type", 116 + 20, 13, error::kNotDatabaseFile},
      {"negative offset", 116 + 24, -4, error::kNotDatabaseFile},
      {"text width 0", 116 + 28, 0, error::kNotDatabaseFile},
      {"17-byte name", 116 + 4, 0x61616161, error::kNotDatabaseFile},
      // A record size that disagrees with the fields would make every
      // record look cut short, or make records larger than memory.
      {"record size 0x7FFFFFFF", 24, 0x7FFFFFFF, error::kNotDatabaseFile},
      {"record size 2^30", 24, 1 << 30, error::kNotDatabaseFile},
      {"record size smaller than the serial", 24, 3, error::kNotDatabaseFile},
      {"record size smaller than the fields", 24, 8, error::kNotDatabaseFile},
      {"record size far beyond the fields", 24, 36, error::kNotDatabaseFile},
      {"two records beyond the count", 16, 1, error::kNotDatabaseFile},
  };
  for (const auto& c : cases) {
    for (const std::string& password : {std::string(), kPassword}) {
      std::string path = Make(std::string("bad") + (password.empty() ? "p" : "l") + ".ldg",
                              password, {Field("abcd", FieldType::kText, 8)});
      // A few whole records after the fields, so a wrong count would cut them.
      std::vector<std::uint8_t> records(3 * 12, 1);
      PatchFile(path, password, [&](std::vector<std::uint8_t>& bytes) {
        bytes.insert(bytes.end(), records.begin(), records.end());
        PutInt32(bytes, 16, 3);
        // The 17-byte name case fills the name's bytes 4-7 and 8-16.
        if (c.offset == 116 + 4) std::fill(bytes.begin() + 116, bytes.begin() + 116 + 17, 'a');
        if (c.offset == 0)
          PutInt32(bytes, 0, c.value);
        else
          PutInt32(bytes, c.offset, c.value);
      });
      auto before = FileBytes(path);
      EXPECT_EQ(Open(path, {}, password), c.expected) << c.why << " " << password;
      EXPECT_EQ(FileBytes(path), before) << c.why;
      std::filesystem::remove(FsPath(path));
    }
  }
  EXPECT_TRUE(list_.databases().empty());
}

TEST_F(OpenTest, OlderVersionsAreAccepted) {
  std::string path = Make("old.ldg");
  PatchFile(path, "", [](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, 4, 0xFFFF); });
  EXPECT_EQ(Open(path), 0);
}

TEST_F(OpenTest, AShortHeaderIsNotADataFile) {
  std::string path = Make("short.ldg");
  auto bytes = FileBytes(path);
  bytes.resize(60);
  WriteFileBytes(path, bytes);
  EXPECT_EQ(Open(path), error::kNotDatabaseFile);
}

TEST_F(OpenTest, TheRecordCountFollowsWhatTheFileHolds) {
  std::string path = Make("count.ldg", kPassword);
  {
    DatabaseList list;
    ASSERT_EQ(Open(list, path, {}, kPassword), 0);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(list.AppendRecord());
  }
  const std::uint64_t full = FileSize(path);
  std::uint64_t size = 0;
  {
    DatabaseList probe;
    ASSERT_EQ(Open(probe, path, {}, kPassword), 0);
    size = static_cast<std::uint64_t>(probe.current()->record_size());
  }

  // One and a half records missing: read-only refuses, read-write lowers the
  // count to the three whole records and cuts the half one.
  std::filesystem::resize_file(FsPath(path), full - size - size / 2);
  OpenArguments read_only = OpenArgs(path, {}, kPassword);
  read_only.read_only = true;
  EXPECT_FALSE(list_.OpenDatabase(read_only));
  EXPECT_EQ(LastError(), error::kFileSize);
  ASSERT_EQ(Open(path, {}, kPassword), 0);
  EXPECT_EQ(list_.GetRecordCount(), 3);
  EXPECT_EQ(FileSize(path), full - 2 * size);
  EXPECT_EQ(Int32At(Deciphered(FileBytes(path), kPassword), 16), 3);
}

TEST_F(OpenTest, APartRecordLeftAfterTheLastIsCutWhenOpenedForWriting) {
  std::string path = Make("tail.ldg");
  const std::uint64_t empty = FileSize(path);
  auto bytes = FileBytes(path);
  bytes.resize(bytes.size() + 7, 0xEE);
  WriteFileBytes(path, bytes);
  {
    DatabaseList list;
    OpenArguments read_only = OpenArgs(path);
    read_only.read_only = true;
    ASSERT_TRUE(list.OpenDatabase(read_only));
    EXPECT_EQ(FileSize(path), empty + 7);
  }
  ASSERT_EQ(Open(path), 0);
  EXPECT_EQ(FileSize(path), empty);
  EXPECT_EQ(list_.GetRecordCount(), 0);
}

TEST_F(OpenTest, TheLongValueFileMustBeThereAndSound) {
  std::vector<NewField> fields = {Field("单号", FieldType::kText, 8),
                                  Field("内容", FieldType::kByteSet)};
  std::string path = Make("报表库.ldg", kPassword, fields);
  std::string long_path = PathIn(dir_, "报表库.lgt");
  std::filesystem::rename(FsPath(long_path), FsPath(PathIn(dir_, "报表库.LgT")));
  {
    DatabaseList list;
    EXPECT_EQ(Open(list, path, {}, kPassword), 0);
  }
  std::filesystem::remove(FsPath(PathIn(dir_, "报表库.LgT")));
  EXPECT_EQ(Open(path, {}, kPassword), error::kLongValueFileUnreadable);
  EXPECT_TRUE(list_.databases().empty());
}

TEST_F(OpenTest, SharingModesBetweenOpeners) {
  std::string path = Make("shared.ldg");
  struct Opener {
    std::optional<std::int32_t> sharing;
    bool read_only;
  };
  const struct {
    Opener first, second;
    ErrorNumber expected;
  } cases[] = {
      {{std::nullopt, false}, {std::nullopt, false}, 0},
      {{1, false}, {1, true}, 0},
      {{std::nullopt, false}, {0, false}, error::kSharingViolation},
      {{0, false}, {std::nullopt, true}, error::kSharingViolation},
      {{2, true}, {std::nullopt, true}, error::kSharingViolation},
      {{3, true}, {std::nullopt, false}, error::kSharingViolation},
      {{3, true}, {std::nullopt, true}, 0},
      {{3, true}, {3, true}, 0},
      {{std::nullopt, false}, {3, true}, error::kSharingViolation},
      {{std::nullopt, true}, {3, true}, 0},
      {{std::nullopt, true}, {2, false}, error::kSharingViolation},
  };
  for (const auto& c : cases) {
    DatabaseList first, second;
    OpenArguments a = OpenArgs(path), b = OpenArgs(path);
    a.sharing = c.first.sharing;
    a.read_only = c.first.read_only;
    b.sharing = c.second.sharing;
    b.read_only = c.second.read_only;
    ASSERT_TRUE(first.OpenDatabase(a));
    second.OpenDatabase(b);
    EXPECT_EQ(LastError(), c.expected)
        << c.first.sharing.value_or(-1) << "/" << c.first.read_only << " then "
        << c.second.sharing.value_or(-1) << "/" << c.second.read_only;
    EXPECT_EQ(second.databases().size(), c.expected == 0 ? 1u : 0u);
  }
}

TEST_F(OpenTest, ReadOnlyDatabasesRefuseWrites) {
  std::string path = Make("ro.ldg");
  {
    DatabaseList list;
    ASSERT_EQ(Open(list, path), 0);
    ASSERT_TRUE(list.AppendRecord());
  }
  OpenArguments args = OpenArgs(path);
  args.read_only = true;
  ASSERT_TRUE(list_.OpenDatabase(args));
  EXPECT_FALSE(list_.WriteField(runtime::Value::Int(2), runtime::Value::Double(1)));
  EXPECT_EQ(LastError(), error::kAccessDenied);
  EXPECT_FALSE(list_.AppendRecord());
  EXPECT_EQ(list_.GetRecordCount(), 1);
}

}  // namespace
}  // namespace store
