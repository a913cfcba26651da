// The keystream cache file never changes what the cipher gives: with it,
// without it, after its bytes are damaged and when it was made for another
// password, every byte deciphers the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "store/keystream_cache.h"
#include "store/page_cipher.h"
#include "tests/support/file_mode.h"
#include "tests/support/flip_byte.h"
#include "tests/support/temp_dir.h"

namespace store {
namespace {

namespace fs = std::filesystem;

// The first page a cipher of small files takes from the cache file.
constexpr std::uint64_t kFirst = PageCipher::kMemoryOnlyPages;
constexpr std::uint64_t kChunk = KeystreamCache::kChunkPages;

// Bytes of a range of pages that straddles the start of the cache file's
// reach for small files and the border between its first two chunks, and
// then goes back to a chunk met before, deciphered from zeros.
std::vector<std::uint8_t> Stream(PageCipher& cipher) {
  std::vector<std::uint8_t> out;
  for (std::uint64_t page : {std::uint64_t{0}, kFirst - 1, kFirst, kFirst + kChunk - 1,
                             kFirst + kChunk, kFirst + 3 * kChunk + 17, kFirst + 2}) {
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
// table come first, and each chunk is followed by its lines' check values.
constexpr std::uint64_t kChunkStride = KeystreamCache::kChunkBytes * 9 / 8;
std::uint64_t ChunkOffset(std::uint64_t page) {
  return 4096 + 8 * KeystreamCache::kMaxChunks + page / kChunk * kChunkStride;
}
std::uint64_t FileOffset(std::uint64_t page, std::uint64_t k) {
  return ChunkOffset(page) + page % kChunk * kCipherPageSize + k;
}
// Byte `k` of the check value of the line that holds byte `at` of `page`.
std::uint64_t LineCheckOffset(std::uint64_t page, std::uint64_t at, std::uint64_t k) {
  const std::uint64_t line = (page % kChunk * kCipherPageSize + at) / KeystreamCache::kLineBytes;
  return ChunkOffset(page) + KeystreamCache::kChunkBytes + 8 * line + k;
}

using testing_support::FlipByte;

TEST(KeystreamCache, FirstAndLaterRunsDecipherAsWithoutIt) {
  testing_support::TempDir dir;
  const std::vector<std::uint8_t> expected = WithoutFile("secret");
  {
    PageCipher first("secret", dir.path().string());
    EXPECT_EQ(Stream(first), expected);
  }
  ASSERT_TRUE(fs::exists(CacheFile(dir.path(), "secret")));
  if (testing_support::PermissionBits(CacheFile(dir.path(), "secret"))) {
    EXPECT_EQ(fs::status(CacheFile(dir.path(), "secret")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
  }
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
      {"a line's check value", LineCheckOffset(kFirst, 1234, 2)},
      {"the header's password check", 45},
      {"the header's magic", 0},
  };
  const std::vector<std::uint8_t> expected = WithoutFile("secret");
  // Found whether the damaged run reads its chunks into copies or verifies
  // them where they are mapped.
  for (const Case& c : cases)
    for (bool reads : {true, false}) {
      testing_support::TempDir dir;
      {
        PageCipher fill("secret", dir.path().string());
        Stream(fill);
      }
      FlipByte(CacheFile(dir.path(), "secret"), c.offset);
      {
        PageCipher damaged("secret", dir.path().string());
        damaged.ReadUnreadyChunks(reads);
        // As for a big data file: the chunks are mapped ahead, and a walk
        // that verifies them where they are mapped checks lines one by one.
        damaged.NoteFileSize((kFirst + 4 * kChunk) * kCipherPageSize);
        EXPECT_EQ(Stream(damaged), expected) << c.what << (reads ? ", read" : ", mapped");
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

// The cache file's name is predictable: a link planted under it is not
// followed, and its target keeps its bytes.
TEST(KeystreamCache, ALinkUnderItsNameIsNotFollowed) {
  testing_support::TempDir dir;
  const fs::path target = dir.path() / "precious";
  std::ofstream(target) << "keep";
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                  fs::perm_options::replace);
  std::error_code no_links;
  fs::create_symlink(target, CacheFile(dir.path(), "secret"), no_links);
  if (no_links) GTEST_SKIP() << "no symbolic links here: " << no_links.message();
  {
    PageCipher linked("secret", dir.path().string());
    EXPECT_EQ(Stream(linked), WithoutFile("secret"));
  }
  EXPECT_EQ(fs::file_size(target), 4u);
  EXPECT_TRUE(fs::is_symlink(CacheFile(dir.path(), "secret")));
}

// A file longer than the memory-only pages takes its first pages from the
// cache file too, so that a later run verifies them instead of computing
// them; a file that fits never makes a cache file.
TEST(KeystreamCache, ALargeFileTakesItsFirstPagesFromTheFile) {
  const std::uint64_t kMemoryOnlyBytes = kFirst * kCipherPageSize;
  // The keystream of page 0, bytes 4 on (the first four stay in clear).
  std::vector<std::uint8_t> computed(kCipherPageSize);
  PageCipher plain("secret");
  plain.Apply(0, computed);
  const auto page_zero_in_file = [](const fs::path& file) {
    std::vector<char> bytes(kCipherPageSize);
    std::ifstream stream(file, std::ios::binary);
    stream.seekg(static_cast<std::streamoff>(FileOffset(0, 0)));
    stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
  };
  {
    testing_support::TempDir dir;
    PageCipher small("secret", dir.path().string());
    small.NoteFileSize(kMemoryOnlyBytes);
    for (std::uint64_t page = 0; page < kFirst; page += 97) {
      std::vector<std::uint8_t> bytes(kCipherPageSize);
      small.Apply(page * kCipherPageSize, bytes);
    }
    EXPECT_FALSE(fs::exists(CacheFile(dir.path(), "secret")));
  }
  testing_support::TempDir dir;
  const std::vector<std::uint8_t> expected = WithoutFile("secret");
  {
    PageCipher large("secret", dir.path().string());
    large.NoteFileSize(kMemoryOnlyBytes + 1);
    EXPECT_EQ(Stream(large), expected);
  }
  std::vector<std::uint8_t> stored = page_zero_in_file(CacheFile(dir.path(), "secret"));
  ASSERT_EQ(stored.size(), computed.size());
  // Bytes 0-3 meet the clear prefix, so Apply left them as they were.
  EXPECT_TRUE(
      std::equal(stored.begin() + kClearPrefix, stored.end(), computed.begin() + kClearPrefix));
  EXPECT_EQ(stored[kClearPrefix], plain.KeystreamByte(kClearPrefix));
  EXPECT_EQ(stored[0], plain.KeystreamByte(0));

  // Damage in page 0 is found before use and mended, as in any chunk.
  FlipByte(CacheFile(dir.path(), "secret"), FileOffset(0, 700));
  {
    PageCipher damaged("secret", dir.path().string());
    damaged.NoteFileSize(kMemoryOnlyBytes + 1);
    EXPECT_EQ(Stream(damaged), expected);
  }
  EXPECT_EQ(page_zero_in_file(CacheFile(dir.path(), "secret")), stored);
}

// A file of the layout whose chunks started at page 4096 must not pass for
// one that starts at page 0: its chunks would be taken for the wrong pages.
TEST(KeystreamCache, AFileOfTheOldLayoutStartsAfresh) {
  testing_support::TempDir dir;
  {
    PageCipher fill("secret", dir.path().string());
    fill.NoteFileSize(kFirst * kCipherPageSize + 1);
    Stream(fill);
  }
  const fs::path file = CacheFile(dir.path(), "secret");
  // Layout 1: version 1 at byte 16 and first page 4096 at byte 32; the
  // chunk table and check values left as they are.
  {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::uint32_t version = 1;
    const std::uint64_t first_page = 4096;
    stream.seekp(16);
    stream.write(reinterpret_cast<const char*>(&version), sizeof version);
    stream.seekp(32);
    stream.write(reinterpret_cast<const char*>(&first_page), sizeof first_page);
  }
  PageCipher cipher("secret", dir.path().string());
  cipher.NoteFileSize(kFirst * kCipherPageSize + 1);
  EXPECT_EQ(Stream(cipher), WithoutFile("secret"));
}

// A big file's chunks are verified on another thread while a walk uses
// them: chunks that verify, one that is damaged and ones never filled must
// all give what the cipher computes, whichever thread reaches them first.
// A second walk, while the other thread makes ready the pages of the
// chunks the first walk verified from copies, gives the same. So do walks
// that check the lines they use where the chunks are mapped.
TEST(KeystreamCache, ChunksVerifiedAheadOnAnotherThreadDecipherAsWithoutIt) {
  constexpr std::uint64_t kFilled = 10, kNoted = 20, kWalked = 13;
  testing_support::TempDir dir;
  {
    PageCipher fill("secret", dir.path().string());
    ASSERT_TRUE(fill.NoteFileSize(kNoted * kChunk * kCipherPageSize));
    for (std::uint64_t chunk = 0; chunk < kFilled; ++chunk) {
      std::vector<std::uint8_t> bytes(16);
      fill.Apply(chunk * kChunk * kCipherPageSize + 64, bytes);
    }
  }
  FlipByte(CacheFile(dir.path(), "secret"), FileOffset(3 * kChunk + 40, 1000));
  // One page in eight of the walked chunks, straddling into the next page.
  PageCipher plain("secret");
  std::vector<std::vector<std::uint8_t>> expected;
  for (std::uint64_t page = 0; page < kWalked * kChunk; page += 8) {
    std::vector<std::uint8_t> bytes(200);
    plain.Apply(page * kCipherPageSize + kCipherPageSize - 100, bytes);
    expected.push_back(std::move(bytes));
  }
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    PageCipher cipher("secret", dir.path().string());
    cipher.ReadUnreadyChunks(round % 2 == 0);
    ASSERT_TRUE(cipher.NoteFileSize(kNoted * kChunk * kCipherPageSize));
    std::jthread ahead([&] {
      for (std::uint64_t chunk = kNoted; chunk-- > 0;)
        cipher.VerifyAhead(chunk * kChunk * kCipherPageSize, kChunk * kCipherPageSize);
    });
    const auto walk = [&] {
      std::size_t i = 0;
      for (std::uint64_t page = 0; page < kWalked * kChunk; page += 8, ++i) {
        std::vector<std::uint8_t> bytes(200);
        cipher.Apply(page * kCipherPageSize + kCipherPageSize - 100, bytes);
        ASSERT_EQ(bytes, expected[i]) << "page " << page;
      }
    };
    walk();
    ahead.join();
    std::jthread touch([&] { cipher.TouchAhead(0, kNoted * kChunk * kCipherPageSize); });
    walk();
  }
}

// The file's own user may cut the cache file short while a desk has it
// mapped (a cleaning tool, say): the desk goes on with the same keystreams,
// the lost pages computed again in its memory; a second desk shares the
// file before the cut, but one started after it leaves the file alone, as
// growing it would give the first desk's pages back as zeros; a later run
// starts the file afresh. A desk that checks lines where they are mapped
// finds the lost lines' check values gone and verifies their chunks whole.
TEST(KeystreamCache, AFileCutShortWhileMappedStillDeciphersAsWithoutIt) {
  const std::vector<std::uint8_t> expected = WithoutFile("secret");
  PageCipher plain("secret");
  std::vector<std::uint8_t> used_before(300), unused_before(300);
  plain.Apply((kFirst + 5 * kChunk + 3) * kCipherPageSize - 150, used_before);
  plain.Apply((kFirst + 7 * kChunk + 3) * kCipherPageSize - 150, unused_before);
  const std::uint64_t noted = (kFirst + 9 * kChunk) * kCipherPageSize;
  for (bool reads : {true, false})
    for (std::uint64_t cut_to : {std::uint64_t{0}, FileOffset(kFirst + kChunk + 9, 0)}) {
      SCOPED_TRACE(testing::Message() << cut_to << (reads ? ", read" : ", mapped"));
      testing_support::TempDir dir;
      if (!reads) {
        // Every chunk filled by an earlier run, none yet verified by this one.
        PageCipher fill("secret", dir.path().string());
        fill.NoteFileSize(noted);
        std::vector<std::uint8_t> bytes(16);
        for (std::uint64_t chunk = 0; chunk < 9; ++chunk)
          fill.Apply(chunk * kChunk * kCipherPageSize, bytes);
      }
      {
        PageCipher cipher("secret", dir.path().string());
        if (!reads) {
          cipher.ReadUnreadyChunks(false);
          cipher.NoteFileSize(noted);
        }
        ASSERT_EQ(Stream(cipher), expected);
        std::vector<std::uint8_t> bytes(300);
        cipher.Apply((kFirst + 5 * kChunk + 3) * kCipherPageSize - 150, bytes);
        ASSERT_EQ(bytes, used_before);
        {
          PageCipher beside("secret", dir.path().string());
          EXPECT_TRUE(beside.NoteFileSize(noted));
        }
        std::error_code refused;
        fs::resize_file(CacheFile(dir.path(), "secret"), cut_to, refused);
        // Windows refuses to cut a file while it is mapped: nothing to survive.
        if (refused)
          GTEST_SKIP() << "this system refuses to cut a mapped file: " << refused.message();
        {
          PageCipher second("secret", dir.path().string());
          EXPECT_FALSE(second.NoteFileSize(noted));
          EXPECT_EQ(Stream(second), expected);
        }
        // Not grown again behind pages mapped before the cut.
        EXPECT_EQ(fs::file_size(CacheFile(dir.path(), "secret")), cut_to);
        bytes.assign(300, 0);
        cipher.Apply((kFirst + 5 * kChunk + 3) * kCipherPageSize - 150, bytes);
        EXPECT_EQ(bytes, used_before);
        EXPECT_EQ(Stream(cipher), expected);
        bytes.assign(300, 0);
        cipher.Apply((kFirst + 7 * kChunk + 3) * kCipherPageSize - 150, bytes);
        EXPECT_EQ(bytes, unused_before);
        EXPECT_EQ(fs::file_size(CacheFile(dir.path(), "secret")), cut_to);
      }
      PageCipher later("secret", dir.path().string());
      EXPECT_EQ(Stream(later), expected);
    }
}

}  // namespace
}  // namespace store
