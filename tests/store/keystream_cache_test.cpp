// The keystream cache file never changes what the cipher gives: with it,
// without it, after its bytes are damaged and when it was made for another
// password, every byte deciphers the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/keystream_cache.h"
#include "store/page_cipher.h"
#include "tests/support/temp_dir.h"

namespace store {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFirst = KeystreamCache::kFirstFilePage;
constexpr std::uint64_t kChunk = KeystreamCache::kChunkPages;

// Bytes of a range of pages that straddles the start of the cache file's
// reach and the border between its first two chunks, deciphered from zeros.
std::vector<std::uint8_t> Stream(PageCipher& cipher) {
  std::vector<std::uint8_t> out;
  for (std::uint64_t page : {std::uint64_t{0}, kFirst - 1, kFirst, kFirst + kChunk - 1,
                             kFirst + kChunk, kFirst + 3 * kChunk + 17}) {
    std::vector<std::uint8_t> bytes(kCipherPageSize + 100);
    cipher.Apply(page * kCipherPageSize - (page ? 50 : 0), bytes);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::vector<std::uint8_t> WithoutFile(const std::string& password) {
  PageCipher plain(password);
  return Stream(plain);
}

fs::path CacheFile(const fs::path& folder, const std::string& password) {
  return folder / KeystreamCache::FileName(DigestText(password));
}

// Offset of byte `k` of page `page` in the cache file: header and check
// table come first.
std::uint64_t FileOffset(std::uint64_t page, std::uint64_t k) {
  return 4096 + 8 * KeystreamCache::kMaxChunks + (page - kFirst) * kCipherPageSize + k;
}

void FlipByte(const fs::path& file, std::uint64_t offset) {
  std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
  stream.seekg(static_cast<std::streamoff>(offset));
  char byte = 0;
  stream.read(&byte, 1);
  stream.seekp(static_cast<std::streamoff>(offset));
  byte = static_cast<char>(byte ^ 0x5a);
  stream.write(&byte, 1);
}

TEST(KeystreamCache, FirstAndLaterRunsDecipherAsWithoutIt) {
  testing_support::TempDir dir;
  const std::vector<std::uint8_t> expected = WithoutFile("secret");
  {
    PageCipher first("secret", dir.path().string());
    EXPECT_EQ(Stream(first), expected);
  }
  ASSERT_TRUE(fs::exists(CacheFile(dir.path(), "secret")));
  EXPECT_EQ(fs::status(CacheFile(dir.path(), "secret")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  PageCipher second("secret", dir.path().string());
  EXPECT_EQ(Stream(second), expected);
}

TEST(KeystreamCache, DamageIsFoundBeforeUseAndMended) {
  struct Case {
    const char* what;
    std::uint64_t offset;
  } cases[] = {
      {"first byte of a chunk", FileOffset(kFirst, 0)},
      {"a byte inside a chunk", FileOffset(kFirst + 5, 1234)},
      {"last byte of a chunk", FileOffset(kFirst + kChunk - 1, kCipherPageSize - 1)},
      {"a chunk's check value", 4096 + 8 + 3},
      {"the header's password check", 45},
      {"the header's magic", 0},
  };
  const std::vector<std::uint8_t> expected = WithoutFile("secret");
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    {
      PageCipher fill("secret", dir.path().string());
      Stream(fill);
    }
    FlipByte(CacheFile(dir.path(), "secret"), c.offset);
    {
      PageCipher damaged("secret", dir.path().string());
      EXPECT_EQ(Stream(damaged), expected) << c.what;
    }
    // The mended file serves the next run unchanged.
    PageCipher after("secret", dir.path().string());
    EXPECT_EQ(Stream(after), expected) << c.what;
  }
}

TEST(KeystreamCache, AFileMadeForAnotherPasswordIsNotUsed) {
  testing_support::TempDir dir;
  {
    PageCipher other("other", dir.path().string());
    Stream(other);
  }
  fs::copy_file(CacheFile(dir.path(), "other"), CacheFile(dir.path(), "secret"));
  PageCipher cipher("secret", dir.path().string());
  EXPECT_EQ(Stream(cipher), WithoutFile("secret"));
  EXPECT_NE(WithoutFile("secret"), WithoutFile("other"));
}

TEST(KeystreamCache, AFolderThatCannotHoldItFallsBackToMemory) {
  testing_support::TempDir dir;
  // A plain file where the folder should be.
  std::ofstream(dir.File("blocked")) << "x";
  PageCipher blocked("secret", dir.File("blocked"));
  EXPECT_EQ(Stream(blocked), WithoutFile("secret"));
  // A cache file others may read is not trusted.
  {
    PageCipher fill("secret", dir.path().string());
    Stream(fill);
  }
  fs::permissions(CacheFile(dir.path(), "secret"), fs::perms::group_read, fs::perm_options::add);
  PageCipher shared("secret", dir.path().string());
  EXPECT_EQ(Stream(shared), WithoutFile("secret"));
}

}  // namespace
}  // namespace store
