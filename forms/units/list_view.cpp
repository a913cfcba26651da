#include "forms/units/list_view.h"

#include <algorithm>
#include <numeric>

#include "forms/units/list_order.h"

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

void ListView::AppendRows(std::vector<std::vector<Text>> rows, std::int32_t state_image,
                          const std::vector<std::int64_t>& data) {
  if (rows.empty()) return;
  const std::size_t width = std::max<std::size_t>(settings_.columns.size(), 1);
  rows_.reserve(rows_.size() + rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ListRow row;
    rows[i].resize(width);
    row.cells = std::move(rows[i]);
    row.image = -1;
    row.state_image = state_image;
    row.data = i < data.size() ? data[i] : 0;
    rows_.push_back(std::move(row));
  }
  Reorder();
  Notify(Change::kRows);
}

std::int64_t ListView::Data(int row) const {
  return Exists(row) ? rows_[static_cast<std::size_t>(row)].data : 0;
}

bool ListView::KeepAtEnd(int row) {
  if (!Exists(row)) return false;
  rows_[static_cast<std::size_t>(row)].kept_at_end = true;
  return true;
}

bool ListView::SortBy(int column) {
  if (column < 0 || column >= column_count()) return false;
  sort_descending_ = column == sort_column_ && !sort_descending_;
  sort_column_ = column;
  const int selected = selected_;
  Reorder();
  Notify(Change::kRows);
  if (selected >= 0) Notify(Change::kSelection);
  return true;
}

void ListView::Reorder() {
  if (sort_column_ < 0 || rows_.size() < 2) return;
  const auto column = static_cast<std::size_t>(sort_column_);
  std::vector<CellKey> keys;
  keys.reserve(rows_.size());
  for (const ListRow& row : rows_)
    keys.emplace_back(column < row.cells.size() ? std::string_view(row.cells[column])
                                                : std::string_view());
  std::vector<std::size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (rows_[a].kept_at_end != rows_[b].kept_at_end) return rows_[b].kept_at_end;
    if (rows_[a].kept_at_end) return false;
    return sort_descending_ ? keys[b] < keys[a] : keys[a] < keys[b];
  });
  std::vector<ListRow> sorted;
  sorted.reserve(rows_.size());
  int selected = -1;
  for (std::size_t place = 0; place < order.size(); ++place) {
    if (static_cast<int>(order[place]) == selected_) selected = static_cast<int>(place);
    sorted.push_back(std::move(rows_[order[place]]));
  }
  rows_ = std::move(sorted);
  selected_ = selected;
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
