// Receipts as reports: the order form saves its receipt into the report
// book and prints it; the report page finds a saved receipt by order number,
// previews it and prints it again. Every print that reached the printer
// raises the report's count; one that failed or was stopped says so and
// counts nothing.
#include <cstdint>

#include "app/desk_units.h"
#include "app/field_room.h"
#include "app/handlers.h"
#include "app/order_form.h"
#include "app/run_values.h"
#include "app/status_line.h"
#include "platform/gbk.h"
#include "report/bindings.h"
#include "runtime/convert.h"
#include "store/record_store.h"

namespace desk {
namespace {

using platform::operator""_gbk;
using runtime::Value;

constexpr UnitName kOrderNumber = Main("代购单号_编辑框");
constexpr UnitName kReceiptSource = Main("下单数据源");
constexpr UnitName kReceiptGrid = Main("表格1");
constexpr UnitName kSave = Main("保存报表");
constexpr UnitName kPreview = Main("打印预览");
constexpr UnitName kPrint = Main("打印");
constexpr UnitName kAdd = Main("添加");
constexpr UnitName kClear = Main("重新填写");
constexpr UnitName kNewOrder = Main("新订单");

constexpr UnitName kReportOrderNumber = Main("报表订单号");
constexpr UnitName kPrintCount = Main("打印次数");
constexpr UnitName kReportSource = Main("报表数据源");
constexpr UnitName kReportGrid = Main("表格2");
constexpr UnitName kReportPreview = Main("打印预览1");
constexpr UnitName kReportPrint = Main("打印1");

constexpr std::int32_t kOrderNumberField = 1;
constexpr std::int32_t kContentsField = 2;
constexpr std::int32_t kPrintCountField = 3;

runtime::Text CountCaption(const Value& count) {
  return "本报表已经打印过 "_gbk + runtime::ToText(count) + " 次了！"_gbk;
}

// Raises the print count of the report record `record`. False after a failed
// write, which has been reported.
bool CountPrint(std::int32_t record) {
  if (!store::SelectDatabase("报表库"_gbk) || !store::GoTo(record)) {
    ReportFailedWrite("打印次数"_gbk);
    return false;
  }
  const double count = store::ReadField(kPrintCountField).NumericValue();
  if (!store::WriteField(kPrintCountField, Value::Double(count + 1))) {
    ReportFailedWrite("打印次数"_gbk);
    return false;
  }
  return true;
}

// "小票已打印，这是第 N 次打印" for the report record just counted (current).
runtime::Text PrintedStatus(const runtime::Text& what) {
  return what + "已打印，这是第 "_gbk + runtime::ToText(store::ReadField(kPrintCountField)) +
         " 次打印"_gbk;
}

// Prints `grid` (with the job name `job`, or the default one when empty).
// A print that failed or was stopped is told to the user: false then.
bool PrintGrid(UnitName grid, const runtime::Text& job) {
  const runtime::Value failure =
      job.empty() ? Command("GridPrint", {UnitValue(grid)})
                  : Command("GridPrint", {UnitValue(grid), {}, Value::OfText(job)});
  if (failure.AsText().empty()) return true;
  Ask("小票没有打印："_gbk + failure.AsText() + "\r\n打印次数不变。"_gbk, box::kStop,
      "打印失败"_gbk);
  return false;
}

// Empties the report grid, whatever its size.
void EmptyReportGrid() {
  const Value source = UnitValue(kReportSource);
  while (Command("DataSrcDeleteRows", {source, Value::Int(1), Value::Int(99)}).AsBool()) {
  }
}

void DisableReportPrinting() {
  Disable(kReportPreview);
  Disable(kReportPrint);
}

}  // namespace

void SaveReceipt() {
  runtime::Bytes contents = Command("DataSrcGetData", {UnitValue(kReceiptSource)}).AsBytes();
  // One append with both values, so a refusal leaves no empty report behind.
  const Value fields[] = {Value::OfText(ReadText(kOrderNumber)), Value::OfBytes(contents)};
  static_assert(kOrderNumberField == 1 && kContentsField == 2);
  if (!store::SelectDatabase("报表库"_gbk)) {
    ReportFailedWrite("小票报表"_gbk);
    return;
  }
  if (!FitFields(fields)) return;
  if (!store::AppendRecord(fields)) {
    ReportFailedWrite("小票报表"_gbk);
    return;
  }
  ReceiptBytes = std::move(contents);
  // The order form prints this record, whatever other desks append after it.
  Receipt.saved_report_record = store::GetRecordNumber();
  Enable(kPreview);
  Enable(kPrint);
  ClearOrderItemBoxes();
  Disable(kSave);
  Disable(kAdd);
  Disable(kClear);
  Enable(kNewOrder);
  ShowStatus("小票已保存：订单 "_gbk + ReadText(kOrderNumber));
}

// The preview saves a copy under the order number.
void PreviewGrid(UnitName grid, UnitName order_number) {
  report::CurrentBindings().printing->SetDocumentName(UnitValue(grid), ReadText(order_number));
  Command("GridPrintPreview", {UnitValue(grid)});
}

void PreviewReceipt() { PreviewGrid(kReceiptGrid, kOrderNumber); }

void PrintReceipt() {
  if (!Receipt.saved_report_record) return;
  if (!PrintGrid(kReceiptGrid, "代购订单"_gbk)) return;
  if (!CountPrint(*Receipt.saved_report_record)) return;
  ShowStatus(PrintedStatus("小票"_gbk));
}

void QueryReport() {
  const runtime::Text number = ReadText(kReportOrderNumber);
  bool found = false;
  if (store::SelectDatabase("报表库"_gbk)) {
    store::GoFirst();
    found = store::FindRecord(
        [&number] { return Value::Bool(store::ReadField(kOrderNumberField).AsText() == number); });
  }
  if (!found) {
    Tell(" 未找到报表信息！"_gbk);
    EmptyReportGrid();
    DisableReportPrinting();
    return;
  }
  Command("DataSrcSetData", {UnitValue(kReportSource), store::ReadField(kContentsField)});
  Enable(kReportPreview);
  Enable(kReportPrint);
  WriteText(kPrintCount, CountCaption(store::ReadField(kPrintCountField)));
  ReportRecordNo = store::GetRecordNumber();
}

void ReportOrderNumberChanged() {
  EmptyReportGrid();
  WriteText(kPrintCount, {});
  DisableReportPrinting();
}

void PreviewReport() { PreviewGrid(kReportGrid, kReportOrderNumber); }

void PrintReport() {
  if (!PrintGrid(kReportGrid, {})) return;
  if (!CountPrint(ReportRecordNo)) return;
  WriteText(kPrintCount, CountCaption(store::ReadField(kPrintCountField)));
  ShowStatus(PrintedStatus("报表"_gbk));
}

}  // namespace desk
