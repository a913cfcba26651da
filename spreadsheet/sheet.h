// A table as it is handed out of the desk: one sheet of a header row and
// data rows, written as a spreadsheet (.xlsx) or as comma-separated text
// (.csv) for the shop's accountant or any spreadsheet program.
//
// Texts are GBK, as everywhere in the desk; the files are UTF-8 inside.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"

namespace spreadsheet {

enum class CellKind { kText, kNumber, kDateTime };

struct Cell {
  CellKind kind = CellKind::kText;
  std::string text;          // GBK: what the desk shows (the .csv holds this)
  double number = 0;         // kNumber: its value
  platform::LocalTime when;  // kDateTime: its date and time

  static Cell Text(std::string gbk) { return {CellKind::kText, std::move(gbk), 0, {}}; }
  static Cell Number(std::string gbk, double value) {
    return {CellKind::kNumber, std::move(gbk), value, {}};
  }
  static Cell DateTime(std::string gbk, platform::LocalTime time) {
    return {CellKind::kDateTime, std::move(gbk), 0, time};
  }
};

struct Sheet {
  std::string name;                 // GBK: the worksheet's name ("到货管理")
  std::vector<std::string> header;  // GBK column titles
  std::vector<std::vector<Cell>> rows;
};

// The number `text` shows when it is a plain decimal as the desk writes
// numbers ("12", "-5", "12.5"; no leading zeros, no exponent, no blanks);
// nullopt for any other text.
std::optional<double> ReadPlainNumber(std::string_view text);

enum class FileKind { kXlsx, kCsv };

// Whether this build writes .xlsx files (it always writes .csv).
bool CanWriteXlsx();

// The save dialog's filter (GBK): the kinds this build writes, .xlsx first
// where it writes them.
std::string SaveFilter();

// `gbk_path` with the end it is written with: a name ending in ".xlsx"
// (where .xlsx is written) or ".csv", in any letter case, stays; any other
// name gets ".xlsx", or ".csv" where .xlsx is not written.
std::string WithSheetEnd(std::string_view gbk_path);

// The kind a path names by its end (WithSheetEnd's result).
FileKind KindOf(std::string_view gbk_path);

// The .csv form: a UTF-8 byte-order mark (spreadsheet programs then read the
// Chinese correctly), the header and every row as records of RFC 4180
// (fields with a comma, a quote or a line break in quotes, quotes doubled),
// each ended by CR LF. A text cell starting with '=', '+', '-', '@', a tab
// or a carriage return gets a leading apostrophe so that no spreadsheet
// runs it as a formula.
std::string CsvBytes(const Sheet& sheet);

// The .xlsx form: numbers as numbers, date-times as dates shown
// "yyyy-mm-dd hh:mm:ss", texts as texts (never formulas), a bold header row
// that stays in view, every column as wide as its widest cell, printed
// landscape with all columns on one page's width. Empty with
// `*failure` (GBK) set when it cannot be made or this build has no .xlsx.
std::string XlsxBytes(const Sheet& sheet, std::string* failure);

// Writes `sheet` to `gbk_path` (WithSheetEnd's result) in the form its end
// names. The file is made beside it and renamed into place, so a failed
// write leaves whatever was there. Returns "" on success, else a message
// (GBK) saying what failed and what to do.
std::string WriteSheet(const Sheet& sheet, std::string_view gbk_path);

}  // namespace spreadsheet
