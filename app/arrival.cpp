// The arrival page: the orders not yet arrived, all or by marketplace
// number; the ticked ones are confirmed in one batch, which moves them to
// the pickup page.
#include <string>

#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/held_record.h"
#include "app/ledger_fields.h"
#include "app/list_units.h"
#include "app/record_lists.h"
#include "app/status_line.h"
#include "platform/gbk.h"
#include "runtime/time_commands.h"

namespace desk {

using platform::operator""_gbk;

namespace {

constexpr std::string_view kArrivalList = "到货超级列表框";

void FillArrivalList() {
  FillRecordList(ReadText(Main("到货淘宝单号")).empty() ? ListId::kArrivalAll
                                                        : ListId::kArrivalByNumber);
}

}  // namespace

void FindArrivals() { FillArrivalList(); }

void TickAllArrivals() {
  ListRows list(kArrivalList);
  for (int row = 0; row < list.Count(); ++row) list.SetTicked(row, true);
}

void InvertArrivalTicks() {
  ListRows list(kArrivalList);
  for (int row = 0; row < list.Count(); ++row) list.SetTicked(row, !list.Ticked(row));
}

void ConfirmArrivals() {
  // Each confirmed row takes its own time. A row whose order is no longer
  // "没到货" (handed over or cancelled since the fill, here or at another
  // desk) ends the batch unchanged, so nothing later is overwritten.
  int confirmed = 0;
  const bool written = ForEachTickedRow(kArrivalList, ArrivalRows, [&confirmed](int row) {
    const runtime::Text number = ListRows(kArrivalList).Cell(row, kOrderNumberColumn);
    HeldRecord held(ledger::OrderWord(number));
    if (!held.Expect(ledger::kOrderNumber, number) || !held.Expect(ledger::kStatus, "没到货"_gbk))
      return false;
    const ledger::OrderWrites order(number);
    const bool done =
        order.WriteAll({{ledger::kArrivalTime, runtime::Value::DateTime(runtime::Now())},
                        {ledger::kStatus, runtime::Value::OfText("已到货"_gbk)}});
    confirmed += done ? 1 : 0;
    return done;
  });
  // The rows leave the list: the status line says how many were confirmed,
  // also when a batch stopped part way with its message.
  if (confirmed > 0)
    ShowStatus("已确认到货："_gbk + std::to_string(confirmed) + " 个订单"_gbk);
  else if (written)
    ShowStatus("没有勾选的订单，没有订单确认到货"_gbk);
  if (written) FillArrivalList();
}

}  // namespace desk
