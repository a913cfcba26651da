// The settings-file editor over many random texts (fixed seed): no crash,
// and every edit does what it says without touching other settings.
#include <gtest/gtest.h>

#include <random>

#include "platform/gbk.h"
#include "platform/ini_file.h"

namespace platform {
namespace {

// A random settings text built from pieces of lines, so that sections,
// keys, quotes, comments and broken lines all occur.
std::string RandomIni(std::mt19937& random) {
  static const char* const kPieces[] = {
      "[a]",  "[A]", "[b]", "[ b ]",    "[a",   "]",    "a",  "b",  "B",
      "=",    " = ", "\"",  "'",        ";",    "1",    "22", " ",  "\t",
      "\r\n", "\n",  "\r",  "\xB5\xEA", "\x81", "\xFF", "[",  "==",
  };
  std::uniform_int_distribution<std::size_t> count(0, 40);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
  std::string text;
  for (std::size_t n = count(random); n > 0; --n) text += kPieces[pick(random)];
  return text;
}

std::string RandomName(std::mt19937& random) {
  static const char* const kNames[] = {"a", "A", "b", "B", "ab", "\xB5\xEA"};
  return kNames[random() % std::size(kNames)];
}

TEST(RandomIni, EditsDoWhatTheySayAndNothingElse) {
  std::mt19937 random(5201314);
  for (int i = 0; i < 20000; ++i) {
    std::string text = RandomIni(random);
    std::string section = RandomName(random), key = RandomName(random);
    std::string other_section = RandomName(random), other_key = RandomName(random);
    std::string value = std::to_string(random() % 1000);
    bool same_setting = EqualIgnoreCase(section, other_section) && EqualIgnoreCase(key, other_key);
    std::optional<std::string> other_before = ini::Find(text, other_section, other_key);

    std::string set = ini::Set(text, section, key, value);
    ASSERT_EQ(ini::Find(set, section, key), value) << text;
    if (!same_setting) {
      ASSERT_EQ(ini::Find(set, other_section, other_key), other_before) << text;
    }

    std::string without_key = ini::RemoveKey(text, section, key);
    ASSERT_EQ(ini::Find(without_key, section, key), std::nullopt) << text;
    if (!same_setting) {
      ASSERT_EQ(ini::Find(without_key, other_section, other_key), other_before) << text;
    }

    std::string without_section = ini::RemoveSection(text, section);
    ASSERT_EQ(ini::Find(without_section, section, key), std::nullopt) << text;
    if (!EqualIgnoreCase(section, other_section)) {
      ASSERT_EQ(ini::Find(without_section, other_section, other_key), other_before) << text;
    }
  }
}

}  // namespace
}  // namespace platform
