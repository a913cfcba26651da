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
  // ones empty) and `state_image`, with one notice to the views.
  void AppendRows(std::vector<std::vector<Text>> rows, std::int32_t state_image);
  // False when the row or column does not exist.
  bool SetCellText(int row, int column, Text text);
  // The cell's text; empty when the row or column does not exist.
  Text CellText(int row, int column) const;
  bool SetStateImage(int row, std::int32_t state_image);
  // The row's state image, or 0 when the row does not exist.
  std::int32_t StateImage(int row) const;
  void Clear();

  // The user selects row `row` (-1: none).
  void Select(int row);
  // The user ticks or clears a row's check box.
  void SetChecked(int row, bool checked);
  // The user clicks the list with the right mouse button.
  void RightClick() { Raise(event::kRightClicked); }
  // The user double-clicks the list (on its selected row).
  void DoubleClick() { Raise(event::kDoubleClicked); }

 protected:
  int PropertyCount() const override { return 40; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  bool Exists(int row) const { return row >= 0 && row < row_count(); }

  ListViewSettings settings_;
  std::vector<ListRow> rows_;
  int selected_ = -1;
};

}  // namespace forms
