// A list view in report layout: rows of cell texts under column headers,
// optionally with a check box in front of each row (held as the row's state
// image: 1 unchecked, 2 checked).
#pragma once

#include <cstdint>
#include <vector>

#include "forms/settings.h"
#include "forms/unit.h"

namespace forms {

struct ListRow {
  std::vector<Text> cells;  // one per column
  std::int32_t state_image = 1;
  std::int32_t image = -1;
  std::int32_t indent = 0;
  std::int64_t data = 0;
  // Stays below the other rows, in its place among the kept ones, when the
  // person sorts the list (the totals rows of a query).
  bool kept_at_end = false;
};

class ListView : public Unit {
 public:
  ListView(Window& window, const UnitRecord& record);

  const ListViewSettings& settings() const { return settings_; }
  bool check_boxes() const { return settings_.check_boxes(); }
  int column_count() const { return static_cast<int>(settings_.columns.size()); }
  int row_count() const { return static_cast<int>(rows_.size()); }
  const ListRow& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
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
  // False when the row or column does not exist.
  bool SetCellText(int row, int column, Text text);
  // The cell's text; empty when the row or column does not exist.
  Text CellText(int row, int column) const;
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

 protected:
  int PropertyCount() const override { return 40; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  bool Exists(int row) const { return row >= 0 && row < row_count(); }
  // Orders the rows by the sort column, if any.
  void Reorder();

  ListViewSettings settings_;
  std::vector<ListRow> rows_;
  int selected_ = -1;
  int sort_column_ = -1;
  bool sort_descending_ = false;
};

}  // namespace forms
