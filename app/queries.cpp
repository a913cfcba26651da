// The query page: the ledger by order number, by customer name or by order
// date (with a totals row), and the list's right-click menu.
#include "app/queries.h"

#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/ledger_fields.h"
#include "app/list_export.h"
#include "app/list_units.h"
#include "app/record_lists.h"
#include "app/web_link.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "runtime/convert.h"
#include "runtime/system_commands.h"

namespace desk {

using platform::operator""_gbk;
using runtime::Text;
using runtime::Value;

namespace {

constexpr std::string_view kQueryList = "查询超级列表框1";
constexpr int kColumns = 16;
// Columns of the query list that the menu reads.
constexpr int kMarketplaceColumn = 0;
constexpr int kStatusColumn = 8;
constexpr int kLinkColumn = 15;

Text Amount(double amount) { return runtime::ToText(Value::Double(amount)); }

// The date query's totals, summed exactly over the listed orders.
struct DateTotals {
  int orders = 0;
  double quantity = 0;
  double goods = 0;
  double fees = 0;
  double paid = 0;
  double refunds = 0;

  void Add() {
    ++orders;
    quantity += ledger::NumberField(ledger::kQuantity);
    goods += ledger::NumberField(ledger::kGoodsTotal);
    fees += ledger::NumberField(ledger::kFee);
    paid += ledger::NumberField(ledger::kDeposit);
    refunds += ledger::NumberField(ledger::kRefund);
  }

  // A blank row, then the totals row. Neither shows a record, both stay at
  // the bottom when the list is sorted; the empty order-number cell keeps
  // the right-click menu away from them.
  void AppendRows(ListRows& list) const {
    list.AppendKeptAtEnd(std::vector<Text>(kColumns));
    std::vector<Text> row = {"合计"_gbk,     {},
                             "商品总数"_gbk, Amount(quantity),
                             "商品总价"_gbk, Amount(goods),
                             "代购总价"_gbk, Amount(fees),
                             "实收订金"_gbk, Amount(paid - refunds),
                             "退款"_gbk,     Amount(refunds)};
    row.resize(kColumns);
    list.AppendKeptAtEnd(std::move(row));
  }
};

void QueryByDateNow() {
  DateTotals totals;
  FillExtras extras;
  extras.range = PickerRange("开始日期框", "结束日期框");
  extras.on_listed = [&totals] { totals.Add(); };
  FillRecordList(ListId::kQueryByDate, extras);
  ListRows list(kQueryList);
  if (totals.orders > 0) totals.AppendRows(list);
  if (list.Count() == 0) Ask("该时间段无订单信息！"_gbk);
  LastQueryKind = "日期"_gbk;
}

void QueryByOrderNumberNow() {
  FillRecordList(ListId::kQueryByOrderNumber);
  LastQueryKind = "订单号"_gbk;
}

void QueryByNameNow() {
  FillRecordList(ListId::kQueryByCustomer);
  LastQueryKind = "姓名"_gbk;
}

// The cell of the selected row, empty when no row is selected.
Text SelectedCell(int column) {
  ListRows list(kQueryList);
  return list.Cell(list.Selected(), column);
}

}  // namespace

bool RepeatLastQuery() {
  if (LastQueryKind == "订单号"_gbk)
    QueryByOrderNumberNow();
  else if (LastQueryKind == "姓名"_gbk)
    QueryByNameNow();
  else if (LastQueryKind == "日期"_gbk)
    QueryByDateNow();
  else
    return false;
  return true;
}

void QueryByOrderNumber() { QueryByOrderNumberNow(); }
void QueryByName() { QueryByNameNow(); }
void QueryByDate() { QueryByDateNow(); }

void QueryListRightClicked() {
  // No selection, the blank row and the totals row all have an empty
  // order-number cell: the menu then offers the export alone.
  const bool order = !SelectedCell(kOrderNumberColumn).empty();
  if (!order && ListRows(kQueryList).Count() == 0) return;
  for (std::string_view item : {"复制订单号", "复制淘宝号", "查看商品链接"})
    SetMenuItemVisible(item, order);
  // A cancelled order cannot be cancelled again.
  SetMenuItemVisible("删除订单", order && SelectedCell(kStatusColumn) != "悔单"_gbk);
  SetMenuList(ExportedList::kQuery);
  ShowPopupMenu("右击弹出的菜单");
}

// Without a selected order there is nothing to copy, and the clipboard keeps
// what it holds.
void CopyCell(int column) {
  const Text cell = SelectedCell(column);
  if (!cell.empty()) runtime::SetClipboardText(cell);
}

void CopyOrderNumber() { CopyCell(kOrderNumberColumn); }

void CopyMarketplaceNumber() { CopyCell(kMarketplaceColumn); }

void ViewGoodsLink() { OpenGoodsLink(SelectedCell(kLinkColumn)); }

}  // namespace desk
