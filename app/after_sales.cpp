// The after-sales page: handed-over orders with one order number go through
// three steps, each stamping a time and rewriting the status word: sent off
// with a description, back at the shop, collected again.
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
using runtime::Value;

namespace {

constexpr std::string_view kAfterSalesList = "售后超级列表框";

void FillAfterSalesList() { FillRecordList(ListId::kAfterSales); }

Value Now() { return Value::DateTime(runtime::Now()); }

runtime::Text OrderNumberOfRow(int row) {
  return ListRows(kAfterSalesList).Cell(row, kOrderNumberColumn);
}

// Steps 2 and 3 act only on orders at the step before; the first row that is
// not ends the step with `refusal`, leaving it and the rows after unchanged.
// The record is held meanwhile (see HeldRecord), so the status read is the
// one the writes change.
bool AtStep(const HeldRecord& held, const runtime::Text& status, const runtime::Text& refusal) {
  if (!held.held()) return false;
  if (ledger::TextField(ledger::kStatus) == status) return true;
  Ask(refusal, box::kOk, "错了"_gbk);
  return false;
}

// Counts a row whose step was written.
bool Counted(int& count, bool written) {
  count += written ? 1 : 0;
  return written;
}

// The status line's word on a step: how many orders took it (also when the
// step stopped part way with its message), or that none was ticked.
void TellStep(int count, const runtime::Text& step, const runtime::Text& tail) {
  if (count > 0)
    ShowStatus(step + std::to_string(count) + " 个订单"_gbk + tail);
  else
    ShowStatus("没有勾选的订单，"_gbk + step + "0 个订单"_gbk);
}

}  // namespace

void QueryAfterSales() { FillAfterSalesList(); }

void SubmitAfterSalesNote() {
  const runtime::Text note = ReadText(Main("售后情况"));
  if (note.empty()) {
    Ask("请输入售后情况的内容！"_gbk);
    return;
  }
  // Without a ticked row the description would be thrown away unused.
  if (TickedRowCount(kAfterSalesList) == 0) {
    Ask("请先勾选上方列表中要寄出售后的订单！"_gbk);
    return;
  }
  // Any listed order may be sent again, which restarts its steps.
  int sent = 0;
  const bool written = ForEachTickedRow(kAfterSalesList, AfterSalesRows, [&](int row) {
    const runtime::Text number = OrderNumberOfRow(row);
    HeldRecord held(ledger::OrderWord(number));
    if (!held.Expect(ledger::kOrderNumber, number)) return false;
    const ledger::OrderWrites order(number);
    return Counted(sent, order.WriteAll({{ledger::kAfterSalesSent, Now()},
                                         {ledger::kAfterSalesNote, Value::OfText(note)},
                                         {ledger::kStatus, Value::OfText("已发售后"_gbk)}}));
  });
  if (sent > 0) TellStep(sent, "已寄出售后："_gbk, "");
  if (!written) return;
  WriteText(Main("售后情况"), {});
  FillAfterSalesList();
}

void ConfirmAfterSalesArrival() {
  int back = 0;
  const bool done = ForEachTickedRow(kAfterSalesList, AfterSalesRows, [&back](int row) {
    const runtime::Text number = OrderNumberOfRow(row);
    HeldRecord held(ledger::OrderWord(number));
    const ledger::OrderWrites order(number);
    return Counted(back,
                   held.Expect(ledger::kOrderNumber, number) &&
                       AtStep(held, "已发售后"_gbk, "还没寄出去呢！"_gbk) &&
                       order.WriteAll({{ledger::kAfterSalesBack, Now()},
                                       {ledger::kStatus, Value::OfText("售后到货未提"_gbk)}}));
  });
  if (back > 0 || done) TellStep(back, "售后已到货："_gbk, "");
  if (done) FillAfterSalesList();
}

void AfterSalesPickup() {
  const runtime::Text collector = ReadText(Main("售后提货人"));
  if (collector.empty()) {
    Ask("请输入提货人信息！"_gbk);
    return;
  }
  int collected = 0;
  const bool done = ForEachTickedRow(kAfterSalesList, AfterSalesRows, [&](int row) {
    const runtime::Text number = OrderNumberOfRow(row);
    HeldRecord held(ledger::OrderWord(number));
    const ledger::OrderWrites order(number);
    // The collection time replaces the time the goods came back.
    return Counted(collected,
                   held.Expect(ledger::kOrderNumber, number) &&
                       AtStep(held, "售后到货未提"_gbk, "没到呢！"_gbk) &&
                       order.WriteAll({{ledger::kAfterSalesBack, Now()},
                                       {ledger::kStatus,
                                        Value::OfText("售后提货，提货人是"_gbk + collector)}}));
  });
  if (collected > 0 || done) TellStep(collected, "售后已提货："_gbk, "，提货人是"_gbk + collector);
  if (done) FillAfterSalesList();
}

}  // namespace desk
