#include <gtest/gtest.h>

#include <memory>

#include "store/long_value_file.h"
#include "store_test_util.h"

namespace store {
namespace {

using store_test::FileBytes;
using store_test::FileSize;
using store_test::Gbk;
using store_test::Int32At;
using store_test::WriteFileBytes;

class LongValueFileTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(""); }

  void Create(const std::string& password) {
    std::filesystem::remove(store_test::FsPath(data_path_));
    std::filesystem::remove(store_test::FsPath(long_path_));
    password_ = password;
    ASSERT_EQ(CreateDataFile(data_path_, {{"bytes", FieldType::kByteSet, 0}}, password), 0);
  }

  ErrorNumber Open(platform::FileAccess access = platform::FileAccess::kReadWrite,
                   std::uint32_t version = kFormatVersion, std::string path = {}) {
    LongValueOpenOptions options;
    options.access = access;
    options.data_file_version = version;
    if (!password_.empty()) options.cipher = std::make_shared<PageCipher>(password_);
    file_.reset();
    ErrorNumber opened = LongValueFile::Open(path.empty() ? long_path_ : path, options, file_);
    if (opened != error::kOk || access != platform::FileAccess::kReadWrite) return opened;
    return file_->Settle();
  }

  // Stores `size` bytes of `fill` over `reference` and returns the new one.
  std::int32_t Put(std::int32_t reference, std::size_t size, std::uint8_t fill = 0x61) {
    std::vector<std::uint8_t> value(size, fill);
    std::int32_t committed = -1;
    EXPECT_EQ(file_->Store(value, reference,
                           [&](std::int32_t r) {
                             committed = r;
                             return error::kOk;
                           }),
              0);
    std::vector<std::uint8_t> back;
    EXPECT_EQ(file_->Read(committed, back), 0);
    EXPECT_EQ(back, value);
    return committed;
  }

  LongValueHeader Header() {
    LongValueHeader header;
    EXPECT_EQ(file_->ReadHeader(header), 0);
    return header;
  }

  // prev, next, used of a block.
  std::vector<std::int32_t> Links(std::int32_t block) {
    LongValueBlock b;
    EXPECT_EQ(file_->ReadBlock(block, b), 0);
    return {b.prev, b.next, b.used};
  }

  testing_support::TempDir dir_;
  std::string data_path_ = store_test::PathIn(dir_, "报表库.ldg");
  std::string long_path_ = store_test::PathIn(dir_, "报表库.lgt");
  std::string password_;
  std::unique_ptr<LongValueFile> file_;
};

TEST_F(LongValueFileTest, GrowsAndShrinksThroughBlockBoundaries) {
  ASSERT_EQ(Open(), 0);
  // Each rewrite takes fresh blocks (free ones first) and then frees the
  // old chain; freed blocks at the end of the file are cut off.
  const struct {
    std::size_t size;
    std::int32_t reference, block_count, free_count, free_head;
    std::uint64_t file_size;
  } steps[] = {
      {0, 0, 1, 0, 0, 512},    {1, 1, 2, 0, 0, 1024},    {500, 2, 3, 1, 1, 1536},
      {501, 1, 4, 1, 2, 2048}, {1500, 2, 6, 2, 1, 3072}, {1, 1, 2, 0, 0, 1024},
      {0, 0, 1, 0, 0, 512},
  };
  std::int32_t reference = 0;
  for (const auto& step : steps) {
    reference = Put(reference, step.size);
    EXPECT_EQ(reference, step.reference) << step.size;
    LongValueHeader header = Header();
    EXPECT_EQ(header.block_count, step.block_count) << step.size;
    EXPECT_EQ(header.free_count, step.free_count) << step.size;
    EXPECT_EQ(header.free_head, step.free_head) << step.size;
    EXPECT_EQ(FileSize(long_path_), step.file_size) << step.size;
    if (step.size == 501) {
      EXPECT_EQ(Links(1), (std::vector<std::int32_t>{0, 3, 500}));
      EXPECT_EQ(Links(3), (std::vector<std::int32_t>{1, 0, 1}));
    }
  }
}

TEST_F(LongValueFileTest, ReleasedBlocksGoToTheFreeListAndAreReused) {
  ASSERT_EQ(Open(), 0);
  std::int32_t a = Put(0, 1500);  // blocks 1, 2, 3
  std::int32_t b = Put(0, 10);    // block 4
  EXPECT_EQ(b, 4);
  a = Put(a, 400);  // block 5; releases 1, 2 and 3
  EXPECT_EQ(a, 5);
  LongValueHeader header = Header();
  EXPECT_EQ(header.block_count, 6);
  EXPECT_EQ(header.free_count, 3);
  EXPECT_EQ(header.free_head, 1);
  EXPECT_EQ(Links(1), (std::vector<std::int32_t>{0, 2, 0}));
  EXPECT_EQ(Links(2), (std::vector<std::int32_t>{1, 3, 0}));
  EXPECT_EQ(Links(3), (std::vector<std::int32_t>{2, 0, 0}));
  EXPECT_EQ(Links(5), (std::vector<std::int32_t>{0, 0, 400}));

  b = Put(b, 1200, 0x62);  // takes 1, 2 and 3 from the free list, releases 4
  EXPECT_EQ(b, 1);
  EXPECT_EQ(Links(1), (std::vector<std::int32_t>{0, 2, 500}));
  EXPECT_EQ(Links(2), (std::vector<std::int32_t>{1, 3, 500}));
  EXPECT_EQ(Links(3), (std::vector<std::int32_t>{2, 0, 200}));
  header = Header();
  EXPECT_EQ(header.free_count, 1);
  EXPECT_EQ(header.free_head, 4);

  b = Put(b, 0);  // free: 1 -> 2 -> 3 -> 4; block 5 keeps the file long
  header = Header();
  EXPECT_EQ(header.block_count, 6);
  EXPECT_EQ(header.free_count, 4);
  EXPECT_EQ(header.free_head, 1);

  // Emptying a frees the last block of the file: everything after block 0 goes.
  a = Put(a, 0);
  header = Header();
  EXPECT_EQ(header.block_count, 1);
  EXPECT_EQ(header.free_count, 0);
  EXPECT_EQ(header.free_head, 0);
  EXPECT_EQ(FileSize(long_path_), 512u);
}

TEST_F(LongValueFileTest, ReleasingPutsBlocksInFrontOfTheOldHead) {
  ASSERT_EQ(Open(), 0);
  std::int32_t a = Put(0, 700);  // 1, 2
  std::int32_t b = Put(0, 700);  // 3, 4
  std::int32_t c = Put(0, 10);   // 5
  a = Put(a, 0);                 // free: 1 -> 2
  b = Put(b, 300);               // takes 1; free: 3 -> 4 -> 2
  EXPECT_EQ(b, 1);
  LongValueHeader header = Header();
  EXPECT_EQ(header.free_head, 3);
  EXPECT_EQ(header.free_count, 3);
  EXPECT_EQ(Links(3), (std::vector<std::int32_t>{0, 4, 0}));
  EXPECT_EQ(Links(4), (std::vector<std::int32_t>{3, 2, 0}));
  EXPECT_EQ(Links(2), (std::vector<std::int32_t>{4, 0, 0}));
  // Emptying c (the last block) trims 5, 4, 3 and 2 and leaves b in 1.
  c = Put(c, 0);
  header = Header();
  EXPECT_EQ(header.block_count, 2);
  EXPECT_EQ(header.free_head, 0);
  EXPECT_EQ(header.free_count, 0);
  EXPECT_EQ(FileSize(long_path_), 1024u);
  std::vector<std::uint8_t> back;
  EXPECT_EQ(file_->Read(b, back), 0);
  EXPECT_EQ(back.size(), 300u);
}

TEST_F(LongValueFileTest, ACommitFailureReleasesNothing) {
  ASSERT_EQ(Open(), 0);
  std::int32_t a = Put(0, 1200);
  EXPECT_EQ(file_->Store({}, a, [](std::int32_t) { return error::kHardware; }), error::kHardware);
  std::vector<std::uint8_t> back;
  EXPECT_EQ(file_->Read(a, back), 0);
  EXPECT_EQ(back.size(), 1200u);
  EXPECT_EQ(Header().free_count, 0);
}

TEST_F(LongValueFileTest, DamagedChainsReadAsErrorsNotLoops) {
  ASSERT_EQ(Open(), 0);
  std::int32_t a = Put(0, 1000);  // 1 -> 2
  file_.reset();
  auto bytes = FileBytes(long_path_);
  bytes[2 * 512 + 4] = 1;  // block 2 points back to block 1
  WriteFileBytes(long_path_, bytes);
  ASSERT_EQ(Open(), 0);
  std::vector<std::uint8_t> back;
  EXPECT_EQ(file_->Read(a, back), error::kLongValueAccess);
  EXPECT_TRUE(back.empty());
  EXPECT_EQ(file_->Read(9, back), error::kLongValueAccess);  // beyond the end
}

TEST_F(LongValueFileTest, ChecksOnOpening) {
  auto original = FileBytes(long_path_);
  auto with = [&](std::size_t offset, std::int32_t value) {
    auto bytes = original;
    StoreI32(bytes.data() + offset, value);
    WriteFileBytes(long_path_, bytes);
  };
  with(0, 0x5254474d);  // "MGTR"
  EXPECT_EQ(Open(), error::kLongValueFileUnreadable);
  with(16, 0);
  EXPECT_EQ(Open(), error::kLongValueFileUnreadable);
  with(20, 1);  // freeCount must stay below blockCount
  EXPECT_EQ(Open(), error::kLongValueFileUnreadable);
  with(24, -1);
  EXPECT_EQ(Open(), error::kLongValueFileUnreadable);
  WriteFileBytes(long_path_, original);
  EXPECT_EQ(Open(platform::FileAccess::kReadWrite, 0x20000), error::kLongValueFileVersion);
  EXPECT_EQ(Open(platform::FileAccess::kReadWrite, kFormatVersion,
                 store_test::PathIn(dir_, "missing.lgt")),
            error::kLongValueFileUnreadable);
  // A block count beyond the end: refused read-only, lowered read-write.
  with(16, 3);
  EXPECT_EQ(Open(platform::FileAccess::kReadOnly), error::kLongValueFileDamaged);
  EXPECT_EQ(Open(platform::FileAccess::kReadWrite), 0);
  EXPECT_EQ(Header().block_count, 1);
}

TEST_F(LongValueFileTest, FoundWhenTheNameDiffersInLetterCase) {
  // The data file "报表库.ldg" names its companion "报表库.LGT".
  EXPECT_EQ(Open(platform::FileAccess::kReadWrite, kFormatVersion, LongValueFileName(data_path_)),
            0);
  // The name the folder holds (a system that ignores letter case opens
  // it by the name asked for).
  EXPECT_TRUE(std::filesystem::equivalent(store_test::FsPath(file_->path()),
                                          store_test::FsPath(long_path_)));
}

TEST_F(LongValueFileTest, AFreeListLeftInconsistentIsCutBackOnOpeningForWriting) {
  ASSERT_EQ(Open(), 0);
  std::int32_t a = Put(0, 1500);
  Put(0, 10);
  Put(a, 0);  // free: 1 -> 2 -> 3, count 3
  file_.reset();
  auto bytes = FileBytes(long_path_);
  StoreI32(bytes.data() + 20, 4);  // count says 4
  bytes[2 * 512 + 8] = 7;          // block 2 no longer looks free
  WriteFileBytes(long_path_, bytes);
  ASSERT_EQ(Open(platform::FileAccess::kReadOnly), 0);
  EXPECT_EQ(Header().free_count, 4);  // read-only: left as found
  ASSERT_EQ(Open(), 0);
  LongValueHeader header = Header();
  EXPECT_EQ(header.free_head, 1);
  EXPECT_EQ(header.free_count, 1);
  EXPECT_EQ(Links(1)[1], 0);
}

TEST_F(LongValueFileTest, ProtectedFilesKeepTheMagicInClear) {
  Create("qkd3094716");
  ASSERT_EQ(Open(), 0);
  std::int32_t a = Put(0, 777, 0x33);
  file_.reset();
  auto raw = FileBytes(long_path_);
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 4), "LGTR");
  EXPECT_NE(Int32At(raw, 16), 3);  // enciphered
  EXPECT_EQ(Int32At(store_test::Deciphered(raw, password_), 16), 3);
  ASSERT_EQ(Open(), 0);
  std::vector<std::uint8_t> back;
  EXPECT_EQ(file_->Read(a, back), 0);
  EXPECT_EQ(back, std::vector<std::uint8_t>(777, 0x33));
  password_ = "wrong";
  ASSERT_EQ(Open(), error::kLongValueFileUnreadable);
}

}  // namespace
}  // namespace store
