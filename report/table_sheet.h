// A report table (a receipt) as a spreadsheet sheet, for saving it where a
// spreadsheet program opens it.
#pragma once

#include "report/table.h"
#include "spreadsheet/sheet.h"

namespace report {

// One sheet row per table row and no header row; a merged block's text
// stands in its first cell. A cell showing a plain number of at most 11
// characters (as a spreadsheet shows it unchanged) goes as a number, every
// other cell as its text: a long run of digits, an order number, say, stays
// a text.
spreadsheet::Sheet SheetOfTable(const Table& table, Text name);

}  // namespace report
