#include "report/sheet.h"

#include <algorithm>

#include "report/layout.h"

namespace report {
namespace {

int ClampToInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, -100'000'000, 100'000'000));
}

bool JoinedRight(const Table& table, int row, int c) {
  return c + 1 < table.columns() && (table.At(row, c).flags & flag::kJoinRight) &&
         (table.At(row, c + 1).flags & flag::kJoinLeft);
}

bool JoinedDown(const Table& table, const std::vector<int>& rows, int k, int c) {
  if (k + 1 >= static_cast<int>(rows.size())) return false;
  const int a = rows[static_cast<std::size_t>(k)];
  const int b = rows[static_cast<std::size_t>(k + 1)];
  return a >= 0 && b == a + 1 && (table.At(a, c).flags & flag::kJoinDown) &&
         (table.At(b, c).flags & flag::kJoinUp);
}

}  // namespace

std::vector<DrawnBlock> FindBlocks(const Table& table, const std::vector<int>& rows,
                                   std::vector<int>& owner) {
  const int columns = table.columns();
  const int n = static_cast<int>(rows.size());
  owner.assign(rows.size() * static_cast<std::size_t>(columns), -1);
  auto at = [&](int k, int c) -> int& {
    return owner[static_cast<std::size_t>(k) * static_cast<std::size_t>(columns) +
                 static_cast<std::size_t>(c)];
  };
  std::vector<DrawnBlock> blocks;
  for (int k = 0; k < n; ++k)
    for (int c = 0; c < columns; ++c) {
      if (at(k, c) >= 0) continue;
      DrawnBlock b{k, c, k, c};
      const int row = rows[static_cast<std::size_t>(k)];
      if (row >= 0) {
        while (JoinedRight(table, row, b.c1) && at(k, b.c1 + 1) < 0) ++b.c1;
        while (JoinedDown(table, rows, b.k1, c) && at(b.k1 + 1, c) < 0) ++b.k1;
      }
      const int id = static_cast<int>(blocks.size());
      for (int kk = b.k0; kk <= b.k1; ++kk)
        for (int cc = b.c0; cc <= b.c1; ++cc)
          if (at(kk, cc) < 0) at(kk, cc) = id;
      blocks.push_back(b);
    }
  return blocks;
}

TextFormat CellFormat(const Cell& cell, int scale) {
  const CellStyle style = StyleOfCode(cell.attribute_code());
  TextFormat format;
  format.face = cell.face;
  const int size = cell.font_size > 0 ? cell.font_size : 40;
  format.size = std::max(1, ClampToInt(std::int64_t{size} * scale / 100));
  format.bold = style.bold;
  format.horizontal = style.horizontal;
  format.vertical = style.vertical;
  format.wrap = style.wrap;
  // Colours are stored 0x00BBGGRR; a set top byte means the default, black.
  const std::uint32_t stored = cell.text_colour;
  format.colour = (stored & 0xFF000000u)
                      ? 0
                      : (stored & 0xFF) << 16 | (stored & 0xFF00) | (stored >> 16 & 0xFF);
  return format;
}

int CellPadding(int scale, int width) {
  return std::min(ClampToInt(std::int64_t{kCellPadding} * scale / 100), std::max(width / 4, 0));
}

TextFormat FitText(std::string_view text, TextFormat format, int width, int height,
                   const TextMeasure& measure) {
  if (text.empty() || width <= 0) return format;
  TextFormat line = format;
  line.wrap = false;
  const TextExtent natural = measure.Measure(text, line, width);
  if (natural.width <= width && natural.height <= height) return format;
  const int smallest = std::min(format.size, kMinTextSize);
  // Extents grow about in proportion to the size: start from the size that
  // proportion gives and step down to one that the measure agrees fits.
  std::int64_t size = format.size;
  if (natural.width > width) size = size * width / natural.width;
  if (natural.height > height)
    size = std::min<std::int64_t>(size, std::int64_t{format.size} * height / natural.height);
  for (line.size = static_cast<int>(std::clamp<std::int64_t>(size, smallest, format.size));;
       --line.size) {
    const TextExtent e = measure.Measure(text, line, width);
    if (e.width <= width && e.height <= height) return line;
    if (line.size <= smallest) break;
  }
  line.size = smallest;
  line.wrap = true;
  return line;
}

std::int64_t Geometry::width() const {
  std::int64_t sum = 0;
  for (std::int64_t w : column_widths) sum += w;
  return sum;
}

Geometry LayOut(const Table& table, int scale, std::int64_t paper_width,
                const TextMeasure& measure) {
  scale = std::max(scale, 1);
  Geometry g;
  std::int64_t own = 0;
  for (std::int32_t w : table.column_widths) {
    g.column_widths.push_back(std::max(w, 0));
    own += std::max(w, 0);
  }
  for (std::int32_t h : table.row_heights) g.row_heights.push_back(std::max(h, 0));
  if (paper_width > 0 && own > 0) {
    // Shared in proportion, the last column taking what rounding leaves.
    const std::int64_t target = paper_width * 100 / scale;
    std::int64_t given = 0;
    for (std::size_t c = 0; c + 1 < g.column_widths.size(); ++c) {
      g.column_widths[c] = g.column_widths[c] * target / own;
      given += g.column_widths[c];
    }
    g.column_widths.back() = std::max<std::int64_t>(target - given, 0);
  }

  std::vector<int> rows;
  for (int r = 0; r < table.rows(); ++r) rows.push_back(r);
  std::vector<int> owner;
  for (const DrawnBlock& b : FindBlocks(table, rows, owner)) {
    const Cell& cell = table.At(b.k0, b.c0);
    const Text text = cell.text();
    if (text.empty()) continue;
    std::int64_t width = 0;
    for (int c = b.c0; c <= b.c1; ++c) width += g.column_widths[static_cast<std::size_t>(c)];
    const int paper = ClampToInt(width * scale / 100);
    const int box = paper - 2 * CellPadding(scale, paper);
    std::int64_t height = 0;
    for (int k = b.k0; k <= b.k1; ++k) height += g.row_heights[static_cast<std::size_t>(k)];
    const TextFormat fitted =
        FitText(text, CellFormat(cell, scale), box, ClampToInt(height * scale / 100), measure);
    // A text that needs more room than the block has is one broken into
    // lines at the smallest size: the block's last row grows to hold them.
    const std::int64_t needed =
        (std::int64_t{measure.Measure(text, fitted, box).height} * 100 + scale - 1) / scale;
    if (needed > height) g.row_heights[static_cast<std::size_t>(b.k1)] += needed - height;
  }
  return g;
}

}  // namespace report
