// The .csv form, the file names and the one way a sheet reaches the disk.
#include "spreadsheet/sheet.h"

#include <charconv>

#include "platform/finished_file.h"
#include "platform/gbk.h"

namespace spreadsheet {
namespace {

using platform::operator""_gbk;

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  return platform::EqualIgnoreCase(text.substr(text.size() - end.size()), end);
}

void AppendCsvField(std::string_view utf8, std::string& out) {
  if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += utf8;
    return;
  }
  out += '"';
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendCsvRecord(const std::vector<std::string>& gbk_fields, std::string& out) {
  for (std::size_t i = 0; i < gbk_fields.size(); ++i) {
    if (i != 0) out += ',';
    AppendCsvField(platform::GbkToUtf8(gbk_fields[i], false), out);
  }
  out += "\r\n";
}

// A text a spreadsheet program would take for a formula when it opens the
// file (a customer's remark "=HYPERLINK(...)") is kept a text.
std::string CsvText(const Cell& cell) {
  if (cell.kind == CellKind::kText && !cell.text.empty() &&
      std::string_view("=+-@\t\r").find(cell.text[0]) != std::string_view::npos)
    return "'" + cell.text;
  return cell.text;
}

std::string FailureText(platform::FileError error, std::string_view gbk_path) {
  const std::string head = "无法导出到 "_gbk + std::string(gbk_path) + "："_gbk;
  switch (error) {
    case platform::FileError::kNotFound:
      return head + "文件夹不存在。请选择一个存在的文件夹。"_gbk;
    case platform::FileError::kAccessDenied:
      return head +
             "不能在该文件夹中写文件（没有权限，或这个名字是一个文件夹）。请换一个文件夹或文件名。"_gbk;
    case platform::FileError::kDiskFull:
      return head + "磁盘已满。请腾出空间或换一个磁盘后再导出。"_gbk;
    case platform::FileError::kSharingViolation:
      return head +
             "该文件正被其他程序打开，或是只读文件。请关闭它（例如在 Excel 中）后再导出，或换一个文件名。"_gbk;
    default:
      return head + "写文件失败。"_gbk;
  }
}

}  // namespace

std::optional<double> ReadPlainNumber(std::string_view text) {
  std::size_t at = text.starts_with('-') ? 1 : 0;
  const std::size_t digits = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  const std::size_t whole = at - digits;
  if (whole == 0 || (whole > 1 && text[digits] == '0')) return std::nullopt;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fraction = ++at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == fraction) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string SaveFilter() {
  if (CanWriteXlsx()) return "Excel 工作簿 (*.xlsx);;CSV 文件（逗号分隔） (*.csv)"_gbk;
  return "CSV 文件（逗号分隔） (*.csv)"_gbk;
}

std::string WithSheetEnd(std::string_view gbk_path) {
  if (EndsWithIgnoringCase(gbk_path, ".csv")) return std::string(gbk_path);
  if (CanWriteXlsx() && EndsWithIgnoringCase(gbk_path, ".xlsx")) return std::string(gbk_path);
  return std::string(gbk_path) + (CanWriteXlsx() ? ".xlsx" : ".csv");
}

FileKind KindOf(std::string_view gbk_path) {
  return EndsWithIgnoringCase(gbk_path, ".csv") ? FileKind::kCsv : FileKind::kXlsx;
}

std::string CsvBytes(const Sheet& sheet) {
  std::string out = "\xEF\xBB\xBF";
  if (!sheet.header.empty()) AppendCsvRecord(sheet.header, out);
  std::vector<std::string> fields;
  for (const std::vector<Cell>& row : sheet.rows) {
    fields.clear();
    for (const Cell& cell : row) fields.push_back(CsvText(cell));
    AppendCsvRecord(fields, out);
  }
  return out;
}

std::string WriteSheet(const Sheet& sheet, std::string_view gbk_path) {
  std::string content;
  if (KindOf(gbk_path) == FileKind::kCsv) {
    content = CsvBytes(sheet);
  } else {
    std::string failure;
    content = XlsxBytes(sheet, &failure);
    if (!failure.empty()) return "无法导出到 "_gbk + std::string(gbk_path) + "："_gbk + failure;
  }
  const platform::FileError error = platform::PutFileInPlace(gbk_path, content);
  return error == platform::FileError::kNone ? std::string() : FailureText(error, gbk_path);
}

}  // namespace spreadsheet
