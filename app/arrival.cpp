// The arrival page: the orders not yet arrived, all or by marketplace
// number; the ticked ones are confirmed in one batch, which moves them to
// the pickup page.
#include "app/desk_units.h"
#include "app/handlers.h"
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
  // Every listed row was "没到货" when the list was filled; each confirmed
  // row takes its own time.
  const bool written = ForEachTickedRow(kArrivalList, ArrivalRows, [](int row) {
    const ledger::OrderWrites order(ListRows(kArrivalList).Cell(row, kOrderNumberColumn));
    return order.Write(ledger::kArrivalTime, runtime::Value::DateTime(runtime::Now())) &&
           order.Write(ledger::kStatus, runtime::Value::OfText("已到货"_gbk));
  });
  if (written) FillArrivalList();
}

}  // namespace desk
