#include "forms/units/list_view.h"

#include <algorithm>

namespace forms {

using runtime::Value;

ListView::ListView(Window& window, const UnitRecord& record)
    : Unit(window, record), settings_(*DecodeListView(record.settings)) {}

int ListView::InsertRow(int position, Text text, std::int32_t image, std::int32_t state_image,
                        std::int32_t indent, std::int64_t data) {
  if (position < 0 || position > row_count()) position = row_count();
  ListRow row;
  row.cells.resize(std::max<std::size_t>(settings_.columns.size(), 1));
  row.cells[0] = std::move(text);
  row.image = image;
  row.state_image = state_image;
  row.indent = indent;
  row.data = data;
  rows_.insert(rows_.begin() + position, std::move(row));
  if (selected_ >= position) ++selected_;
  Notify(Change::kRows);
  return position;
}

void ListView::AppendRows(std::vector<std::vector<Text>> rows, std::int32_t state_image) {
  if (rows.empty()) return;
  const std::size_t width = std::max<std::size_t>(settings_.columns.size(), 1);
  rows_.reserve(rows_.size() + rows.size());
  for (std::vector<Text>& cells : rows) {
    ListRow row;
    cells.resize(width);
    row.cells = std::move(cells);
    row.image = -1;
    row.state_image = state_image;
    rows_.push_back(std::move(row));
  }
  Notify(Change::kRows);
}

bool ListView::SetCellText(int row, int column, Text text) {
  if (!Exists(row) || column < 0 ||
      static_cast<std::size_t>(column) >= rows_[static_cast<std::size_t>(row)].cells.size())
    return false;
  rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = std::move(text);
  Notify(Change::kRow, row);
  return true;
}

Text ListView::CellText(int row, int column) const {
  if (!Exists(row) || column < 0) return {};
  const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                         : Text();
}

bool ListView::SetStateImage(int row, std::int32_t state_image) {
  if (!Exists(row)) return false;
  rows_[static_cast<std::size_t>(row)].state_image = state_image;
  Notify(Change::kRow, row);
  return true;
}

std::int32_t ListView::StateImage(int row) const {
  return Exists(row) ? rows_[static_cast<std::size_t>(row)].state_image : 0;
}

void ListView::Clear() {
  rows_.clear();
  selected_ = -1;
  Notify(Change::kRows);
}

void ListView::Select(int row) {
  if (row != -1 && !Exists(row)) return;
  if (row == selected_) return;
  selected_ = row;
  Notify(Change::kSelection);
  Raise(event::kRowSelected);
}

void ListView::SetChecked(int row, bool checked) {
  if (!Exists(row)) return;
  SetStateImage(row, checked ? 2 : 1);
  Raise(event::kCheckChanged);
}

std::optional<Value> ListView::ReadOwn(int number) const {
  if (number == property::kSelectedRow) return Value::Int(selected_);
  return Unit::ReadOwn(number);
}

Unit::WriteResult ListView::WriteOwn(int number, const Value& value) {
  if (number != property::kSelectedRow) return Unit::WriteOwn(number, value);
  auto row = IntegerOf(value);
  if (!row) return WriteResult::kTypeMismatch;
  if (*row == -1 || Exists(*row)) {
    selected_ = *row;
    Notify(Change::kSelection);
  }
  return WriteResult::kDone;
}

}  // namespace forms
