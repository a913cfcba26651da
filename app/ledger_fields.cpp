#include "app/ledger_fields.h"

#include "app/desk_units.h"
#include "app/field_room.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "store/record_store.h"

namespace desk::ledger {

using platform::operator""_gbk;

namespace {

// What a person calls each field the pages write.
runtime::Text FieldWord(int field) {
  switch (field) {
    case kArrivalTime:
      return "到货时间"_gbk;
    case kPickupTime:
      return "提货时间"_gbk;
    case kCollector:
      return "提货人"_gbk;
    case kAfterSalesSent:
      return "售后寄出时间"_gbk;
    case kAfterSalesNote:
      return "售后情况"_gbk;
    case kAfterSalesBack:
      return "售后到货时间"_gbk;
    case kStatus:
      return "商品流通"_gbk;
    case kBalancePaid:
      return "提货付余款"_gbk;
    case kRefund:
      return "退款"_gbk;
    default:
      return "第"_gbk + std::to_string(field) + "项"_gbk;
  }
}

}  // namespace

runtime::Text OrderWord(std::string_view order_number) {
  return "订单“"_gbk + runtime::Text(order_number) + "”"_gbk;
}

bool OrderWrites::Write(int field, const runtime::Value& value) const {
  if (!FitsField(field, value)) return false;
  if (store::WriteField(field, value)) return true;
  ReportFailedWrite(OrderWord(order_number_) + "的"_gbk + FieldWord(field));
  return false;
}

bool OrderWrites::WriteAll(std::initializer_list<std::pair<int, runtime::Value>> writes) const {
  for (const auto& [field, value] : writes)
    if (!FitsField(field, value)) return false;
  for (const auto& [field, value] : writes)
    if (!Write(field, value)) return false;
  return true;
}

double NumberField(int field) {
  // While a list fill visits a record, straight from its bytes.
  if (const std::optional<double> number = store::CurrentNumber(field)) return *number;
  return store::ReadField(field).NumericValue();
}

runtime::Text TextField(int field) { return runtime::ToText(store::ReadField(field)); }

}  // namespace desk::ledger
