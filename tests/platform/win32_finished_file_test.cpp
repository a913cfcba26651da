// A finished file on Windows, under wine: an old file that a spreadsheet
// program holds open (sharing reads and writes, not its deletion) cannot be
// replaced; the failure says so and leaves the old file and nothing beside.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/finished_file.h"
#include "platform/gbk.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(WindowsFinishedFile, AFileHeldOpenElsewhereIsToldAndKept) {
  testing_support::TempDir dir;
  const std::filesystem::path path = dir.path() / L"列表.xlsx";
  { std::ofstream(path, std::ios::binary) << "old"; }
  const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string gbk_path = platform::Utf8ToGbk(testing_support::Utf8Of(path));
  EXPECT_EQ(platform::PutFileInPlace(gbk_path, "new"), platform::FileError::kSharingViolation);
  CloseHandle(held);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  // Once it is let go, the new file takes its place.
  in.close();
  EXPECT_EQ(platform::PutFileInPlace(gbk_path, "new"), platform::FileError::kNone);
}

}  // namespace
