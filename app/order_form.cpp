// The order form's handlers: the amounts recomputed as the assistant types,
// the checks and the confirmation of an add, the receipt's rows, the ledger
// record of each item, and the clear and reset of the form.
#include "app/order_form.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/desk_units.h"
#include "app/field_room.h"
#include "app/handlers.h"
#include "app/ledger_fields.h"
#include "app/receipt_template.h"
#include "app/run_values.h"
#include "app/web_link.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/money.h"
#include "runtime/text_commands.h"
#include "runtime/time_commands.h"
#include "store/record_store.h"

namespace desk {
namespace {

using platform::operator""_gbk;
using runtime::Value;

constexpr UnitName kOrderNumber = Main("代购单号_编辑框");
constexpr UnitName kCustomerName = Main("客户姓名");
constexpr UnitName kContact = Main("联系方法");
constexpr UnitName kChooseCustomer = Main("选择客户");
constexpr UnitName kMarketplaceNumber = Main("淘宝单号");
constexpr UnitName kGoodsName = Main("商品名称");
constexpr UnitName kUnitPrice = Main("商品单价");
constexpr UnitName kQuantity = Main("商品数量");
constexpr UnitName kFreight = Main("运费");
constexpr UnitName kFee = Main("手续费");
constexpr UnitName kPaid = Main("实收款");
constexpr UnitName kGoodsTotal = Main("商品总价标签");
constexpr UnitName kGoodsTotalWords = Main("大写1");
constexpr UnitName kReceivable = Main("应收款");
constexpr UnitName kReceivableWords = Main("大写");
constexpr UnitName kLink = Main("商品链接");
constexpr UnitName kRemark = Main("备注编辑框");
constexpr UnitName kAdd = Main("添加");
constexpr UnitName kClear = Main("重新填写");
constexpr UnitName kNewOrder = Main("新订单");
constexpr UnitName kSave = Main("保存报表");
constexpr UnitName kPreview = Main("打印预览");
constexpr UnitName kPrint = Main("打印");
constexpr UnitName kReceiptSource = Main("下单数据源");
constexpr UnitName kCustomerList = Main("客户超级列表框");

// The goods name on the receipt is cut to this many bytes; the ledger keeps it whole.
constexpr std::size_t kReceiptNameBytes = 10;
// Amounts this close to zero count as zero.
constexpr double kZero = 1e-7;

double Amount(UnitName unit) { return runtime::TextToNumber(ReadText(unit)); }

runtime::Text MoneyText(double amount) { return runtime::DoubleText(amount); }

// A number typed as a quantity, truncated toward zero into the Int range.
std::int32_t WholeNumber(double number) {
  if (std::isnan(number)) return 0;
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(std::trunc(number), kLow, kHigh));
}

// A web address the browser can open: it begins with "http://" or "https://",
// in any letter case (marketplace links are https today).
bool IsWebLink(std::string_view link) {
  auto starts_with = [link](std::string_view scheme) {
    if (link.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
      char c = link[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != scheme[i]) return false;
    }
    return true;
  };
  return starts_with("http://") || starts_with("https://");
}

// A data-source command on the receipt.
void ReceiptCommand(std::string_view command, std::initializer_list<Value> args) {
  std::vector<Value> values{UnitValue(kReceiptSource)};
  values.insert(values.end(), args);
  Command(command, values);
}

Value Int(std::int32_t v) { return Value::Int(v); }

// After a change of quantity, unit price or freight: the fee goes back to 0
// and every amount label is redrawn.
void Recompute() {
  FormAmounts& a = Amounts;
  a.goods_total = a.unit_price * a.quantity + a.freight;
  a.fee = 0;
  a.receivable = a.goods_total + a.fee;
  WriteText(kReceivableWords, runtime::NumberToMoney(a.receivable, false));
  WriteText(kGoodsTotalWords, runtime::NumberToMoney(a.goods_total, false));
  WriteText(kFee, MoneyText(a.fee));
  WriteText(kReceivable, MoneyText(a.receivable));
  WriteText(kGoodsTotal, MoneyText(a.goods_total));
}

void RedrawCustomerLine() {
  SetReceiptCell(4, 1, "客户信息:"_gbk + ReadText(kCustomerName) + "  " + ReadText(kContact));
}

// The first failed check of an add, with its message and the box to fix.
struct AddCheck {
  UnitName box;
  const char* message;  // UTF-8
  bool (*fails)(const runtime::Text& text);
};

bool IsEmpty(const runtime::Text& text) { return text.empty(); }
bool IsZeroAmount(const runtime::Text& text) {
  return std::fabs(runtime::TextToNumber(text)) <= kZero;
}
bool IsNoWebLink(const runtime::Text& text) { return !IsWebLink(text); }
// An amount the desk can add up: a text of 330 digits reads as infinity.
bool IsNoFiniteAmount(const runtime::Text& text) {
  return !std::isfinite(runtime::TextToNumber(text));
}
// A quantity the ledger and the totals agree on: a whole number of the
// 32-bit range (the box is cut to that range only when it loses the focus).
bool IsOutOfQuantityRange(const runtime::Text& text) {
  const double number = runtime::TextToNumber(text);
  return !std::isfinite(number) || number < std::numeric_limits<std::int32_t>::min() ||
         number > std::numeric_limits<std::int32_t>::max();
}

constexpr AddCheck kAddChecks[] = {
    {kOrderNumber, "请输入代购单号", IsEmpty},
    {kCustomerName, "请输入客户姓名", IsEmpty},
    {kContact, "请输入客户联系方法", IsEmpty},
    {kMarketplaceNumber, "请输入淘宝单号", IsEmpty},
    {kUnitPrice, "请输入商品价格", IsZeroAmount},
    {kLink, "请正确输入商品链接，复制时请包含‘http://’", IsNoWebLink},
    {kPaid, "请输入商品实收款", IsEmpty},
    // An amount that is no finite number would be stored as infinity and
    // turn every total it enters into nonsense.
    {kUnitPrice, "请输入正确的金额", IsNoFiniteAmount},
    {kQuantity, "请输入正确的商品数量", IsOutOfQuantityRange},
    {kFreight, "请输入正确的金额", IsNoFiniteAmount},
    {kFee, "请输入正确的金额", IsNoFiniteAmount},
    {kPaid, "请输入正确的金额", IsNoFiniteAmount},
};

// Stores the item as a new ledger record. The record is appended with all
// its values in one write, so another desk on the same files never sees it
// half filled, and a refused append leaves nothing behind to clean up.
bool StoreItem(double now) {
  std::vector<Value> fields(ledger::kGoodsLink);  // fields not given stay blank
  auto set = [&](int field, Value value) { fields[static_cast<std::size_t>(field - 1)] = value; };
  set(ledger::kOrderNumber, Value::OfText(ReadText(kOrderNumber)));
  set(ledger::kMarketplaceNumber, Value::OfText(ReadText(kMarketplaceNumber)));
  set(ledger::kGoodsName, Value::OfText(ReadText(kGoodsName)));
  set(ledger::kQuantity, Value::Double(Amount(kQuantity)));
  set(ledger::kGoodsTotal, Value::Double(Amount(kGoodsTotal)));
  set(ledger::kFee, Value::Double(Amount(kFee)));
  set(ledger::kDeposit, Value::Double(Amount(kPaid)));
  set(ledger::kCustomerName, Value::OfText(ReadText(kCustomerName)));
  set(ledger::kContact, Value::OfText(ReadText(kContact)));
  set(ledger::kSpare, Value::OfText({}));
  set(ledger::kOrderTime, Value::DateTime(now));
  set(ledger::kStatus, Value::OfText("没到货"_gbk));
  set(ledger::kGoodsLink, Value::OfText(ReadText(kLink)));
  if (!store::SelectDatabase("流水账"_gbk)) {
    ReportFailedWrite("这一件商品的订单"_gbk);
    return false;
  }
  if (!FitFields(fields)) return false;
  if (!store::AppendRecord(fields)) {
    ReportFailedWrite("这一件商品的订单"_gbk);
    return false;
  }
  return true;
}

// Adds the item's row before the "合计" row and redraws the totals and the
// three summary lines below it.
void DrawItem(double now) {
  std::int32_t r = Receipt.next_item_row;
  SetReceiptCell(3, 2, runtime::DateTimeText(now));
  ReceiptCommand("DataSrcInsertRows", {Int(r), Int(1)});
  ReceiptCommand("DataSrcSetBorders", {Int(5), Int(1), Int(r + 1), Int(8), Int(0x3F)});
  ReceiptCommand("DataSrcSetCellAttribute", {Int(5), Int(3), Int(r), Int(8), Int(5)});
  SetReceiptCell(r, 1, platform::LeadingBytes(ReadText(kGoodsName), kReceiptNameBytes));
  SetReceiptCell(r, 2, ReadText(kQuantity));
  SetReceiptCell(r, 3, ReadText(kReceivable));
  SetReceiptCell(r, 4, ReadText(kPaid));
  r += 1;
  Receipt.next_item_row = r;
  const double due = Receipt.total_receivable;
  const double paid = Receipt.total_paid;
  SetReceiptCell(r, 1, "合计"_gbk);
  SetReceiptCell(r, 3, MoneyText(due));
  SetReceiptCell(r, 4, MoneyText(paid));
  ReceiptCommand("DataSrcMergeCells", {Int(r + 1), Int(1), Int(1), Int(8)});
  SetReceiptCell(r + 1, 1,
                 "实收："_gbk + MoneyText(paid) + "元  应收："_gbk + MoneyText(due) +
                     "元  欠款："_gbk + MoneyText(due - paid) + "元"_gbk);
  ReceiptCommand("DataSrcMergeCells", {Int(r + 2), Int(1), Int(1), Int(8)});
  SetReceiptCell(r + 2, 1, "询单:"_gbk + InquiryNumber + "   ☆本小票盖章生效☆"_gbk);
  ReceiptCommand("DataSrcMergeCells", {Int(r + 3), Int(1), Int(1), Int(8)});
  SetReceiptCell(r + 3, 1, "★请妥善保管好次小票 提货须带来★"_gbk);
}

}  // namespace

void SetReceiptCell(std::int32_t row, std::int32_t column, std::string_view text) {
  ReceiptCommand("DataSrcSetCellText", {Int(row), Int(column), Value::OfText(runtime::Text(text))});
}

void ResetOrderForm() {
  if (CurrentPage() != page::kOrderForm) return;
  WriteText(kOrderNumber, {});
  WriteText(kLink, {});
  Amounts.quantity = WholeNumber(Amount(kQuantity));
  const auto tmpl = ReceiptTemplate();
  ReceiptCommand("DataSrcSetData", {Value::OfBytes(runtime::Bytes(tmpl.begin(), tmpl.end()))});
  SetReceiptCell(2, 2, ReadText(kOrderNumber));
  SetReceiptCell(1, 1, ShopName);
  for (UnitName unit : {kSave, kPreview, kPrint, kNewOrder}) Disable(unit);
  for (UnitName unit : {kAdd, kClear, kChooseCustomer, kCustomerName, kContact, kOrderNumber})
    Enable(unit);
  Receipt = {};
}

void ClearOrderItemBoxes() {
  WriteText(kMarketplaceNumber, {});
  WriteText(kGoodsName, {});
  WriteText(kQuantity, "1");
  WriteText(kUnitPrice, {});
  WriteText(kPaid, {});
  WriteText(kFee, {});
  WriteText(kReceivable, {});
  WriteText(kGoodsTotal, {});
  WriteText(kReceivableWords, {});
  WriteText(kGoodsTotalWords, {});
  WriteText(kFreight, "0");
  WriteText(kLink, {});
}

void QuantityChanged() {
  std::int32_t quantity = WholeNumber(Amount(kQuantity));
  if (quantity < 1) {
    Tell("商品数量不可为零！"_gbk);
    Amounts.quantity = 1;
    WriteText(kQuantity, "1");
  } else {
    Amounts.quantity = quantity;
  }
  Recompute();
}

void UnitPriceChanged() {
  if (ReadText(kUnitPrice).empty()) WriteText(kUnitPrice, "0");
  Amounts.unit_price = Amount(kUnitPrice);
  Recompute();
}

void FreightChanged() {
  Amounts.freight = Amount(kFreight);
  Recompute();
}

void FeeChanged() {
  if (ReadText(kFee).empty()) {
    // Writing "0" raises this handler again, which does the rest.
    WriteText(kFee, "0");
    return;
  }
  Amounts.fee = Amount(kFee);
  Amounts.receivable = Amounts.goods_total + Amounts.fee;
  WriteText(kReceivableWords, runtime::NumberToMoney(Amounts.receivable, false));
  WriteText(kReceivable, MoneyText(Amounts.receivable));
}

void PaidChanged() { Amounts.paid = Amount(kPaid); }

void OrderNumberChanged() { SetReceiptCell(2, 2, ReadText(kOrderNumber)); }
void CustomerNameChanged() { RedrawCustomerLine(); }
void ContactChanged() { RedrawCustomerLine(); }
void RemarkChanged() { SetReceiptCell(5, 1, "备注:"_gbk + ReadText(kRemark)); }

void AddItem() {
  for (const AddCheck& check : kAddChecks) {
    if (check.fails(ReadText(check.box))) {
      Tell(platform::Utf8ToGbk(check.message));
      Focus(check.box);
      return;
    }
  }
  // Finite parts can still add up past the largest number.
  if (!std::isfinite(Amounts.goods_total) || !std::isfinite(Amounts.receivable)) {
    Tell("请输入正确的金额"_gbk);
    Focus(kUnitPrice);
    return;
  }
  if (Amounts.paid - Amounts.receivable < -kZero &&
      Ask("实收款小于应收款，是否收取订金？"_gbk, box::kYesNo, "友情提醒"_gbk) != box::kYes) {
    Focus(kPaid);
    WriteText(kPaid, {});
    return;
  }
  if (Ask("添加后不可修改！"_gbk, box::kYesNo, "确认添加吗？"_gbk) != box::kYes) return;

  // The item is stored before it is drawn: a receipt never shows an item
  // the ledger does not hold.
  const double now = runtime::Now();
  if (!StoreItem(now)) return;
  Receipt.total_receivable += Amounts.receivable;
  Receipt.total_paid += Amounts.paid;
  DrawItem(now);
  Enable(kSave);
  for (UnitName unit : {kChooseCustomer, kCustomerName, kContact, kOrderNumber}) Disable(unit);
  ClearOrderItemBoxes();
}

void ClearItemBoxes() { ClearOrderItemBoxes(); }

void NewOrder() { ResetOrderForm(); }

void TestLink() {
  const runtime::Text link = ReadText(kLink);
  if (!IsWebLink(link)) {
    Ask("链接错误，请仔细检查！"_gbk, box::kStop, "出错了"_gbk);
    return;
  }
  OpenGoodsLink(link);
}

void GoChooseCustomer() {
  ShowPage(page::kCustomers);
  TabClicked();
}

void ChooseCustomer() {
  const Value list = UnitValue(kCustomerList);
  const std::int32_t row = SelectedRow(kCustomerList);
  const Value name = Command("ListGetCellText", {list, Int(row), Int(0)});
  const Value contact = Command("ListGetCellText", {list, Int(row), Int(1)});
  WriteText(kCustomerName, name.AsText());
  WriteText(kContact, contact.AsText());
  ShowPage(page::kOrderForm);
}

}  // namespace desk
