#include "app/program_icon.h"

#include <array>
#include <cstdlib>

namespace desk {
namespace {

constexpr int kSide = 32;
constexpr std::size_t kDirectorySize = 6 + 16;
constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kPixelBytes = kSide * kSide * 4;
constexpr std::size_t kMaskBytes = kSide * 4;
static_assert(kDirectorySize + kHeaderSize + kPixelBytes + kMaskBytes == kProgramIconSize);

struct Colour {
  std::uint8_t r, g, b, a;
};

constexpr Colour kClear{0, 0, 0, 0};
constexpr Colour kRed{0xC0, 0x30, 0x30, 0xFF};
constexpr Colour kPaper{0xFF, 0xFF, 0xFF, 0xFF};
constexpr Colour kInk{0x60, 0x60, 0x60, 0xFF};

// A red tile with rounded corners holding a white receipt with three lines
// of print (x, y from the top left).
Colour PixelAt(int x, int y) {
  constexpr int kRadius = 6;
  auto outside_corner = [](int dx, int dy) { return dx * dx + dy * dy > kRadius * kRadius; };
  const int cx =
      x < kRadius ? kRadius - x : (x > kSide - 1 - kRadius ? x - (kSide - 1 - kRadius) : 0);
  const int cy =
      y < kRadius ? kRadius - y : (y > kSide - 1 - kRadius ? y - (kSide - 1 - kRadius) : 0);
  if (cx > 0 && cy > 0 && outside_corner(cx, cy)) return kClear;
  const bool on_paper = x >= 9 && x <= 22 && y >= 5 && y <= 26;
  if (!on_paper) return kRed;
  const bool print_line = (y == 10 || y == 15 || y == 20) && x >= 11 && x <= 20;
  return print_line ? kInk : kPaper;
}

void Put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::array<std::uint8_t, kProgramIconSize> MakeIcon() {
  std::array<std::uint8_t, kProgramIconSize> icon{};
  std::uint8_t* p = icon.data();
  // Icon directory: reserved, type 1 (icon), one image.
  Put16(p + 2, 1);
  Put16(p + 4, 1);
  // Entry: width, height, no palette, planes 1, 32 bits, size, offset.
  p[6] = kSide;
  p[7] = kSide;
  Put16(p + 10, 1);
  Put16(p + 12, 32);
  Put32(p + 14, static_cast<std::uint32_t>(kProgramIconSize - kDirectorySize));
  Put32(p + 18, static_cast<std::uint32_t>(kDirectorySize));
  // Bitmap header: the height counts the colour image and the mask.
  std::uint8_t* h = p + kDirectorySize;
  Put32(h, kHeaderSize);
  Put32(h + 4, kSide);
  Put32(h + 8, 2 * kSide);
  Put16(h + 12, 1);
  Put16(h + 14, 32);
  Put32(h + 20, static_cast<std::uint32_t>(kPixelBytes + kMaskBytes));
  std::uint8_t* pixels = h + kHeaderSize;
  std::uint8_t* mask = pixels + kPixelBytes;
  for (int row = 0; row < kSide; ++row) {
    const int y = kSide - 1 - row;  // bottom row first
    for (int x = 0; x < kSide; ++x) {
      const Colour c = PixelAt(x, y);
      std::uint8_t* px = pixels + (row * kSide + x) * 4;
      px[0] = c.b;
      px[1] = c.g;
      px[2] = c.r;
      px[3] = c.a;
      if (c.a == 0) mask[row * 4 + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return icon;
}

}  // namespace

std::span<const std::uint8_t> ProgramIcon() {
  static const std::array<std::uint8_t, kProgramIconSize> kIcon = MakeIcon();
  return kIcon;
}

}  // namespace desk
