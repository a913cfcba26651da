// The .xlsx form, made by the spreadsheet library. The library writes only
// to a named file, so the workbook is made in the system's temporary folder
// and read back; WriteSheet then puts it beside the chosen name.
#include <xlsxwriter.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

#include "platform/gbk.h"
#include "spreadsheet/sheet.h"

namespace spreadsheet {
namespace {

using platform::operator""_gbk;

// The most rows a worksheet holds, the header row included.
constexpr std::size_t kMaxRows = 1048576;
// Column widths in the spreadsheet's units (about one digit each); a GBK
// double-byte character takes about two.
constexpr double kDateTimeWidth = 21;
constexpr double kWidestColumn = 80;
constexpr double kColumnMargin = 2;
// Room for fonts wider than the one the width unit is measured in.
constexpr double kWidthAllowance = 1.15;

// A workbook that is closed (and freed) exactly once.
class Workbook {
 public:
  Workbook(const std::string& utf8_path, std::string tmpdir) : tmpdir_(std::move(tmpdir)) {
    lxw_workbook_options options{};
    options.tmpdir = tmpdir_.data();
    book_ = workbook_new_opt(utf8_path.c_str(), &options);
  }
  ~Workbook() {
    if (book_ != nullptr) workbook_close(book_);
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;
  lxw_workbook* get() const { return book_; }
  lxw_error Close() {
    const lxw_error error = workbook_close(book_);
    book_ = nullptr;
    return error;
  }

 private:
  std::string tmpdir_;
  lxw_workbook* book_ = nullptr;
};

std::string Utf8(std::string_view gbk) { return platform::GbkToUtf8(gbk, false); }

// The library opens its files with the C library's narrow names: in the
// system's own narrow encoding (the ANSI code page on Windows). Empty when
// that encoding cannot hold the name.
std::string NarrowPath(const std::filesystem::path& path) {
  try {
    return path.string();
  } catch (const std::system_error&) {
    return {};
  }
}

std::filesystem::path ScratchFile(std::error_code& error) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::random_device random;
  std::ostringstream name;
  name << "orderdesk-" << std::hex << random() << random() << ".xlsx";
  return folder / name.str();
}

bool IsWritableDate(const platform::LocalTime& time) {
  return time.year >= 1900 && time.year <= 9999;
}

double WidthOf(const Cell& cell) {
  if (cell.kind == CellKind::kDateTime && IsWritableDate(cell.when)) return kDateTimeWidth;
  return static_cast<double>(cell.text.size());
}

void WriteCells(const Sheet& sheet, lxw_workbook* book, lxw_worksheet* page) {
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  lxw_format* date_time = workbook_add_format(book);
  format_set_num_format(date_time, "yyyy-mm-dd hh:mm:ss");

  std::vector<double> widths(sheet.header.size(), 0);
  for (std::size_t c = 0; c < sheet.header.size(); ++c) {
    worksheet_write_string(page, 0, static_cast<lxw_col_t>(c), Utf8(sheet.header[c]).c_str(), bold);
    widths[c] = static_cast<double>(sheet.header[c].size());
  }
  const std::size_t first_row = sheet.header.empty() ? 0 : 1;
  if (first_row != 0) worksheet_freeze_panes(page, 1, 0);
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    const auto row = static_cast<lxw_row_t>(r + first_row);
    for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
      const Cell& cell = sheet.rows[r][c];
      const auto column = static_cast<lxw_col_t>(c);
      if (cell.kind == CellKind::kNumber) {
        worksheet_write_number(page, row, column, cell.number, nullptr);
      } else if (cell.kind == CellKind::kDateTime && IsWritableDate(cell.when)) {
        lxw_datetime when{cell.when.year, cell.when.month,  cell.when.day,
                          cell.when.hour, cell.when.minute, double(cell.when.second)};
        worksheet_write_datetime(page, row, column, &when, date_time);
      } else if (!cell.text.empty()) {
        worksheet_write_string(page, row, column, Utf8(cell.text).c_str(), nullptr);
      }
      if (c >= widths.size()) widths.resize(c + 1, 0);
      widths[c] = std::max(widths[c], WidthOf(cell));
    }
  }
  // Lists are wide: printed across, every column on one page's width.
  worksheet_set_landscape(page);
  worksheet_fit_to_pages(page, 1, 0);
  for (std::size_t c = 0; c < widths.size(); ++c)
    worksheet_set_column(page, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                         std::min(widths[c] * kWidthAllowance, kWidestColumn) + kColumnMargin,
                         nullptr);
}

}  // namespace

bool CanWriteXlsx() { return true; }

std::string XlsxBytes(const Sheet& sheet, std::string* failure) {
  if (sheet.rows.size() + 1 > kMaxRows) {
    *failure = "行数超过了 Excel 工作表的上限（1048576 行）。请导出为 CSV 文件。"_gbk;
    return {};
  }
  std::error_code error;
  const std::filesystem::path scratch = ScratchFile(error);
  // A temporary folder whose name the narrow encoding cannot hold counts as none.
  if (!error && NarrowPath(scratch).empty())
    error = std::make_error_code(std::errc::invalid_argument);
  if (error) {
    *failure = "找不到系统的临时文件夹。"_gbk;
    return {};
  }
  lxw_error result = LXW_NO_ERROR;
  {
    Workbook book(NarrowPath(scratch), NarrowPath(scratch.parent_path()));
    if (book.get() == nullptr) {
      *failure = "无法创建 Excel 工作簿。"_gbk;
      return {};
    }
    const std::string name = Utf8(sheet.name);
    const bool named =
        !name.empty() && workbook_validate_sheet_name(book.get(), name.c_str()) == LXW_NO_ERROR;
    lxw_worksheet* page = workbook_add_worksheet(book.get(), named ? name.c_str() : nullptr);
    if (page != nullptr) WriteCells(sheet, book.get(), page);
    result = book.Close();
  }
  std::string content;
  if (result == LXW_NO_ERROR) {
    std::ifstream in(scratch, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) content.clear();
  }
  std::filesystem::remove(scratch, error);
  if (result != LXW_NO_ERROR) {
    *failure = "无法生成 Excel 文件（"_gbk + platform::Utf8ToGbk(lxw_strerror(result)) +
               "）。系统的临时文件夹可能已满。"_gbk;
    return {};
  }
  if (content.empty()) *failure = "无法读回生成的 Excel 文件。"_gbk;
  return content;
}

}  // namespace spreadsheet
