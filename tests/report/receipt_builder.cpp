#include "receipt_builder.h"

#include "app/receipt_template.h"
#include "platform/gbk.h"
#include "runtime/convert.h"

namespace report::testing {
namespace {

using platform::operator""_gbk;
using runtime::Value;

std::string Money(double v) { return runtime::ToText(Value::Double(v)); }

}  // namespace

void StartReceipt(const CommandCall& call, const Value& source, const std::string& shop,
                  const std::string& order_number) {
  auto bytes = desk::ReceiptTemplate();
  call("DataSrcSetData", {source, Value::OfBytes(runtime::Bytes(bytes.begin(), bytes.end()))});
  call("DataSrcSetCellText", {source, Value::Int(2), Value::Int(2), Value::OfText(order_number)});
  call("DataSrcSetCellText", {source, Value::Int(1), Value::Int(1), Value::OfText(shop)});
}

void AddReceiptItem(const CommandCall& call, const Value& source, int r, const ReceiptItem& item,
                    double total_receivable, double total_paid) {
  auto text = [&](int row, int column, const std::string& t) {
    call("DataSrcSetCellText", {source, Value::Int(row), Value::Int(column), Value::OfText(t)});
  };
  auto merge_row = [&](int row) {
    call("DataSrcMergeCells",
         {source, Value::Int(row), Value::Int(1), Value::Int(1), Value::Int(8)});
  };
  text(3, 2, "2008年5月1日14时5分9秒"_gbk);
  call("DataSrcInsertRows", {source, Value::Int(r), Value::Int(1)});
  call("DataSrcSetBorders",
       {source, Value::Int(5), Value::Int(1), Value::Int(r + 1), Value::Int(8), Value::Int(0x3F)});
  call("DataSrcSetCellAttribute",
       {source, Value::Int(5), Value::Int(3), Value::Int(r), Value::Int(8), Value::Int(5)});
  text(r, 1, item.name.substr(0, 10));
  text(r, 2, item.quantity);
  text(r, 3, item.receivable);
  text(r, 4, item.paid);
  ++r;
  text(r, 1, "合计"_gbk);
  text(r, 3, Money(total_receivable));
  text(r, 4, Money(total_paid));
  merge_row(r + 1);
  text(r + 1, 1,
       "实收："_gbk + Money(total_paid) + "元  应收："_gbk + Money(total_receivable) +
           "元  欠款："_gbk + Money(total_receivable - total_paid) + "元"_gbk);
  merge_row(r + 2);
  text(r + 2, 1, "询单:"_gbk + "0571-88886666" + "   ☆本小票盖章生效☆"_gbk);
  merge_row(r + 3);
  text(r + 3, 1, "★请妥善保管好次小票 提货须带来★"_gbk);
}

void BuildTwoItemReceipt(const CommandCall& call, const Value& source) {
  StartReceipt(call, source, "小林代购"_gbk, "DG20080501001");
  call("DataSrcSetCellText",
       {source, Value::Int(4), Value::Int(1), Value::OfText("客户信息:张三  13800001111"_gbk)});
  call("DataSrcSetCellText",
       {source, Value::Int(5), Value::Int(1), Value::OfText("备注:周六下午来取"_gbk)});
  AddReceiptItem(call, source, 7, {"儿童凉鞋夏季新款"_gbk, "2", "28", "10"}, 28, 10);
  AddReceiptItem(call, source, 8, {"USB集线器"_gbk, "1", "45", "45"}, 73, 55);
}

void BuildHardReceipt(const CommandCall& call, const Value& source) {
  StartReceipt(call, source, "杭州西湖区文三路小林海外代购旗舰店总店"_gbk, "DG2026123123595901");
  auto text = [&](int row, int column, const std::string& t) {
    call("DataSrcSetCellText", {source, Value::Int(row), Value::Int(column), Value::OfText(t)});
  };
  text(4, 1, "客户信息:欧阳娜娜娜  13800001111 微信hz_daigou_2026"_gbk);
  text(5, 1, "备注:周六下午五点以后来取，两件一起包装，发票抬头写杭州某某贸易有限公司"_gbk);
  AddReceiptItem(call, source, 7, {"儿童凉鞋夏季新款女童"_gbk, "99999", "12345678.99", "10000"},
                 12345678.99, 10000);
  AddReceiptItem(call, source, 8, {"USB3.0集线器"_gbk, "2147483647", "87654321.5", "12345678.9"},
                 12345678.99 + 87654321.5, 10000 + 12345678.9);
  AddReceiptItem(call, source, 9, {"WWWWWWWWWW", "1", "-12345678.12", "0.01"},
                 12345678.99 + 87654321.5 - 12345678.12, 10000 + 12345678.9 + 0.01);
  text(3, 2, "2026年12月31日23时59分59秒"_gbk);
}

}  // namespace report::testing
