#include "app/list_export.h"

#include <cstdio>
#include <optional>

#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/ledger_fields.h"
#include "app/list_units.h"
#include "app/record_lists.h"
#include "platform/gbk.h"
#include "platform/services.h"

namespace desk {
namespace {

using platform::operator""_gbk;
using spreadsheet::Cell;

struct ExportedListInfo {
  std::string_view list;   // UTF-8 layout name
  std::string_view title;  // UTF-8: the sheet's name and the start of the file's
  // The fill whose column set the list shows; none for the customer book.
  std::optional<ListId> columns;
};

ExportedListInfo InfoOf(ExportedList list) {
  switch (list) {
    case ExportedList::kArrival:
      return {"到货超级列表框", "到货管理", ListId::kArrivalAll};
    case ExportedList::kPickup:
      return {"提货超级列表框", "提货管理", ListId::kPickupAll};
    case ExportedList::kAfterSales:
      return {"售后超级列表框", "售后情况", ListId::kAfterSales};
    case ExportedList::kQuery:
      return {"查询超级列表框1", "订单查询", ListId::kQueryByDate};
    case ExportedList::kCustomers:
      return {"客户超级列表框", "客户管理", std::nullopt};
    case ExportedList::kDeposits:
      return {"订金查询超级列表框", "订金统计", ListId::kFundDeposits};
    case ExportedList::kPickupBalances:
      return {"提货余款查询超级列表框", "提货收余款统计", ListId::kFundPickups};
  }
  return {};
}

enum class ColumnKind { kText, kNumber, kDateTime };

ColumnKind KindOfField(int field) {
  switch (field) {
    case ledger::kQuantity:
    case ledger::kGoodsTotal:
    case ledger::kFee:
    case ledger::kDeposit:
    case ledger::kBalancePaid:
    case ledger::kRefund:
      return ColumnKind::kNumber;
    case ledger::kOrderTime:
    case ledger::kArrivalTime:
    case ledger::kPickupTime:
    case ledger::kAfterSalesSent:
    case ledger::kAfterSalesBack:
      return ColumnKind::kDateTime;
    default:
      return ColumnKind::kText;
  }
}

// Reads the decimal number at `at`; false when there is none.
bool ReadInt(std::string_view text, std::size_t& at, int& value) {
  const std::size_t start = at;
  value = 0;
  while (at < text.size() && at - start < 5 && text[at] >= '0' && text[at] <= '9')
    value = value * 10 + (text[at++] - '0');
  return at > start;
}

bool ReadMark(std::string_view text, std::size_t& at, std::string_view mark) {
  if (text.substr(at, mark.size()) != mark) return false;
  at += mark.size();
  return true;
}

// The date-time a cell shows in the desk's text form ("2026年12月9日", then
// "14时", "14时30分" or "14时30分5秒"), or nullopt for any other text.
std::optional<platform::LocalTime> ReadDateTimeText(std::string_view text) {
  platform::LocalTime time;
  std::size_t at = 0;
  if (!ReadInt(text, at, time.year) || !ReadMark(text, at, "年"_gbk) ||
      !ReadInt(text, at, time.month) || !ReadMark(text, at, "月"_gbk) ||
      !ReadInt(text, at, time.day) || !ReadMark(text, at, "日"_gbk))
    return std::nullopt;
  time.hour = time.minute = time.second = 0;
  if (at < text.size() && (!ReadInt(text, at, time.hour) || !ReadMark(text, at, "时"_gbk)))
    return std::nullopt;
  if (at < text.size() && (!ReadInt(text, at, time.minute) || !ReadMark(text, at, "分"_gbk)))
    return std::nullopt;
  if (at < text.size() && (!ReadInt(text, at, time.second) || !ReadMark(text, at, "秒"_gbk)))
    return std::nullopt;
  if (at != text.size() || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 ||
      time.hour > 23 || time.minute > 59 || time.second > 59)
    return std::nullopt;
  return time;
}

Cell CellOf(runtime::Text text, ColumnKind kind) {
  if (kind == ColumnKind::kNumber) {
    if (auto number = spreadsheet::ReadPlainNumber(text))
      return Cell::Number(std::move(text), *number);
  } else if (kind == ColumnKind::kDateTime) {
    if (auto time = ReadDateTimeText(text)) return Cell::DateTime(std::move(text), *time);
  }
  return Cell::Text(std::move(text));
}

// The list whose pop-up menu was shown last: a run-wide value of the one
// user-interface thread, as the record lists' row maps are.
ExportedList menu_list = ExportedList::kQuery;

runtime::Text ProposedName(const ExportedListInfo& info) {
  const platform::LocalTime now = platform::Current().clock->Now();
  char day[16];
  std::snprintf(day, sizeof day, "%04d%02d%02d", now.year, now.month, now.day);
  return platform::Utf8ToGbk(info.title) + "-" + day +
         (spreadsheet::CanWriteXlsx() ? ".xlsx" : ".csv");
}

}  // namespace

void SetMenuList(ExportedList list) { menu_list = list; }

spreadsheet::Sheet SheetOfList(ExportedList list) {
  const ExportedListInfo info = InfoOf(list);
  const ListRows rows(info.list);
  spreadsheet::Sheet sheet;
  sheet.name = platform::Utf8ToGbk(info.title);
  std::vector<ColumnKind> kinds(static_cast<std::size_t>(rows.ColumnCount()), ColumnKind::kText);
  if (info.columns) {
    const RecordList& record_list = RecordListOf(*info.columns);
    for (std::size_t c = 0; c < kinds.size() && c < record_list.columns.size(); ++c)
      kinds[c] = KindOfField(record_list.columns[c].field);
  }
  for (int c = 0; c < rows.ColumnCount(); ++c) sheet.header.push_back(rows.ColumnTitle(c));
  for (int r = 0; r < rows.Count(); ++r) {
    std::vector<Cell> cells;
    const bool totals = rows.KeptAtEnd(r);
    for (int c = 0; c < rows.ColumnCount(); ++c)
      cells.push_back(CellOf(rows.Cell(r, c),
                             totals ? ColumnKind::kNumber : kinds[static_cast<std::size_t>(c)]));
    sheet.rows.push_back(std::move(cells));
  }
  return sheet;
}

void ExportList(ExportedList list) {
  const ExportedListInfo info = InfoOf(list);
  platform::UserDialogs& dialogs = *platform::Current().dialogs;
  const std::optional<std::string> chosen =
      dialogs.AskSaveFileName("导出到Excel"_gbk, ProposedName(info), spreadsheet::SaveFilter());
  if (!chosen || chosen->empty()) return;
  const std::string path = spreadsheet::WithSheetEnd(*chosen);
  const spreadsheet::Sheet sheet = SheetOfList(list);
  if (const std::string failure = spreadsheet::WriteSheet(sheet, path); !failure.empty()) {
    Ask(failure, box::kStop, "导出失败"_gbk);
    return;
  }
  const int count = static_cast<int>(sheet.rows.size());
  dialogs.TableExported(path, count);
  dialogs.ShowStatus("已导出 "_gbk + std::to_string(count) + " 行到 "_gbk + path);
}

void ExportShownList() { ExportList(menu_list); }

namespace {

// The lists with nothing on their pop-up menu but the export, which an
// empty list has nothing for.
void ShowExportMenu(ExportedList list) {
  if (ListRows(InfoOf(list).list).Count() == 0) return;
  SetMenuList(list);
  ShowPopupMenu("列表弹出菜单");
}

}  // namespace

void ArrivalListRightClicked() { ShowExportMenu(ExportedList::kArrival); }
void PickupListRightClicked() { ShowExportMenu(ExportedList::kPickup); }
void AfterSalesListRightClicked() { ShowExportMenu(ExportedList::kAfterSales); }
void DepositListRightClicked() { ShowExportMenu(ExportedList::kDeposits); }
void PickupBalanceListRightClicked() { ShowExportMenu(ExportedList::kPickupBalances); }

}  // namespace desk
