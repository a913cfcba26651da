// 导出到Excel on the pop-up menu of every list page: the rows and columns a
// list shows, in the order it shows them, written to a spreadsheet file the
// person names.
#pragma once

#include <string_view>

#include "spreadsheet/sheet.h"

namespace desk {

// The lists that can be exported.
enum class ExportedList {
  kArrival,         // 到货超级列表框
  kPickup,          // 提货超级列表框
  kAfterSales,      // 售后超级列表框
  kQuery,           // 查询超级列表框1
  kCustomers,       // 客户超级列表框
  kDeposits,        // 订金查询超级列表框
  kPickupBalances,  // 提货余款查询超级列表框
};

// Remembers `list` as the one whose pop-up menu is shown: 导出到Excel
// writes that list.
void SetMenuList(ExportedList list);

// The sheet of what `list` shows: its column titles, then its rows from top
// to bottom (a sorted list in its sorted order, the totals rows last). A
// ledger list's amounts go as numbers and its dates as date-times where the
// cell shows one ("——", a date never set, stays a text); every cell of a
// totals row that shows a plain number goes as a number.
spreadsheet::Sheet SheetOfList(ExportedList list);

// Asks for a file name and writes `list` there, telling the status line
// how many rows went where; a failure is shown in a message box. Nothing
// happens when the person cancels.
void ExportList(ExportedList list);

}  // namespace desk
