// The arrival page: the orders not yet arrived, all or by marketplace
// number; the ticked ones are confirmed in one batch, which moves them to
// the pickup page.
#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/held_record.h"
#include "app/ledger_fields.h"
#include "app/list_units.h"
#include "app/record_lists.h"
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
  const bool written = ForEachTickedRow(kArrivalList, ArrivalRows, [](int row) {
    const runtime::Text number = ListRows(kArrivalList).Cell(row, kOrderNumberColumn);
    HeldRecord held(ledger::OrderWord(number));
    if (!held.Expect(ledger::kOrderNumber, number) || !held.Expect(ledger::kStatus, "没到货"_gbk))
      return false;
    const ledger::OrderWrites order(number);
    return order.WriteAll({{ledger::kArrivalTime, runtime::Value::DateTime(runtime::Now())},
                           {ledger::kStatus, runtime::Value::OfText("已到货"_gbk)}});
  });
  if (written) FillArrivalList();
}

}  // namespace desk
