// A list's text buffer as it grows from a small block to one of its own.
#include "forms/text_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace forms::testing {
namespace {

TEST(TextBuffer, KeepsItsBytesThroughEveryGrowthEvenFromItself) {
  TextBuffer buffer;
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += static_cast<char>('!' + i % 90);
  buffer += expected;
  // From here on every append is a piece of the buffer itself, as a
  // rewritten row's cells are moved to the end, so each growth (within the
  // small block, into a block of its own, and of that block) happens while
  // the appended bytes lie in the buffer being grown.
  for (std::size_t i = 0; expected.size() < (std::size_t{9} << 20); ++i) {
    const std::size_t from = (i * 7919) % (expected.size() - 600), length = 1 + i % 600;
    buffer += buffer.view().substr(from, length);
    expected += expected.substr(from, length);
  }
  ASSERT_EQ(buffer.size(), expected.size());
  EXPECT_TRUE(buffer.view() == expected);

  buffer.truncate(5);
  buffer += "tail";
  TextBuffer moved(std::move(buffer));
  EXPECT_EQ(moved.view(), expected.substr(0, 5) + "tail");
  EXPECT_TRUE(buffer.empty());
  moved.release();
  EXPECT_TRUE(moved.empty());
  moved += "again";
  EXPECT_EQ(moved.view(), "again");
}

}  // namespace
}  // namespace forms::testing
