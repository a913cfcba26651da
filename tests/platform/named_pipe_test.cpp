// A named pipe where a data or settings file should be is refused at once,
// never waited on for a writer that does not come.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/system.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(NamedPipe, IsRefusedAtOnceAsADataFileOrASettingsFile) {
  testing_support::TempDir dir;
  const std::string pipe = dir.File("book.ldg");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (auto access : {platform::FileAccess::kReadOnly, platform::FileAccess::kReadWrite}) {
    platform::OpenedFile opened =
        platform::OpenFile(pipe, access, platform::FileSharing::kShareAll);
    EXPECT_EQ(opened.file, nullptr);
    EXPECT_EQ(opened.error, platform::FileError::kAccessDenied);
  }
  EXPECT_EQ(platform::system::ReadWholeFile(pipe), std::nullopt);
}

}  // namespace
