// The cancellation window "悔单操作": opened from the query list for one
// order, it asks for the reason and the refund. The order keeps its record
// and takes the status "悔单"; the query that listed it runs again.
#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/held_record.h"
#include "app/layout/windows.h"
#include "app/ledger_fields.h"
#include "app/list_units.h"
#include "app/queries.h"
#include "app/record_lists.h"
#include "app/status_line.h"
#include "app/web_link.h"
#include "forms/form_runtime.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "runtime/convert.h"
#include "runtime/time_commands.h"
#include "store/errors.h"
#include "store/record_store.h"

namespace desk {

using platform::operator""_gbk;
using runtime::Text;
using runtime::Value;

namespace {

constexpr std::uint32_t kWindow = layout::kCancellationWindow;

// The window's labels and the ledger fields they show.
constexpr std::pair<std::string_view, int> kOrderLabels[] = {
    {"订单标签", ledger::kOrderNumber}, {"淘宝标签", ledger::kMarketplaceNumber},
    {"名称标签", ledger::kGoodsName},   {"数量标签", ledger::kQuantity},
    {"总价标签", ledger::kGoodsTotal},  {"订金标签", ledger::kDeposit}};

// A button's tag: the text every unit carries for the program's own use. The
// window keeps the order's link and record number there.
Text Tag(std::string_view button) {
  return runtime::ToText(forms::FormRuntime::Current()->ReadProperty(Ref(Cancellation(button)),
                                                                     forms::property::kTag));
}

void SetTag(std::string_view button, const Text& text) {
  forms::FormRuntime::Current()->WriteProperty(Ref(Cancellation(button)), forms::property::kTag,
                                               Value::OfText(text));
}

void CloseCancellationWindow() {
  if (forms::FormRuntime* forms = forms::FormRuntime::Current())
    if (forms->FindWindow(kWindow) != nullptr) forms->CloseWindow(kWindow, false);
}

}  // namespace

void OpenCancellationWindow() {
  ListRows list("查询超级列表框1");
  const int row = list.Selected();
  // The blank and totals rows of a date query show no record.
  const std::int32_t record = QueryRows.RecordOf(row);
  if (row < 0 || record <= 0) return;
  if (Ask("你确认删除选中订单的信息吗？"_gbk, box::kYesNo, "确认删除"_gbk) != box::kYes) return;
  store::SelectDatabase("流水账"_gbk);
  store::GoTo(record);
  // Modeless: the main window stays usable. A window already open comes to
  // the front and takes the newly chosen order.
  forms::FormRuntime* forms = forms::FormRuntime::Current();
  if (forms == nullptr || !forms->LoadWindow(kWindow, 0, false)) return;
  for (const auto& [label, field] : kOrderLabels)
    WriteText(Cancellation(label), ledger::TextField(field));
  SetTag("按钮1", ledger::TextField(ledger::kGoodsLink));
  SetTag("按钮2", runtime::ToText(Value::Int(store::GetRecordNumber())));
}

void OpenCancelledGoodsLink() { OpenGoodsLink(Tag("按钮1")); }

void ConfirmCancellation() {
  const double refund = runtime::ToNumber(Value::OfText(ReadText(Cancellation("编辑框2"))));
  const Text question = "确认悔单？\r\n已收订金"_gbk + ReadText(Cancellation("订金标签")) +
                        "元，现退款："_gbk + runtime::ToText(Value::Double(refund)) + "元"_gbk;
  if (Ask(question, box::kYesNo, "提醒"_gbk) != box::kYes) return;
  // The window names its order only by the record number in its tag.
  const auto record = static_cast<std::int32_t>(runtime::ToNumber(Value::OfText(Tag("按钮2"))));
  const Text number = ReadText(Cancellation("订单标签"));
  store::SelectDatabase("流水账"_gbk);
  const std::int32_t count = store::GetRecordCount();
  if (record < 1 || record > count) {
    // A count that cannot be read (another desk busy with the file) is said.
    if (store::LastError() != store::error::kOk) ReportFailedWrite(ledger::OrderWord(number));
    return;
  }
  store::GoTo(record);
  // Cancelled meanwhile at another desk, the refund is not paid twice.
  HeldRecord held(ledger::OrderWord(number));
  if (!held.Expect(ledger::kOrderNumber, number) || !held.ExpectNot(ledger::kStatus, "悔单"_gbk))
    return;
  const ledger::OrderWrites order(number);
  const bool written = order.WriteAll(
      {{ledger::kArrivalTime, Value::DateTime(runtime::Now())},
       {ledger::kCollector, Value::OfText("退款"_gbk + runtime::ToText(Value::Double(refund)))},
       {ledger::kStatus, Value::OfText("悔单"_gbk)},
       {ledger::kAfterSalesNote, Value::OfText(ReadText(Cancellation("编辑框1")))},
       {ledger::kRefund, Value::Double(refund)}});
  if (!written) return;
  // Said before the list is read again: a list that then cannot be read
  // ("读取失败") must not make a saved cancellation look like a failed one.
  ShowStatus("已悔单："_gbk + number + "，已退款"_gbk + runtime::ToText(Value::Double(refund)) +
             "元"_gbk);
  RepeatLastQuery();
  CloseCancellationWindow();
}

}  // namespace desk
