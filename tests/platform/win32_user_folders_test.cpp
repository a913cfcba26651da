// The user's folders on Windows, under wine: the data folder under
// %LOCALAPPDATA%, and which folders count as the user's own.
#include <windows.h>
// After windows.h.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gbk.h"
#include "platform/user_folders.h"
#include "platform/win32/wide.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(WindowsUserFolders, TheDataFolderIsUnderLocalAppDataAndTheProgramsFolderIsNobodys) {
  wchar_t old[32768] = {};
  const bool had = GetEnvironmentVariableW(L"LOCALAPPDATA", old, 32768) > 0;
  SetEnvironmentVariableW(L"LOCALAPPDATA", L"C:\\Users\\王\\AppData\\Local\\");
  EXPECT_EQ(platform::UserDataDirectory("orderdesk"),
            platform::Utf8ToGbk("C:\\Users\\王\\AppData\\Local\\orderdesk"));
  SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
  EXPECT_FALSE(platform::UserDataDirectory("orderdesk"));
  SetEnvironmentVariableW(L"LOCALAPPDATA", had ? old : nullptr);

  testing_support::TempDir dir;
  EXPECT_TRUE(platform::IsUsersOwnFolder(platform::win32::WideToGbk(dir.path().wstring())));
  EXPECT_FALSE(platform::IsUsersOwnFolder(dir.File("missing")));
  // Writable under wine (and for an administrator), and still not the
  // user's own: an installed desk keeps its data in the user's folder.
  wchar_t programs[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(
      SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programs)));
  const std::filesystem::path installed = std::filesystem::path(programs) / L"orderdesk-test";
  std::filesystem::create_directories(installed);
  EXPECT_FALSE(platform::IsUsersOwnFolder(platform::win32::WideToGbk(installed.wstring())));
  std::filesystem::remove(installed);
  // The user's own programs folder, where a per-user install goes, likewise.
  wchar_t local[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH) > 0);
  const std::filesystem::path own = std::filesystem::path(local) / L"Programs" / L"orderdesk-test";
  std::filesystem::create_directories(own);
  EXPECT_FALSE(platform::IsUsersOwnFolder(platform::win32::WideToGbk(own.wstring())));
  EXPECT_TRUE(platform::IsUsersOwnFolder(
      platform::win32::WideToGbk(own.parent_path().parent_path().wstring())));
  std::filesystem::remove(own);
}

}  // namespace
