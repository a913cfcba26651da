#include "report/table_sheet.h"

namespace report {
namespace {

// The longest number a spreadsheet's general format shows digit for digit.
constexpr std::size_t kLongestShownNumber = 11;

}  // namespace

spreadsheet::Sheet SheetOfTable(const Table& table, Text name) {
  spreadsheet::Sheet sheet;
  sheet.name = std::move(name);
  for (int r = 0; r < table.rows(); ++r) {
    std::vector<spreadsheet::Cell> row;
    for (int c = 0; c < table.columns(); ++c) {
      Text text = table.At(r, c).text();
      const auto number =
          text.size() <= kLongestShownNumber ? spreadsheet::ReadPlainNumber(text) : std::nullopt;
      row.push_back(number ? spreadsheet::Cell::Number(std::move(text), *number)
                           : spreadsheet::Cell::Text(std::move(text)));
    }
    sheet.rows.push_back(std::move(row));
  }
  return sheet;
}

}  // namespace report
