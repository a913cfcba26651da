// How a table's cells take the paper: the columns stretched or narrowed to
// the width there is, a text too wide for its cell drawn smaller (down to a
// legible size) and then broken into lines, and a row grown to hold the
// lines of its texts. The table's own widths, heights and font sizes are
// never changed; they are where the drawing starts from.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "report/painter.h"
#include "report/table.h"

namespace report {

// The space between a cell's edge and its text, tenths of a millimetre at
// 100 percent.
constexpr int kCellPadding = 8;
// The smallest character height a text is shrunk to before it is broken
// into lines (2.5 mm, about 7 points); a text set smaller stays as it is.
constexpr int kMinTextSize = 25;

// A rectangle of cells drawn as one: rows k0..k1 of the drawn rows,
// columns c0..c1.
struct DrawnBlock {
  int k0 = 0, c0 = 0, k1 = 0, c1 = 0;
};

// Finds the blocks of the drawn rows: `rows[k]` is the table row drawn at
// position k, or -1 for a copy that shows lines only and joins nothing.
// Every cell belongs to one block: the first free cell met, row by row,
// starts a block as far as its join bits reach over free cells. `owner`
// receives the block of each drawn cell, row by row.
std::vector<DrawnBlock> FindBlocks(const Table& table, const std::vector<int>& rows,
                                   std::vector<int>& owner);

// The format a cell's text is drawn in at `scale` percent, before fitting.
TextFormat CellFormat(const Cell& cell, int scale);

// The padding on each side of a text in a cell `width` wide on the paper.
int CellPadding(int scale, int width);

// `format` made to hold `text` within `width` by `height`: as it is when
// it fits; else on one line in the largest smaller size that fits, not
// below kMinTextSize; else broken into lines at that size (which may then
// need more height).
TextFormat FitText(std::string_view text, TextFormat format, int width, int height,
                   const TextMeasure& measure);

// Column widths and row heights as drawn, in the table's own units (the
// page scales them by the pagination's percentage).
struct Geometry {
  std::vector<std::int64_t> column_widths;
  std::vector<std::int64_t> row_heights;
  std::int64_t width() const;
};

// The geometry of `table` drawn at `scale` percent on `paper_width` tenths
// of a millimetre (0 or less: the table's own widths): the columns share
// the width in the proportions of their own widths, and the last row of
// each block grows by what its fitted text needs beyond the block's height.
Geometry LayOut(const Table& table, int scale, std::int64_t paper_width,
                const TextMeasure& measure);

}  // namespace report
