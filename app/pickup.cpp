// The pickup page: the arrived orders, all or by order number; the ticked
// ones are handed over to the collector once any balance still owed has been
// collected.
#include "app/pickup.h"

#include <cmath>

#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/held_record.h"
#include "app/ledger_fields.h"
#include "app/list_units.h"
#include "app/record_lists.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/time_commands.h"

namespace desk {

using platform::operator""_gbk;
using runtime::Value;

namespace {

constexpr std::string_view kPickupList = "提货超级列表框";

void FillPickupList() {
  FillRecordList(ReadText(Main("提货订购单号")).empty() ? ListId::kPickupAll
                                                        : ListId::kPickupByNumber);
}

// Holds the current record while it is still the arrived order `number`
// of the list; handed over meanwhile at another desk (its balance taken
// there) or cancelled, it is left as it is.
bool HoldArrived(HeldRecord& held, const runtime::Text& number) {
  return held.Expect(ledger::kOrderNumber, number) && held.Expect(ledger::kStatus, "已到货"_gbk);
}

// Hands over the current record; false when the balance was refused, the
// order changed since the fill or a write failed. The record is not held
// while the assistant answers the balance question, so the other desk is
// never kept waiting on a person; it is checked again before the writes.
bool HandOver(int row, const runtime::Text& collector) {
  const runtime::Text number = ListRows(kPickupList).Cell(row, kOrderNumberColumn);
  double balance = 0;
  {
    HeldRecord held(ledger::OrderWord(number));
    if (!HoldArrived(held, number)) return false;
    balance = BalanceDue(ledger::NumberField(ledger::kGoodsTotal),
                         ledger::NumberField(ledger::kFee), ledger::NumberField(ledger::kDeposit));
  }
  if (std::fabs(balance) > kZeroAmount) {
    const runtime::Text question =
        "请收取余款"_gbk + runtime::ToText(Value::Double(balance)) + "元"_gbk;
    if (Ask(question, box::kYesNo, "收取余款"_gbk) != box::kYes) {
      Ask("余款未清，不可以提货！"_gbk, box::kStop, "警告"_gbk);
      return false;
    }
  }
  HeldRecord held(ledger::OrderWord(number));
  if (!HoldArrived(held, number)) return false;
  const ledger::OrderWrites order(number);
  return order.WriteAll({{ledger::kPickupTime, Value::DateTime(runtime::Now())},
                         {ledger::kCollector, Value::OfText(collector)},
                         {ledger::kStatus, Value::OfText("已提货"_gbk)},
                         {ledger::kBalancePaid, Value::Double(balance)}});
}

}  // namespace

double BalanceDue(double goods_total, double fee, double deposit) {
  return goods_total + fee - deposit;
}

void FindPickups() { FillPickupList(); }

void ConfirmPickup() {
  const runtime::Text collector = ReadText(Main("提货人姓名"));
  if (collector.empty()) {
    Ask("请输入确认的内容！"_gbk);
    return;
  }
  if (TickedRowCount(kPickupList) == 0) {
    Ask("请勾选要提货的订单！"_gbk);
    return;
  }
  // A refused balance or a failed write ends the handover at that row: the
  // rows before it are handed over, the boxes keep their texts.
  if (!ForEachTickedRow(kPickupList, PickupRows, [&](int row) { return HandOver(row, collector); }))
    return;
  Ask("提货成功！"_gbk, box::kOk, "操作成功"_gbk);
  WriteText(Main("提货人姓名"), {});
  WriteText(Main("提货订购单号"), {});
  FillPickupList();
}

}  // namespace desk
