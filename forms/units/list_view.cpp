#include "forms/units/list_view.h"

#include <algorithm>
#include <numeric>

#include "forms/units/list_order.h"
#include "platform/big_buffer.h"

namespace forms {

using runtime::Value;

ListRowBatch::ListRowBatch(std::size_t width) : width_(std::max<std::size_t>(width, 1)) {}

void ListRowBatch::AddCell(std::string_view text) {
  if (cells_in_row_ == width_) return;  // a cell past the width: dropped
  text_ += text;
  ends_.push_back(static_cast<std::uint32_t>(text_.size() - row_start_));
  ++cells_in_row_;
}

void ListRowBatch::Reserve(std::size_t rows, std::size_t text_bytes) {
  text_.reserve(text_bytes);
  ends_.reserve(rows * width_);
  platform::AdviseBigBuffer(ends_.data(), ends_.capacity() * sizeof(std::uint32_t));
  data_.reserve(rows);
}

void ListRowBatch::EndRow(std::int64_t data) {
  // Text written into the open cell and never closed ends up in it.
  if (!cell_.empty()) CloseCell();
  while (cells_in_row_ < width_) AddCell({});
  data_.push_back(data);
  row_start_ = text_.size();
  cells_in_row_ = 0;
}

ListView::ListView(Window& window, const UnitRecord& record)
    : Unit(window, record),
      settings_(*DecodeListView(record.settings)),
      width_(std::max<std::size_t>(settings_.columns.size(), 1)) {}

ListRow ListView::row(int index) const {
  const Slot& slot = rows_[static_cast<std::size_t>(index)];
  return {RowCells(text_.data() + slot.text_at, EndsOf(slot), width_),
          slot.state_image,
          slot.image,
          slot.indent,
          slot.data,
          slot.kept_at_end};
}

std::string_view ListView::View(const Slot& row, std::size_t column) const {
  const std::uint32_t* ends = EndsOf(row);
  const std::uint32_t begin = column == 0 ? 0 : ends[column - 1];
  return {text_.data() + row.text_at + begin, ends[column] - begin};
}

std::string_view ListView::CellView(int row, int column) const {
  if (!Exists(row) || column < 0 || static_cast<std::size_t>(column) >= width_) return {};
  return View(rows_[static_cast<std::size_t>(row)], static_cast<std::size_t>(column));
}

int ListView::InsertRow(int position, Text text, std::int32_t image, std::int32_t state_image,
                        std::int32_t indent, std::int64_t data) {
  if (position < 0 || position > row_count()) position = row_count();
  Slot row;
  row.text_at = text_.size();
  row.slot = static_cast<std::uint32_t>(ends_.size() / width_);
  row.image = image;
  row.state_image = state_image;
  row.indent = indent;
  row.data = data;
  text_ += text;
  ends_.insert(ends_.end(), width_, static_cast<std::uint32_t>(text.size()));
  rows_.insert(rows_.begin() + position, row);
  if (selected_ >= position) ++selected_;
  Notify(Change::kRows);
  return position;
}

void ListView::AppendRows(std::vector<std::vector<Text>> rows, std::int32_t state_image,
                          const std::vector<std::int64_t>& data) {
  ListRowBatch batch(width_);
  std::size_t bytes = 0;
  for (const std::vector<Text>& row : rows)
    for (const Text& cell : row) bytes += cell.size();
  batch.Reserve(rows.size(), bytes);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (const Text& cell : rows[i]) batch.AddCell(cell);
    batch.EndRow(i < data.size() ? data[i] : 0);
  }
  AppendRows(std::move(batch), state_image);
}

void ListView::AppendRows(ListRowBatch rows, std::int32_t state_image) {
  if (rows.size() == 0) return;
  if (rows.width_ != width_) {
    // Made for another width: cut or padded row by row.
    ListRowBatch fitted(width_);
    std::size_t start = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const RowCells cells(rows.text_.data() + start, &rows.ends_[i * rows.width_], rows.width_);
      for (std::size_t c = 0; c < cells.size(); ++c) fitted.AddCell(cells.View(c));
      fitted.EndRow(rows.data_[i]);
      start += rows.ends_[(i + 1) * rows.width_ - 1];
    }
    rows = std::move(fitted);
  }
  const std::uint64_t offset = text_.size();
  const auto first_slot = static_cast<std::uint32_t>(ends_.size() / width_);
  if (text_.empty())
    text_ = std::move(rows.text_);
  else
    text_ += rows.text_.view();
  if (ends_.empty()) {
    ends_ = std::move(rows.ends_);
    // A batch made with room for more rows than it got.
    if (ends_.capacity() > 2 * ends_.size() + 4096) ends_.shrink_to_fit();
  } else {
    ends_.insert(ends_.end(), rows.ends_.begin(), rows.ends_.end());
  }
  rows_.reserve(rows_.size() + rows.size());
  platform::AdviseBigBuffer(rows_.data(), rows_.capacity() * sizeof(Slot));
  std::uint64_t start = offset;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Slot row;
    row.text_at = start;
    start += ends_[(first_slot + i) * width_ + width_ - 1];
    row.slot = first_slot + static_cast<std::uint32_t>(i);
    row.state_image = state_image;
    row.data = rows.data_[i];
    rows_.push_back(row);
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
  for (const Slot& row : rows_)
    keys.emplace_back(column < width_ ? View(row, column) : std::string_view());
  std::vector<std::size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (rows_[a].kept_at_end != rows_[b].kept_at_end) return rows_[b].kept_at_end;
    if (rows_[a].kept_at_end) return false;
    return sort_descending_ ? keys[b] < keys[a] : keys[a] < keys[b];
  });
  std::vector<Slot> sorted;
  sorted.reserve(rows_.size());
  int selected = -1;
  for (std::size_t place = 0; place < order.size(); ++place) {
    if (static_cast<int>(order[place]) == selected_) selected = static_cast<int>(place);
    sorted.push_back(rows_[order[place]]);
  }
  rows_ = std::move(sorted);
  selected_ = selected;
}

void ListView::MoveToEnd(Slot& row) {
  const std::uint32_t length = EndsOf(row)[width_ - 1];
  if (row.text_at + length == text_.size()) return;
  const std::uint64_t at = text_.size();
  text_ += text_.view().substr(static_cast<std::size_t>(row.text_at), length);
  row.text_at = at;
  unused_bytes_ += length;
}

void ListView::Compact() {
  TextBuffer text;
  text.reserve(text_.size() - unused_bytes_);
  for (Slot& row : rows_) {
    const std::uint64_t at = text.size();
    text += text_.view().substr(static_cast<std::size_t>(row.text_at), EndsOf(row)[width_ - 1]);
    row.text_at = at;
  }
  text_ = std::move(text);
  unused_bytes_ = 0;
}

bool ListView::SetCellText(int row, int column, Text text) {
  if (!Exists(row) || column < 0 || static_cast<std::size_t>(column) >= width_) return false;
  Slot& slot = rows_[static_cast<std::size_t>(row)];
  MoveToEnd(slot);
  // The row now ends text_: its cells from `column` on are written again.
  std::uint32_t* ends = &ends_[slot.slot * width_];
  const auto c = static_cast<std::size_t>(column);
  const std::uint32_t begin = c == 0 ? 0 : ends[c - 1];
  const std::string after(text_.view().substr(static_cast<std::size_t>(slot.text_at) + ends[c]));
  const auto change =
      static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(ends[c] - begin);
  text_.truncate(static_cast<std::size_t>(slot.text_at) + begin);
  text_ += text;
  text_ += after;
  for (std::size_t i = c; i < width_; ++i)
    ends[i] = static_cast<std::uint32_t>(static_cast<std::int64_t>(ends[i]) + change);
  if (unused_bytes_ > (1u << 20) && unused_bytes_ > text_.size() / 2) Compact();
  Notify(Change::kRow, row);
  return true;
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
  text_.release();
  std::vector<std::uint32_t>().swap(ends_);
  unused_bytes_ = 0;
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
