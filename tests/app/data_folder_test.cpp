// The folder a run keeps its data in, and the first start in the user's
// data folder.
#include "app/data_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/gbk.h"
#include "tests/support/file_mode.h"
#include "tests/support/temp_dir.h"

namespace {

using desk::DataFolderRule;

TEST(ChooseDataFolder, TheNamedFolderThenThePortableCopyThenTheUsersFolder) {
  const struct {
    bool named, holds_data_files, users_own;
    DataFolderRule expected;
  } cases[] = {
      {true, false, false, DataFolderRule::kNamed},
      {true, true, true, DataFolderRule::kNamed},
      {false, true, false, DataFolderRule::kBesideProgram},  // a portable copy anywhere
      {false, false, true, DataFolderRule::kBesideProgram},  // the user's own copy, a build
      {false, true, true, DataFolderRule::kBesideProgram},
      {false, false, false, DataFolderRule::kUsersDataFolder},  // an installed program
  };
  for (const auto& c : cases)
    EXPECT_EQ(desk::ChooseDataFolder(c.named, {c.holds_data_files, c.users_own}), c.expected)
        << c.named << c.holds_data_files << c.users_own;
}

// The file's permission bits; `expected` where the system keeps none.
unsigned ModeOf(const std::filesystem::path& path, unsigned expected) {
  return testing_support::PermissionBits(path).value_or(expected);
}

TEST(PrepareUsersDataFolder, TheFirstStartMakesThePrivateFolderAndEmptyFilesAndSaysSoOnce) {
  testing_support::TempDir home;
  const std::filesystem::path folder = home.path() / "share" / "orderdesk";
  const std::string gbk = platform::Utf8ToGbk(testing_support::Utf8Of(folder));

  const desk::DataFolder first = desk::PrepareUsersDataFolder(gbk);
  EXPECT_FALSE(first.failed);
  EXPECT_EQ(first.path, gbk);
  EXPECT_NE(platform::GbkToUtf8(first.note).find(testing_support::Utf8Of(folder)),
            std::string::npos);
  EXPECT_EQ(ModeOf(folder, 0700u), 0700u);
  EXPECT_EQ(ModeOf(home.path() / "share", 0700u), 0700u);
  for (const char* name : {"流水账.ldg", "客户库.ldg", "报表库.ldg", "报表库.lgt"})
    EXPECT_EQ(ModeOf(folder / name, 0600u), 0600u) << name;

  const auto ledger_size =
      std::filesystem::file_size(folder / testing_support::Utf8Path("流水账.ldg"));
  const desk::DataFolder second = desk::PrepareUsersDataFolder(gbk);
  EXPECT_FALSE(second.failed);
  EXPECT_TRUE(second.note.empty());
  EXPECT_EQ(std::filesystem::file_size(folder / testing_support::Utf8Path("流水账.ldg")),
            ledger_size);
}

TEST(PrepareUsersDataFolder, AFolderHoldingSomeOfTheFilesIsLeftAsItIs) {
  testing_support::TempDir folder;
  std::ofstream(testing_support::Utf8Path(folder.File("客户库.ldg"))) << "customers";
  const desk::DataFolder prepared =
      desk::PrepareUsersDataFolder(platform::Utf8ToGbk(testing_support::Utf8Of(folder.path())));
  EXPECT_FALSE(prepared.failed);
  EXPECT_TRUE(prepared.note.empty());
  EXPECT_FALSE(std::filesystem::exists(testing_support::Utf8Path(folder.File("流水账.ldg"))));
}

TEST(PrepareUsersDataFolder, AFolderThatCannotBeMadeIsAFailureThatSaysWhere) {
  testing_support::TempDir home;
  std::ofstream(home.File("share")) << "a file where the folder would go";
  const std::string folder = home.File("share") + "/orderdesk";
  const desk::DataFolder prepared = desk::PrepareUsersDataFolder(platform::Utf8ToGbk(folder));
  EXPECT_TRUE(prepared.failed);
  EXPECT_NE(platform::GbkToUtf8(prepared.note).find(folder), std::string::npos);
}

}  // namespace
