// A list view in report layout: rows of cell texts under column headers,
// optionally with a check box in front of each row (held as the row's state
// image: 1 unchecked, 2 checked).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/settings.h"
#include "forms/text_buffer.h"
#include "forms/unit.h"

namespace forms {

class ListView;

// The cells of one row as the list holds them, each read as its text.
class RowCells {
 public:
  class Iterator {
   public:
    using value_type = Text;
    using difference_type = std::ptrdiff_t;
    Iterator(const RowCells* cells, std::size_t column) : cells_(cells), column_(column) {}
    Text operator*() const { return (*cells_)[column_]; }
    Iterator& operator++() {
      ++column_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return column_ == other.column_; }

   private:
    const RowCells* cells_;
    std::size_t column_;
  };

  RowCells(const char* text, const std::uint32_t* ends, std::size_t width)
      : text_(text), ends_(ends), width_(width) {}
  std::size_t size() const { return width_; }
  // The text of cell `column` (< size()), valid while the list is unchanged.
  std::string_view View(std::size_t column) const {
    const std::uint32_t begin = column == 0 ? 0 : ends_[column - 1];
    return {text_ + begin, ends_[column] - begin};
  }
  Text operator[](std::size_t column) const { return Text(View(column)); }
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, width_}; }

 private:
  const char* text_;
  const std::uint32_t* ends_;
  std::size_t width_;
};

// One row, as row() shows it: valid while the list is unchanged.
struct ListRow {
  RowCells cells;  // one per column
  std::int32_t state_image = 1;
  std::int32_t image = -1;
  std::int32_t indent = 0;
  std::int64_t data = 0;
  // Stays below the other rows, in its place among the kept ones, when the
  // person sorts the list (the totals rows of a query).
  bool kept_at_end = false;
};

// Rows made ahead of ListView::AppendRows, their cell texts written one
// after the other into one buffer, as the list keeps them: a fill of
// 100 000 rows makes no string per cell.
class ListRowBatch {
 public:
  // Rows of `width` cells (at least one).
  explicit ListRowBatch(std::size_t width);

  // Adds the next cell of the row being made; cells past the width are
  // dropped.
  void AddCell(std::string_view text);
  // Or in two steps: the text of the cell to append to (empty), then the
  // end of the cell, which adds it.
  std::string& OpenCell() { return cell_; }
  void CloseCell() {
    AddCell(cell_);
    cell_.clear();
  }
  // Ends the row (missing cells empty); it carries `data`.
  void EndRow(std::int64_t data = 0);
  std::size_t size() const { return data_.size(); }
  std::size_t width() const { return width_; }
  // Room for up to `rows` rows' cell ends (and `text_bytes` of texts), asked for once (address
  // space: only what is written is used), so that no growing buffer is copied and left behind; the
  // list gives back what is not used.
  void Reserve(std::size_t rows, std::size_t text_bytes = 0);

 private:
  friend class ListView;
  std::size_t width_;
  TextBuffer text_;
  std::string cell_;  // the open cell
  // Each cell's end from its row's start; rows follow one another, so a
  // row starts where the one before it ends.
  std::vector<std::uint32_t> ends_;
  std::vector<std::int64_t> data_;
  std::size_t row_start_ = 0;
  std::size_t cells_in_row_ = 0;
};

class ListView : public Unit {
 public:
  ListView(Window& window, const UnitRecord& record);

  const ListViewSettings& settings() const { return settings_; }
  bool check_boxes() const { return settings_.check_boxes(); }
  int column_count() const { return static_cast<int>(settings_.columns.size()); }
  int row_count() const { return static_cast<int>(rows_.size()); }
  ListRow row(int index) const;
  int selected_row() const { return selected_; }

  // Inserts a row before `position` (at the end when it is negative or past
  // the end) and returns its index.
  int InsertRow(int position, Text text, std::int32_t image, std::int32_t state_image,
                std::int32_t indent, std::int64_t data);
  // Adds `rows` at the end, each with its cells (extra cells dropped, missing
  // ones empty), `state_image` and its entry of `data` (0 past its end), with
  // one notice to the views. A list the person has sorted puts its rows back
  // in that order afterwards, each row keeping its data word.
  void AppendRows(std::vector<std::vector<Text>> rows, std::int32_t state_image,
                  const std::vector<std::int64_t>& data = {});
  // The same for rows made in a batch, each with the data word it was
  // ended with. The batch's buffer becomes the list's when the list is empty.
  void AppendRows(ListRowBatch rows, std::int32_t state_image);
  // False when the row or column does not exist.
  bool SetCellText(int row, int column, Text text);
  // The cell's text; empty when the row or column does not exist.
  Text CellText(int row, int column) const { return Text(CellView(row, column)); }
  // The same without a copy, valid while the list is unchanged.
  std::string_view CellView(int row, int column) const;
  bool SetStateImage(int row, std::int32_t state_image);
  // The row's state image, or 0 when the row does not exist.
  std::int32_t StateImage(int row) const;
  void Clear();
  // The row's data word (0 when the row does not exist).
  std::int64_t Data(int row) const;
  // Keeps the row below the others whenever the list is sorted.
  bool KeepAtEnd(int row);

  // The column the person sorted by (-1: none, the rows in the order they
  // came) and whether the order is reversed.
  int sort_column() const { return sort_column_; }
  bool sort_descending() const { return sort_descending_; }

  // The user selects row `row` (-1: none).
  void Select(int row);
  // The user ticks or clears a row's check box.
  void SetChecked(int row, bool checked);
  // The user clicks the header of `column`: the rows are ordered by it
  // (see CellKey), rising; a second click on the same header reverses the
  // order. Equal cells keep their order; rows kept at the end stay there.
  // Check boxes, data words and the selection go with their rows. False when
  // the column does not exist.
  bool SortBy(int column);
  // The user clicks the list with the right mouse button.
  void RightClick() { Raise(event::kRightClicked); }
  // The user double-clicks the list (on its selected row).
  void DoubleClick() { Raise(event::kDoubleClicked); }

 protected:
  int PropertyCount() const override { return 40; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  // Where a row's cells are: every row's texts lie one after the other in
  // text_ from text_at, and the ends of its cells (from text_at) are
  // ends_[slot * width_ ...], width_ of them. Sorting moves only these.
  struct Slot {
    std::uint64_t text_at = 0;
    std::uint32_t slot = 0;
    std::int32_t state_image = 1;
    std::int32_t image = -1;
    std::int32_t indent = 0;
    std::int64_t data = 0;
    bool kept_at_end = false;
  };

  bool Exists(int row) const { return row >= 0 && row < row_count(); }
  const std::uint32_t* EndsOf(const Slot& row) const { return &ends_[row.slot * width_]; }
  std::string_view View(const Slot& row, std::size_t column) const;
  // Orders the rows by the sort column, if any.
  void Reorder();
  // Moves the row's texts to the end of text_ (unless they are there), so
  // that a cell of it can be rewritten in place.
  void MoveToEnd(Slot& row);
  // Writes the texts again in row order once most of text_ is left over
  // from rewritten cells.
  void Compact();

  ListViewSettings settings_;
  std::size_t width_;  // cells per row: the columns, at least one
  TextBuffer text_;
  std::vector<std::uint32_t> ends_;
  std::vector<Slot> rows_;
  std::size_t unused_bytes_ = 0;  // bytes of text_ no cell refers to
  int selected_ = -1;
  int sort_column_ = -1;
  bool sort_descending_ = false;
};

}  // namespace forms
