// Conversions and text commands over many random inputs (fixed seed): no
// crash, and the properties that must hold whatever the bytes are.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/text_commands.h"

namespace runtime {
namespace {

// Random text from an alphabet rich in what the readers look for.
std::string RandomText(std::mt19937& random, std::size_t max_length) {
  static const std::string kAlphabet =
      std::string("0123456789+-.eE xX\t,aAbB\xA1\xA3\xB0\x81\xFF\x80\x5C", 30) +
      std::string(1, '\0');
  std::uniform_int_distribution<std::size_t> length(0, max_length);
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::uniform_int_distribution<int> any_byte(0, 255);
  std::string text(length(random), ' ');
  for (char& c : text)
    c = random() % 4 == 0 ? static_cast<char>(any_byte(random)) : kAlphabet[pick(random)];
  return text;
}

bool IsCharacterStart(std::string_view text, std::size_t offset) {
  for (std::size_t i = 0; i < text.size(); i += platform::CharLength(text, i))
    if (i == offset) return true;
  return false;
}

TEST(RandomInput, ToNumberReadsAnyBytes) {
  std::mt19937 random(20080501);
  for (int i = 0; i < 20000; ++i) {
    std::string text = RandomText(random, 24);
    double number = ToNumber(Value::OfText(text));
    ASSERT_FALSE(std::isnan(number)) << platform::GbkToUtf8(text);
    // What follows a number that cannot continue it changes nothing.
    ASSERT_EQ(ToNumber(Value::OfText(text + "zz")), number) << platform::GbkToUtf8(text);
  }
}

TEST(RandomInput, ShownNumbersReadBackAlmostExactly) {
  std::mt19937_64 random(42);
  for (int i = 0; i < 20000; ++i) {
    std::uint64_t bits = random();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    double back = ToNumber(Value::OfText(ToText(Value::Double(value))));
    if (std::fabs(value) < 1e-300) continue;  // subnormals keep fewer digits
    ASSERT_NEAR(back / value, 1.0, 1e-12) << value;
  }
}

TEST(RandomInput, TextCommandsKeepToCharacters) {
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) {
    std::string text = RandomText(random, 16);
    std::string sought = RandomText(random, 2);
    std::int32_t start = static_cast<std::int32_t>(random() % 20) - 2;
    std::int32_t found = FindText(text, sought, start);
    if (found != -1 && !sought.empty()) {
      ASSERT_GE(found, 1);
      ASSERT_EQ(text.substr(static_cast<std::size_t>(found) - 1, sought.size()), sought);
      if (start <= 1) {
        ASSERT_TRUE(IsCharacterStart(text, static_cast<std::size_t>(found) - 1));
      }
    }
    FindText(text, sought, start, true);
    ASSERT_EQ(ReplaceSubText(text, sought, sought, start, {}, true), text);
    ReplaceSubText(text, sought, "xyz", start, static_cast<std::int32_t>(random() % 3) - 1);
    std::vector<Text> parts = SplitText(text, sought);
    if (!sought.empty() && !text.empty()) {
      std::string joined;
      for (std::size_t p = 0; p < parts.size(); ++p) joined += (p ? sought : "") + parts[p];
      ASSERT_TRUE(joined == text || joined + sought == text) << platform::GbkToUtf8(text);
    }
    SplitText(text, sought, static_cast<std::int32_t>(random() % 4) - 1);
  }
}

}  // namespace
}  // namespace runtime
