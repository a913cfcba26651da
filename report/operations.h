// The operations through which the order desk fills a report table. Rows
// and columns are 1-based here, as the order desk passes them.
//
// Every block operation clips its block first: a first row or column outside
// the table does nothing, a block running past the last row or column is cut
// at it, and a block left with no rows or columns does nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "report/table.h"

namespace report {

// A block as the order desk passes it: first row and column (1-based) and
// how many rows and columns.
struct Block {
  std::int64_t row = 1;
  std::int64_t column = 1;
  std::int64_t rows = 1;
  std::int64_t columns = 1;
};

// Cells top..bottom by left..right, 0-based and inclusive, inside a table.
struct Span {
  int top = 0, left = 0, bottom = 0, right = 0;
  friend bool operator==(const Span&, const Span&) = default;
};

// `block` cut to the table; nullopt when nothing of it is left.
std::optional<Span> ClipBlock(const Table& table, const Block& block);

// The most cells and rows a table may hold; operations that would grow a
// table past them fail and change nothing.
constexpr std::int64_t kMaxCells = 1'000'000;
constexpr std::int64_t kMaxRows = 1'000'000;

// Inserts `count` empty rows before `row`; `row` = rows() + 1 appends.
// False, changing nothing, for a row outside 1..rows()+1, a negative count
// or a table that would grow too large; count 0 gives true. A new row takes
// the height and the fonts and colours of the row above it (of the row below
// when it goes in at the top); rows put inside a merged block join it.
bool InsertRows(Table& table, std::int64_t row, std::int64_t count = 1);

// Removes `count` rows starting at `row`, cut at the last row. False for a
// row outside the table or a negative count; count 0 gives true. Merged
// blocks that lose their top or bottom rows stay whole where they remain.
bool DeleteRows(Table& table, std::int64_t row, std::int64_t count = 1);

// Replaces the text of the cell at (row, column); false when there is none.
bool SetCellText(Table& table, std::int64_t row, std::int64_t column, std::string_view text);

// flags = code OR (flags AND NOT 15) for every cell of the block; a code
// outside 2..14 counts as 1.
bool SetCellAttribute(Table& table, const Block& block, std::int64_t code = 1);

// Border flags of SetBorders: the four sides of the block, its inner
// horizontal and vertical lines, and the three marks of its top-left cell.
namespace border {
constexpr std::uint32_t kLeft = 1;
constexpr std::uint32_t kTop = 2;
constexpr std::uint32_t kRight = 4;
constexpr std::uint32_t kBottom = 8;
constexpr std::uint32_t kInnerHorizontal = 16;
constexpr std::uint32_t kInnerVertical = 32;
constexpr std::uint32_t kFallingDiagonal = 64;
constexpr std::uint32_t kRisingDiagonal = 128;
constexpr std::uint32_t kHeavyFrame = 256;
constexpr std::uint32_t kDefault = kLeft | kTop | kRight | kBottom;
}  // namespace border

// Adds lines over the block as `border_flags` tell; a line between two
// cells is recorded on both where the neighbour exists. Nothing is cleared.
// Returns the block lined, nullopt when it was clipped away.
std::optional<Span> SetBorders(Table& table, const Block& block,
                               std::uint32_t border_flags = border::kDefault);

// Makes the block one merged cell. Every merged block that overlaps it is
// dissolved first (the block is widened until none sticks out of it, and the
// widened block is unmerged); then the block as given is joined. Returns the
// widened block, nullopt when the block was clipped away.
std::optional<Span> MergeCells(Table& table, const Block& block);

// The merged block that holds the cell at (row, column) (0-based), as its
// join bits give it; a cell that is not merged is a block of its own.
Span BlockAt(const Table& table, int row, int column);

// Replaces the table by the one serialised in `bytes`, keeping the print
// settings of the job at hand. False, changing nothing, for an empty byte
// set or bytes that are not a serialised table.
bool SetData(Table& table, std::span<const std::uint8_t> bytes);

}  // namespace report
