#include "app/program_icon.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// What a reader of icon files checks before it shows the image.
TEST(ProgramIcon, IsOneThirtyTwoBitImageOfThirtyTwoPixelsInTheIconFileFormat) {
  const auto icon = desk::ProgramIcon();
  ASSERT_EQ(icon.size(), 4286u);
  EXPECT_EQ(Read16(icon, 0), 0);       // reserved
  EXPECT_EQ(Read16(icon, 2), 1);       // an icon, not a cursor
  EXPECT_EQ(Read16(icon, 4), 1);       // one image
  EXPECT_EQ(icon[6], 32);              // width
  EXPECT_EQ(icon[7], 32);              // height
  EXPECT_EQ(Read16(icon, 12), 32);     // bits per pixel
  EXPECT_EQ(Read32(icon, 14), 4264u);  // image bytes
  EXPECT_EQ(Read32(icon, 18), 22u);    // image offset
  EXPECT_EQ(Read32(icon, 22), 40u);    // bitmap header size
  EXPECT_EQ(Read32(icon, 26), 32u);
  EXPECT_EQ(Read32(icon, 30), 64u);  // colour image and mask
  EXPECT_EQ(Read16(icon, 36), 32);
  EXPECT_EQ(Read32(icon, 38), 0u);  // uncompressed
}

TEST(ProgramIcon, MaskIsSetExactlyWhereThePixelsAreClear) {
  const auto icon = desk::ProgramIcon();
  const std::size_t pixels = 22 + 40;
  const std::size_t mask = pixels + 32 * 32 * 4;
  int clear = 0;
  for (int row = 0; row < 32; ++row) {
    for (int x = 0; x < 32; ++x) {
      const bool transparent = icon[pixels + (row * 32 + x) * 4 + 3] == 0;
      const bool masked = (icon[mask + row * 4 + x / 8] & (0x80 >> (x % 8))) != 0;
      EXPECT_EQ(transparent, masked) << "row " << row << " x " << x;
      clear += transparent;
    }
  }
  // The rounded corners are clear, the rest is drawn.
  EXPECT_GT(clear, 0);
  EXPECT_LT(clear, 32 * 4);
}

}  // namespace
