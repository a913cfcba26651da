// Laying out a report table as drawing operations: the grid on screen shows
// the whole table; a printed or previewed page shows the title rows, the
// page's rows and the page number.
//
// A merged block is drawn as one cell with the text, font and colours of its
// top-left cell. A line is drawn on an edge between two different blocks (or
// on the table's outer edge) when either cell records it, or on every such
// edge when the print settings add table lines. Attribute codes set the
// alignment, weight and wrapping of the text (StyleOfCode).
#pragma once

#include "report/pagination.h"
#include "report/painter.h"
#include "report/table.h"

namespace report {

struct CellStyle {
  Align horizontal = Align::kStart;
  Align vertical = Align::kCentre;
  bool bold = false;
  bool wrap = false;
  friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

// How the text of a cell with attribute `code` is placed:
//   1 left, 2 left top, 3 left bottom,
//   4 centre top, 5 centre, 6 centre bottom,
//   7 right top, 8 right, 9 right bottom,
//   10 left bold, 11 centre bold, 12 right bold,
//   13 left top wrapped, 14 centre wrapped;
// vertically centred where no side is named. Other codes draw as 1.
CellStyle StyleOfCode(int code);

// Widths of drawn lines, in tenths of a millimetre.
constexpr int kLineWidth = 2;
constexpr int kHeavyLineWidth = 6;
// Height of the printed page number.
constexpr int kPageNumberSize = 35;

// The printed page number, "第 N 页" (GBK).
runtime::Text PageNumberText(int number);

// The whole table at 100 percent with its top-left corner at (0, 0), its
// columns sharing `width` (0: their own widths) and its texts fitted to
// their cells as the painter measures them (LayOut).
void DrawTable(const Table& table, Painter& painter, int width = 0);

// The size the whole table takes when DrawTable draws it.
PageSize TableExtent(const Table& table, const TextMeasure& measure = TextMeasure(), int width = 0);

// The height of the table's first `rows` rows (a negative height counts as
// none), in tenths of a millimetre: where row `rows` begins.
double RowsHeight(const Table& table, int rows);

// One page of `pagination` on `paper`, with the table's print settings:
// the title rows, then the page's rows, scaled, inside the margins, in the
// pagination's geometry (the printable width, texts fitted); on the
// last page of the table, when the settings ask for it and pages go by
// height, copies of the last row's lines fill the rest of the page; the page
// number at its position in the margin.
void DrawPage(const Table& table, const Pagination& pagination, const Page& page, PageSize paper,
              Painter& painter);

}  // namespace report
