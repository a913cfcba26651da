#include "app/program_icon.h"

#include <array>
#include <cstdlib>
#include <vector>

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
// of print, drawn on a 32 x 32 grid: (u, v) is a point on it from the top
// left, so that pixel (x, y) of the 32-pixel icon is the point (x + 0.5,
// y + 0.5) and larger pictures sample the same shapes more finely.
Colour ColourAt(double u, double v) {
  constexpr double kRadius = 6;
  constexpr double kNear = kRadius + 0.5, kFar = kSide - kRadius - 0.5;
  const double cx = u < kNear ? kNear - u : (u > kFar ? u - kFar : 0);
  const double cy = v < kNear ? kNear - v : (v > kFar ? v - kFar : 0);
  if (cx > 0 && cy > 0 && cx * cx + cy * cy > kRadius * kRadius) return kClear;
  const bool on_paper = u >= 9 && u < 23 && v >= 5 && v < 27;
  if (!on_paper) return kRed;
  const bool print_line = (v >= 10 && v < 11) || (v >= 15 && v < 16) || (v >= 20 && v < 21);
  return print_line && u >= 11 && u < 21 ? kInk : kPaper;
}

Colour PixelAt(int x, int y) { return ColourAt(x + 0.5, y + 0.5); }

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

std::vector<std::uint8_t> ProgramIconImage(int side) {
  // Each pixel averages kSamples x kSamples points of the drawing, weighted
  // by their opacity, so edges that fall inside a pixel come out smooth.
  constexpr int kSamples = 8;
  std::vector<std::uint8_t> image(static_cast<std::size_t>(side) * side * 4);
  const double scale = static_cast<double>(kSide) / side;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Colour c =
              ColourAt((x + (sx + 0.5) / kSamples) * scale, (y + (sy + 0.5) / kSamples) * scale);
          r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
        }
      }
      std::uint8_t* px = image.data() + (static_cast<std::size_t>(y) * side + x) * 4;
      const auto channel = [](double v) { return static_cast<std::uint8_t>(v + 0.5); };
      if (a > 0) px[0] = channel(r / a), px[1] = channel(g / a), px[2] = channel(b / a);
      px[3] = channel(a / (kSamples * kSamples));
    }
  }
  return image;
}

std::span<const std::uint8_t> ProgramIcon() {
  static const std::array<std::uint8_t, kProgramIconSize> kIcon = MakeIcon();
  return kIcon;
}

}  // namespace desk
