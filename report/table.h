// The report table: a rectangle of rows by columns of cells, with the row
// heights, column widths, title rows and print settings that go with it.
//
// Rows and columns count from 0 here; the data-source operations take them
// from 1 as the order desk gives them. Lengths are tenths of a millimetre.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace report {

using runtime::Bytes;
using runtime::Text;

// Bits of a cell's flags word.
namespace flag {
// Bits 0-3: the attribute code, 1 to 14 (1 when never set).
constexpr std::uint32_t kAttributeMask = 0xF;
// A line on one edge of the cell. A line between two cells is recorded on both.
constexpr std::uint32_t kLineLeft = 16;
constexpr std::uint32_t kLineTop = 32;
constexpr std::uint32_t kLineRight = 64;
constexpr std::uint32_t kLineBottom = 128;
constexpr std::uint32_t kLineMask = kLineLeft | kLineTop | kLineRight | kLineBottom;
// Line marks kept on the top-left cell of a block: the two diagonals and a
// heavy frame round the block.
constexpr std::uint32_t kMarkFallingDiagonal = 256;
constexpr std::uint32_t kMarkRisingDiagonal = 512;
constexpr std::uint32_t kMarkHeavyFrame = 1024;
// Joined with the neighbouring cell on that side; a merged block is the
// rectangle of cells these bits hold together.
constexpr std::uint32_t kJoinLeft = 0x40000;
constexpr std::uint32_t kJoinUp = 0x80000;
constexpr std::uint32_t kJoinRight = 0x100000;
constexpr std::uint32_t kJoinDown = 0x200000;
constexpr std::uint32_t kJoinMask = kJoinLeft | kJoinUp | kJoinRight | kJoinDown;
}  // namespace flag

// The attribute code of a cell that was never given one, and what a stored
// code outside 1-14 counts as.
constexpr int kDefaultAttributeCode = 1;

struct Cell {
  std::uint32_t flags = kDefaultAttributeCode;
  // Text colour and background colour, 0x00BBGGRR; a value with a non-zero
  // top byte stands for the default (black text, no background).
  std::uint32_t text_colour = 0;
  std::uint32_t background_colour = 0xFF000000;
  // Character height in tenths of a millimetre.
  std::int16_t font_size = 40;
  // Carried with the cell and written back as read; drawing does not use it.
  std::int16_t font_style = 9;
  // GBK face name; empty for the default face.
  Text face;
  // The stored data: the text and its terminating 0 byte, kept exactly as
  // read so that a table written again gives the same bytes. Empty for an
  // empty cell.
  Bytes data;

  // The text: the data up to its first 0 byte.
  Text text() const;
  // Replaces the text (cut at an embedded 0 byte); an empty text leaves no data.
  void SetText(std::string_view text);
  // The attribute code, 1-14; a stored code outside that range counts as 1.
  int attribute_code() const;

  friend bool operator==(const Cell&, const Cell&) = default;
};

// How a table is printed. The first group is saved with the table; the rest
// belongs to the print job at hand.
struct PrintSettings {
  // Saved with the table.
  std::int32_t margin_left = 230;
  std::int32_t margin_top = 230;
  std::int32_t margin_right = 230;
  std::int32_t margin_bottom = 230;
  std::int16_t page_number_position = 0;  // see PageNumberPosition
  // -1 fit to the paper width, -2 shrink to it only when wider, else a
  // percentage (see AdjustedScaleCode).
  std::int16_t scale_code = 100;
  std::int16_t paper_size = 0;   // the printer's paper-size code; 0 its default
  std::int16_t orientation = 1;  // 1 portrait, 2 landscape
  std::int32_t repeat_last_row = 0;
  std::int32_t add_table_lines = 0;
  std::int32_t rows_per_page = 0;  // 0: paginate by height

  // The print job at hand.
  std::int32_t range_mode = 0;  // 0 all pages, 1 page range, 2 row range
  std::int32_t range_start = 1;
  std::int32_t range_end = 0;  // 0: to the end
  std::int32_t odd_even = 0;   // 0 every page, 1 the 1st, 3rd, ..., 2 the 2nd, 4th, ...
  std::int32_t first_page_number = 1;
  std::int32_t copies = 1;
  std::int32_t print_to_file = 0;
  Text output_file;  // GBK

  // Copies the fields saved with a table from `saved`.
  void TakeSavedFields(const PrintSettings& saved);

  friend bool operator==(const PrintSettings&, const PrintSettings&) = default;
};

// Where the page number is printed, by the page-number position field. Any
// other value prints no page number.
enum class PageNumberPosition : std::int16_t {
  kNone = 0,
  kBottomCentre = 1,
  kBottomRight = 2,
  kBottomLeft = 3,
  kTopCentre = 4,
  kTopRight = 5,
  kTopLeft = 6,
};

struct Table {
  // Sizes of a row and a column that nothing else gives one.
  static constexpr std::int32_t kDefaultRowHeight = 60;
  static constexpr std::int32_t kDefaultColumnWidth = 200;

  Table() = default;
  // `rows` by `columns` empty cells of the default sizes.
  Table(int rows, int columns);

  int rows() const { return static_cast<int>(row_heights.size()); }
  int columns() const { return static_cast<int>(column_widths.size()); }
  bool Contains(int row, int column) const {
    return row >= 0 && column >= 0 && row < rows() && column < columns();
  }
  // The cell at (row, column), both inside the table.
  Cell& At(int row, int column) {
    return cells[static_cast<std::size_t>(row) * column_widths.size() +
                 static_cast<std::size_t>(column)];
  }
  const Cell& At(int row, int column) const {
    return cells[static_cast<std::size_t>(row) * column_widths.size() +
                 static_cast<std::size_t>(column)];
  }
  // Title rows as they count: the stored number cut to 0..rows().
  int title_row_count() const;
  // Sum of the column widths (negative widths count as 0).
  std::int64_t total_width() const;

  // One entry per row / column; `cells` holds rows() * columns() cells, row
  // by row.
  std::vector<std::int32_t> row_heights;
  std::vector<std::int32_t> column_widths;
  std::vector<Cell> cells;
  // The two table settings: the number of title rows, and a second one that
  // is kept and written back as read.
  std::int32_t title_rows = 0;
  std::int32_t second_setting = 0;
  PrintSettings print;
  // Bytes that followed the print settings in the serialised form the table
  // was read from, written back after them.
  Bytes trailing;
  // The current row (0-based); it follows inserted and deleted rows.
  int current_row = 0;

  friend bool operator==(const Table&, const Table&) = default;
};

}  // namespace report
