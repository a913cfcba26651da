// The icon stored with the program: one 32 x 32 image at 32 bits per pixel
// in the Windows icon-file format, 4 286 bytes. The real windows show it.
//
// Layout: icon directory (6) + one entry (16) + bitmap header (40) + colour
// pixels, bottom row first, B G R A (32 x 32 x 4) + transparency mask, one
// bit per pixel, rows padded to 4 bytes (32 x 4).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace desk {

constexpr std::size_t kProgramIconSize = 4286;

// The icon file's bytes, made once and fixed for the whole run.
std::span<const std::uint8_t> ProgramIcon();

// The same drawing as a `side` x `side` picture (the desktop's icon sizes):
// R G B A bytes, not premultiplied, the top row first.
std::vector<std::uint8_t> ProgramIconImage(int side);

}  // namespace desk
