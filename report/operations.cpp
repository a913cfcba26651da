#include "report/operations.h"

#include <algorithm>

#include "report/serial.h"

namespace report {
namespace {

bool Has(const Cell& cell, std::uint32_t bits) { return (cell.flags & bits) != 0; }

// The cell a new row takes its height, fonts and colours from: the row above
// the insertion point, or the row below it at the top.
Cell FormatOnlyCopy(const Cell& model) {
  Cell cell;
  cell.text_colour = model.text_colour;
  cell.background_colour = model.background_colour;
  cell.font_size = model.font_size;
  cell.font_style = model.font_style;
  cell.face = model.face;
  return cell;
}

// After rows were removed between `row` - 1 and `row`, clears join bits that
// point across the seam at a cell that does not join back.
void MendSeam(Table& table, int row) {
  for (int column = 0; column < table.columns(); ++column) {
    Cell* above = row > 0 ? &table.At(row - 1, column) : nullptr;
    Cell* below = row < table.rows() ? &table.At(row, column) : nullptr;
    bool down = above != nullptr && Has(*above, flag::kJoinDown);
    bool up = below != nullptr && Has(*below, flag::kJoinUp);
    if (down && !up) above->flags &= ~flag::kJoinDown;
    if (up && !down) below->flags &= ~flag::kJoinUp;
  }
}

}  // namespace

std::optional<Span> ClipBlock(const Table& table, const Block& block) {
  if (block.row < 1 || block.row > table.rows() || block.column < 1 ||
      block.column > table.columns())
    return std::nullopt;
  // Counts are cut to the table's size first, so that no sum can overflow.
  auto cut = [](std::int64_t count, int size) { return std::clamp<std::int64_t>(count, 0, size); };
  std::int64_t last_row =
      std::min<std::int64_t>(block.row - 1 + cut(block.rows, table.rows()), table.rows()) - 1;
  std::int64_t last_column =
      std::min<std::int64_t>(block.column - 1 + cut(block.columns, table.columns()),
                             table.columns()) -
      1;
  if (last_row < block.row - 1 || last_column < block.column - 1) return std::nullopt;
  return Span{static_cast<int>(block.row - 1), static_cast<int>(block.column - 1),
              static_cast<int>(last_row), static_cast<int>(last_column)};
}

bool InsertRows(Table& table, std::int64_t row, std::int64_t count) {
  if (row < 1 || row > std::int64_t{table.rows()} + 1 || count < 0) return false;
  if (count == 0) return true;
  const std::int64_t new_rows = std::int64_t{table.rows()} + count;
  if (new_rows > kMaxRows || new_rows * table.columns() > kMaxCells) return false;

  const int at = static_cast<int>(row - 1);
  const int added = static_cast<int>(count);
  const int columns = table.columns();
  const int model_row = at > 0 ? at - 1 : (table.rows() > 0 ? 0 : -1);

  std::vector<Cell> new_cells;
  new_cells.reserve(static_cast<std::size_t>(added) * static_cast<std::size_t>(columns));
  for (int column = 0; column < columns; ++column) {
    Cell cell = model_row >= 0 ? FormatOnlyCopy(table.At(model_row, column)) : Cell{};
    // Rows put between two joined rows continue their merged block, with its
    // side lines.
    if (at > 0 && at < table.rows()) {
      const Cell& above = table.At(at - 1, column);
      const Cell& below = table.At(at, column);
      if (Has(above, flag::kJoinDown) && Has(below, flag::kJoinUp))
        cell.flags |= flag::kJoinUp | flag::kJoinDown |
                      (above.flags &
                       (flag::kJoinLeft | flag::kJoinRight | flag::kLineLeft | flag::kLineRight));
    }
    new_cells.push_back(std::move(cell));
  }
  std::vector<Cell> block;
  block.reserve(new_cells.size() * static_cast<std::size_t>(added));
  for (int i = 0; i < added; ++i) block.insert(block.end(), new_cells.begin(), new_cells.end());

  std::int32_t height = model_row >= 0 ? table.row_heights[static_cast<std::size_t>(model_row)]
                                       : Table::kDefaultRowHeight;
  table.cells.insert(table.cells.begin() + static_cast<std::ptrdiff_t>(at) * columns,
                     std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
  table.row_heights.insert(table.row_heights.begin() + at, static_cast<std::size_t>(added), height);
  if (table.current_row >= at) table.current_row += added;
  return true;
}

bool DeleteRows(Table& table, std::int64_t row, std::int64_t count) {
  if (row < 1 || row > table.rows() || count < 0) return false;
  if (count == 0) return true;
  const int at = static_cast<int>(row - 1);
  const int removed = static_cast<int>(std::min<std::int64_t>(count, table.rows() - at));
  const int columns = table.columns();
  table.cells.erase(table.cells.begin() + static_cast<std::ptrdiff_t>(at) * columns,
                    table.cells.begin() + static_cast<std::ptrdiff_t>(at + removed) * columns);
  table.row_heights.erase(table.row_heights.begin() + at, table.row_heights.begin() + at + removed);
  MendSeam(table, at);
  if (table.current_row >= at + removed)
    table.current_row -= removed;
  else if (table.current_row >= at)
    table.current_row = at;
  table.current_row = std::clamp(table.current_row, 0, std::max(table.rows() - 1, 0));
  return true;
}

bool SetCellText(Table& table, std::int64_t row, std::int64_t column, std::string_view text) {
  if (row < 1 || column < 1 || row > table.rows() || column > table.columns()) return false;
  table.At(static_cast<int>(row - 1), static_cast<int>(column - 1)).SetText(text);
  return true;
}

bool SetCellAttribute(Table& table, const Block& block, std::int64_t code) {
  auto span = ClipBlock(table, block);
  if (!span) return false;
  const std::uint32_t stored =
      code >= 2 && code <= 14 ? static_cast<std::uint32_t>(code) : kDefaultAttributeCode;
  for (int r = span->top; r <= span->bottom; ++r)
    for (int c = span->left; c <= span->right; ++c) {
      Cell& cell = table.At(r, c);
      cell.flags = stored | (cell.flags & ~flag::kAttributeMask);
    }
  return true;
}

std::optional<Span> SetBorders(Table& table, const Block& block, std::uint32_t border_flags) {
  auto clipped = ClipBlock(table, block);
  if (!clipped) return std::nullopt;
  const Span s = *clipped;
  auto mark = [&](int r, int c, std::uint32_t bits) {
    if (table.Contains(r, c)) table.At(r, c).flags |= bits;
  };
  if (border_flags & border::kLeft)
    for (int r = s.top; r <= s.bottom; ++r) {
      mark(r, s.left, flag::kLineLeft);
      mark(r, s.left - 1, flag::kLineRight);
    }
  if (border_flags & border::kRight)
    for (int r = s.top; r <= s.bottom; ++r) {
      mark(r, s.right, flag::kLineRight);
      mark(r, s.right + 1, flag::kLineLeft);
    }
  if (border_flags & border::kTop)
    for (int c = s.left; c <= s.right; ++c) {
      mark(s.top, c, flag::kLineTop);
      mark(s.top - 1, c, flag::kLineBottom);
    }
  if (border_flags & border::kBottom)
    for (int c = s.left; c <= s.right; ++c) {
      mark(s.bottom, c, flag::kLineBottom);
      mark(s.bottom + 1, c, flag::kLineTop);
    }
  if (border_flags & border::kInnerHorizontal)
    for (int r = s.top; r < s.bottom; ++r)
      for (int c = s.left; c <= s.right; ++c) {
        mark(r, c, flag::kLineBottom);
        mark(r + 1, c, flag::kLineTop);
      }
  if (border_flags & border::kInnerVertical)
    for (int r = s.top; r <= s.bottom; ++r)
      for (int c = s.left; c < s.right; ++c) {
        mark(r, c, flag::kLineRight);
        mark(r, c + 1, flag::kLineLeft);
      }
  if (border_flags & border::kFallingDiagonal) mark(s.top, s.left, flag::kMarkFallingDiagonal);
  if (border_flags & border::kRisingDiagonal) mark(s.top, s.left, flag::kMarkRisingDiagonal);
  if (border_flags & border::kHeavyFrame) mark(s.top, s.left, flag::kMarkHeavyFrame);
  return s;
}

std::optional<Span> MergeCells(Table& table, const Block& block) {
  auto clipped = ClipBlock(table, block);
  if (!clipped) return std::nullopt;
  const Span given = *clipped;

  // Widen until no merged block sticks out.
  Span w = given;
  for (bool changed = true; changed;) {
    changed = false;
    auto any_in_row = [&](int r, std::uint32_t bit) {
      for (int c = w.left; c <= w.right; ++c)
        if (Has(table.At(r, c), bit)) return true;
      return false;
    };
    auto any_in_column = [&](int c, std::uint32_t bit) {
      for (int r = w.top; r <= w.bottom; ++r)
        if (Has(table.At(r, c), bit)) return true;
      return false;
    };
    if (w.top > 0 && any_in_row(w.top, flag::kJoinUp)) --w.top, changed = true;
    if (w.bottom + 1 < table.rows() && any_in_row(w.bottom, flag::kJoinDown))
      ++w.bottom, changed = true;
    if (w.left > 0 && any_in_column(w.left, flag::kJoinLeft)) --w.left, changed = true;
    if (w.right + 1 < table.columns() && any_in_column(w.right, flag::kJoinRight))
      ++w.right, changed = true;
  }
  for (int r = w.top; r <= w.bottom; ++r)
    for (int c = w.left; c <= w.right; ++c) table.At(r, c).flags &= ~flag::kJoinMask;

  if (given.bottom > given.top)
    for (int c = given.left; c <= given.right; ++c)
      for (int r = given.top; r <= given.bottom; ++r)
        table.At(r, c).flags |= r == given.top      ? flag::kJoinDown
                                : r == given.bottom ? flag::kJoinUp
                                                    : flag::kJoinUp | flag::kJoinDown;
  if (given.right > given.left)
    for (int r = given.top; r <= given.bottom; ++r)
      for (int c = given.left; c <= given.right; ++c)
        table.At(r, c).flags |= c == given.left    ? flag::kJoinRight
                                : c == given.right ? flag::kJoinLeft
                                                   : flag::kJoinLeft | flag::kJoinRight;
  return w;
}

Span BlockAt(const Table& table, int row, int column) {
  int top = row, left = column;
  while (left > 0 && Has(table.At(top, left), flag::kJoinLeft) &&
         Has(table.At(top, left - 1), flag::kJoinRight))
    --left;
  while (top > 0 && Has(table.At(top, left), flag::kJoinUp) &&
         Has(table.At(top - 1, left), flag::kJoinDown))
    --top;
  int right = left, bottom = top;
  while (right + 1 < table.columns() && Has(table.At(top, right), flag::kJoinRight) &&
         Has(table.At(top, right + 1), flag::kJoinLeft))
    ++right;
  while (bottom + 1 < table.rows() && Has(table.At(bottom, left), flag::kJoinDown) &&
         Has(table.At(bottom + 1, left), flag::kJoinUp))
    ++bottom;
  // A cell reached from a block it is not part of (bits that disagree) is a
  // block of its own.
  if (row < top || row > bottom || column < left || column > right)
    return Span{row, column, row, column};
  return Span{top, left, bottom, right};
}

bool SetData(Table& table, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return false;
  auto read = ReadTable(bytes);
  if (!read) return false;
  PrintSettings job = table.print;
  job.TakeSavedFields(read->print);
  read->print = std::move(job);
  table = std::move(*read);
  return true;
}

}  // namespace report
