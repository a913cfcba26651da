#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/md5.h"
#include "store/page_cipher.h"
#include "store/rc4.h"

namespace store {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

TEST(Md5, MatchesTheReferenceSuite) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {[] {
         std::string digits;
         for (int i = 0; i < 8; ++i) digits += "1234567890";
         return digits;
       }(),
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [message, digest] : cases)
    EXPECT_EQ(Hex(Md5(Bytes(message))), digest) << message;
}

TEST(Rc4, MatchesKnownKeystreams) {
  const struct {
    std::string key, plain, cipher_hex;
  } cases[] = {
      {"Key", "Plaintext", "bbf316e8d940af0ad3"},
      {"Wiki", "pedia", "1021bf0420"},
      {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
  };
  for (const auto& c : cases) {
    Rc4 rc4(Bytes(c.key));
    std::vector<std::uint8_t> data(c.plain.begin(), c.plain.end());
    for (auto& b : data) b ^= rc4.Next();
    EXPECT_EQ(Hex(data), c.cipher_hex) << c.key;
  }
}

TEST(Rc4, OnlyTheFirst256KeyBytesTakePart) {
  std::string key(256, 'k');
  Rc4 a(Bytes(key)), b(Bytes(key + "ignored tail"));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(a.Next(), b.Next());
}

TEST(DigestText, IsTheHexDigestWithPairsSwappedThenReversed) {
  EXPECT_EQ(DigestText("abc"), "727fe1287d3f96d6b04fd23c98500190");
  EXPECT_EQ(DigestText("qkd3094716"), "a65469a1aaa33fd55cb0b3c0d45951e0");
  EXPECT_EQ(DigestText(""), "7e42f8ec980980e904b2008fd98c1dd4");
}

// The cipher worked out the slow way, byte by byte and without any cache.
std::uint8_t ReferenceKeystreamByte(const std::string& password, std::uint64_t offset) {
  std::uint64_t page = offset / 4096;
  Rc4 base(Bytes(password));
  std::uint32_t salt = 0;
  for (std::uint64_t k = 0; k < page * 4 + 4; ++k) {
    std::uint8_t b = base.Next();
    if (k >= page * 4) salt |= std::uint32_t{b} << (8 * (k - page * 4));
  }
  std::string key;
  for (int k = 0; k < 4; ++k) key += static_cast<char>(salt >> (8 * k));
  key += DigestText(password);
  std::uint32_t mixed = static_cast<std::uint32_t>(page) ^ salt;
  for (int k = 0; k < 4; ++k) key += static_cast<char>(mixed >> (8 * k));
  Rc4 schedule(Bytes(key));
  std::uint8_t out = 0;
  for (std::uint64_t k = 0; k <= 36 + offset % 4096; ++k) out = schedule.Next();
  return out;
}

TEST(PageCipher, AgreesWithTheSlowComputationAcrossPagesAndCacheSlots) {
  PageCipher cipher("qkd3094716");
  // Page 65536 shares a cache slot with page 0, and page 65537 with page 1.
  const std::uint64_t offsets[] = {
      4, 5,    111,  4095, 4096, 4097, 8191, 8192 + 1000, 4096ull * 65536, 4096ull * 65537 + 36,
      4, 4096, 70000};
  for (std::uint64_t offset : offsets)
    EXPECT_EQ(cipher.KeystreamByte(offset), ReferenceKeystreamByte("qkd3094716", offset)) << offset;
}

TEST(PageCipher, LeavesTheMagicInClearAndIsItsOwnInverse) {
  PageCipher cipher("pw");
  std::vector<std::uint8_t> data(10000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> original = data;
  cipher.Apply(0, data);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 4, original.begin()));
  EXPECT_NE(data, original);
  cipher.Apply(0, data);
  EXPECT_EQ(data, original);
  // Deciphered into another buffer, the magic's bytes come along unchanged.
  std::vector<std::uint8_t> into(original.size(), 0xee);
  cipher.ApplyTo(0, original, into);
  cipher.Apply(0, data);
  EXPECT_EQ(into, data);
}

TEST(PageCipher, AByteAtAPageStartUsesThatPagesKeystreamByte36) {
  PageCipher cipher("pw");
  std::uint8_t one[1] = {0};
  cipher.Apply(4096, one);
  EXPECT_EQ(one[0], ReferenceKeystreamByte("pw", 4096));
  cipher.Apply(4096, one);
  EXPECT_EQ(one[0], 0);
}

TEST(PageCipher, TransfersSplitAtAPageBoundaryGiveTheSameBytes) {
  PageCipher cipher("pw");
  std::vector<std::uint8_t> whole(200, 0x5a), first(96, 0x5a), second(104, 0x5a);
  cipher.Apply(4000, whole);
  cipher.Apply(4000, first);
  cipher.Apply(4096, second);
  first.insert(first.end(), second.begin(), second.end());
  EXPECT_EQ(whole, first);
}

TEST(PageCipher, DifferentPasswordsGiveDifferentStreams) {
  PageCipher a("pw1"), b("pw2");
  int same = 0;
  for (std::uint64_t o = 4; o < 260; ++o) same += a.KeystreamByte(o) == b.KeystreamByte(o);
  EXPECT_LT(same, 16);
}

TEST(CipherPool, SharesOneCipherPerPassword) {
  CipherPool pool;
  EXPECT_EQ(pool.For("a").get(), pool.For("a").get());
  EXPECT_NE(pool.For("a").get(), pool.For("b").get());
}

}  // namespace
}  // namespace store
