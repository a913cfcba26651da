// The side-by-side keystreams of a field never change what a comparison
// finds: fresh, read back, damaged, foreign or cut short under a reader,
// every record's bytes are the cipher's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/field_keystreams.h"
#include "store/page_cipher.h"
#include "tests/support/flip_byte.h"
#include "tests/support/temp_dir.h"

namespace store {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFirst = 2016 + 40, kStride = 1400, kRecords = 6000;
// Records in the first, second and a later block, at line borders.
const std::vector<std::uint64_t> kSome = {0, 1, 3, 4, 255, 256, 257, 1000, 1003, 5999};

class FieldKeystreamsTest : public testing::Test {
 protected:
  std::vector<std::uint8_t> Expected(std::uint64_t record) {
    std::vector<std::uint8_t> bytes(FieldKeystreams::kBytes);
    plain_.Apply(kFirst + record * kStride, bytes);
    return bytes;
  }
  std::unique_ptr<FieldKeystreams> Open() {
    return FieldKeystreams::Open(dir_.path().string(), plain_.digest_text(), kFirst, kStride,
                                 [this](std::uint64_t offset, std::span<std::uint8_t> out) {
                                   ++computed_;
                                   std::fill(out.begin(), out.end(), std::uint8_t{0});
                                   plain_.Apply(offset, out);
                                 });
  }
  // Every record of kSome gives the cipher's bytes; how many were computed.
  int Check(FieldKeystreams& keystreams) {
    computed_ = 0;
    for (std::uint64_t record : kSome) {
      const std::uint8_t* bytes = keystreams.Of(record, kRecords);
      if (bytes == nullptr) continue;  // none at hand: the walk uses the cipher
      EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + FieldKeystreams::kBytes), Expected(record))
          << record;
    }
    return computed_;
  }
  fs::path File() const {
    return dir_.path() / FieldKeystreams::FileName(plain_.digest_text(), kFirst, kStride);
  }
  // Byte `k` of the line that holds `record`, or of its check value.
  static std::uint64_t LineByte(std::uint64_t record, std::uint64_t k) {
    const std::uint64_t line = record / 4;
    return 4096 + line / 64 * 4608 + line % 64 * 64 + k;
  }
  static std::uint64_t CheckByte(std::uint64_t record, std::uint64_t k) {
    const std::uint64_t line = record / 4;
    return 4096 + line / 64 * 4608 + 4096 + line % 64 * 8 + k;
  }
  void FlipByte(std::uint64_t offset) { testing_support::FlipByte(File(), offset); }

  testing_support::TempDir dir_;
  PageCipher plain_{"secret"};
  int computed_ = 0;
};

TEST_F(FieldKeystreamsTest, FilledOnceThenReadBackAndMendedWhereDamaged) {
  const int lines = 6;  // kSome's records lie in six lines
  {
    auto first = Open();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Check(*first), 4 * lines);
  }
  EXPECT_EQ(Check(*Open()), 0);
  FlipByte(LineByte(257, 5));
  FlipByte(CheckByte(1000, 2));
  EXPECT_EQ(Check(*Open()), 2 * 4);
  EXPECT_EQ(Check(*Open()), 0);
  // Another layout's bytes never pass for this one's, nor a stranger's
  // header: the file is made afresh.
  fs::copy_file(File(), dir_.path() / "copy");
  { std::ofstream(File(), std::ios::in | std::ios::out | std::ios::binary).write("garbage", 7); }
  EXPECT_EQ(Check(*Open()), 0);
  fs::copy_file(dir_.path() / "copy",
                dir_.path() / FieldKeystreams::FileName(plain_.digest_text(), kFirst + 4, kStride));
  auto other = FieldKeystreams::Open(dir_.path().string(), plain_.digest_text(), kFirst + 4,
                                     kStride, [](std::uint64_t, std::span<std::uint8_t> out) {
                                       std::fill(out.begin(), out.end(), std::uint8_t{7});
                                     });
  ASSERT_NE(other, nullptr);
  const std::uint8_t* bytes = other->Of(0, kRecords);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 16), std::vector<std::uint8_t>(16, 7));
}

TEST_F(FieldKeystreamsTest, AFileCutShortUnderAReaderGivesTheCiphersBytes) {
  auto reader = Open();
  ASSERT_NE(reader, nullptr);
  Check(*reader);
  std::error_code refused;
  fs::resize_file(File(), 4096, refused);
  // Windows refuses to cut a file while it is mapped: nothing to survive.
  if (refused) GTEST_SKIP() << "this system refuses to cut a mapped file: " << refused.message();
  Check(*reader);
  Check(*Open());
}

}  // namespace
}  // namespace store
