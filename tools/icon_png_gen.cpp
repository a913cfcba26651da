// Build-time generator: writes the program icon as PNG pictures in the
// desktop's icon sizes, drawn by the same code as the icon stored with the
// program. Usage: icon_png_gen OUTPUT_DIR SIDE...  (writes OUTPUT_DIR/SIDE.png)
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/program_icon.h"

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A chunk: length (4, big-endian), type (4), data, CRC-32 of type and data (4).
void Chunk(std::vector<std::uint8_t>& png, const char* type,
           const std::vector<std::uint8_t>& data) {
  Put32(png, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  Put32(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// An 8-bit RGBA PNG of the icon at `side` pixels; empty when zlib fails.
std::vector<std::uint8_t> IconPng(int side) {
  const std::vector<std::uint8_t> rgba = desk::ProgramIconImage(side);
  // Every row starts with filter type 0 (none).
  std::vector<std::uint8_t> raw;
  const std::size_t row = static_cast<std::size_t>(side) * 4;
  for (int y = 0; y < side; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgba.begin() + y * row, rgba.begin() + (y + 1) * row);
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    return {};
  packed.resize(packed_size);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  // IHDR: width, height, bit depth 8, colour type 6 (RGBA), compression 0,
  // filter 0, no interlace.
  std::vector<std::uint8_t> header;
  Put32(header, static_cast<std::uint32_t>(side));
  Put32(header, static_cast<std::uint32_t>(side));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", {});
  return png;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: icon_png_gen OUTPUT_DIR SIDE...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int side = std::stoi(argv[i]);
    const std::vector<std::uint8_t> png = side > 0 ? IconPng(side) : std::vector<std::uint8_t>{};
    const std::string path = std::string(argv[1]) + "/" + argv[i] + ".png";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (png.empty() || !out) {
      std::fprintf(stderr, "icon_png_gen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
