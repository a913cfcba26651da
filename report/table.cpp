#include "report/table.h"

#include <algorithm>

namespace report {

Text Cell::text() const {
  auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  return Text(data.begin(), end);
}

void Cell::SetText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  data.assign(text.begin(), text.end());
  if (!data.empty()) data.push_back(0);
}

int Cell::attribute_code() const {
  int code = static_cast<int>(flags & flag::kAttributeMask);
  return code >= 1 && code <= 14 ? code : kDefaultAttributeCode;
}

void PrintSettings::TakeSavedFields(const PrintSettings& saved) {
  margin_left = saved.margin_left;
  margin_top = saved.margin_top;
  margin_right = saved.margin_right;
  margin_bottom = saved.margin_bottom;
  page_number_position = saved.page_number_position;
  scale_code = saved.scale_code;
  paper_size = saved.paper_size;
  orientation = saved.orientation;
  repeat_last_row = saved.repeat_last_row;
  add_table_lines = saved.add_table_lines;
  rows_per_page = saved.rows_per_page;
}

Table::Table(int rows, int columns)
    : row_heights(static_cast<std::size_t>(std::max(rows, 0)), kDefaultRowHeight),
      column_widths(static_cast<std::size_t>(std::max(columns, 0)), kDefaultColumnWidth),
      cells(row_heights.size() * column_widths.size()) {}

int Table::title_row_count() const { return std::clamp(title_rows, 0, rows()); }

std::int64_t Table::total_width() const {
  std::int64_t sum = 0;
  for (std::int32_t width : column_widths) sum += std::max(width, 0);
  return sum;
}

}  // namespace report
