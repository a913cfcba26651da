// The run-wide values of the order desk: what it keeps from start-up to the
// end of the run and shares between its pages. They carry the names the desk
// gives them (`ReceiptBytes`, `ReportRecordNo`, ...), as its other run-wide
// values do (the record lists keep their row maps in record_lists.h).
//
// Everything here runs on the one user-interface thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/value.h"

namespace desk {

// The amounts of the item being entered on the order form, kept up to date
// by the form's change handlers.
struct FormAmounts {
  double unit_price = 0;
  std::int32_t quantity = 1;  // truncated toward zero, at least 1
  double freight = 0;
  double goods_total = 0;  // unit price x quantity + freight
  double fee = 0;
  double receivable = 0;  // goods total + fee
  double paid = 0;
};

// The receipt on the order form.
struct ReceiptState {
  // The row (1-based) the next item is inserted before; the "合计" row
  // follows the items.
  std::int32_t next_item_row = 7;
  double total_receivable = 0;
  double total_paid = 0;
  // The report-book record saved from this receipt, once it has been saved.
  std::optional<std::int32_t> saved_report_record;
};

// The folder of the data files and "配置.ini", ending in the directory
// separator (GBK).
extern runtime::Text ProgramDirectory;
// The shop name: the window title and the first line of every receipt.
extern runtime::Text ShopName;
// The telephone number customers call about an order, on every receipt.
extern runtime::Text InquiryNumber;
extern FormAmounts Amounts;
extern ReceiptState Receipt;
// The receipt grid's contents as taken by the last save.
extern runtime::Bytes ReceiptBytes;
// The report-book record found by the last successful search on the report
// page; 0 before any.
extern std::int32_t ReportRecordNo;

// The program directory followed by `file_name` (GBK).
runtime::Text ProgramFile(std::string_view file_name);

// Gives every run-wide value above its start-of-run state.
void CreateRunValues();

// The exit routine: releases the run-wide values at the program's normal end.
void ExitDesk();

}  // namespace desk
