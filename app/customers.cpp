// The customer book: the whole book on the customer page, adding, finding
// by name or contact, deleting, and handing one customer's name and contact
// to the order form.
#include <vector>

#include "app/desk_units.h"
#include "app/field_room.h"
#include "app/handlers.h"
#include "app/held_record.h"
#include "app/list_export.h"
#include "app/list_units.h"
#include "app/record_lists.h"
#include "platform/gbk.h"
#include "store/record_store.h"

namespace desk {

using platform::operator""_gbk;
using runtime::Value;

namespace {

constexpr std::string_view kCustomerList = "客户超级列表框";
// The list shows the book's five fields, in their order.
constexpr int kCustomerColumns = 5;

// The five boxes of a new customer, in field order.
constexpr std::string_view kNewCustomerBoxes[] = {"客户管理姓名编辑框", "客户管理联系编辑框",
                                                  "身份证号码", "地址", "备注"};

void FillCustomerBook() { FillRecordList(ListId::kCustomerBook); }

// The selected customer's row, or -1 when no customer with a contact is
// selected (the menu then stays away).
int SelectedCustomer() {
  ListRows list(kCustomerList);
  const int row = list.Selected();
  return list.Cell(row, 1).empty() ? -1 : row;
}

}  // namespace

void TabClicked() {
  if (CurrentPage() == page::kCustomers) FillCustomerBook();
}

void AddCustomer() {
  // The contact is checked before the name.
  if (ReadText(Main("客户管理联系编辑框")).empty()) {
    Ask("请输入联系方法！"_gbk);
    return;
  }
  if (ReadText(Main("客户管理姓名编辑框")).empty()) {
    Ask("请输入客户姓名！"_gbk);
    return;
  }
  if (Ask("确认添加客户信息？"_gbk, box::kYesNo, "确认添加"_gbk) != box::kYes) return;
  store::SelectDatabase("客户库"_gbk);
  // One append with every value: another desk never sees a half-written
  // customer, and a refused append leaves none.
  std::vector<Value> fields;
  for (std::string_view box : kNewCustomerBoxes)
    fields.push_back(Value::OfText(ReadText(Main(box))));
  if (!FitFields(fields)) return;
  if (!store::AppendRecord(fields)) {
    // The boxes keep what was typed, so nothing is lost.
    ReportFailedWrite("客户“"_gbk + ReadText(Main("客户管理姓名编辑框")) + "”的信息"_gbk);
    FillCustomerBook();
    return;
  }
  for (std::string_view box : kNewCustomerBoxes) WriteText(Main(box), {});
  FillCustomerBook();
}

void FindCustomer() {
  const runtime::Text name = ReadText(Main("查找客户姓名编辑框"));
  store::SelectDatabase("客户库"_gbk);
  store::GoFirst();
  if (!store::IsPastEnd()) {
    if (name.empty() && ReadText(Main("查找联系编辑框")).empty()) {
      ListRows(kCustomerList).Clear();
      Ask("请完整输入需要查找的信息"_gbk);
      return;
    }
    // A name, when given, wins over the contact.
    if (!name.empty()) WriteText(Main("查找联系编辑框"), {});
  }
  FillRecordList(name.empty() ? ListId::kCustomerByContact : ListId::kCustomerByName);
}

void CustomerListRightClicked() {
  // Without a chosen customer the menu offers the export alone.
  const bool chosen = SelectedCustomer() >= 0;
  if (!chosen && ListRows(kCustomerList).Count() == 0) return;
  SetMenuItemVisible("选择", chosen);
  SetMenuItemVisible("删除", chosen);
  SetMenuList(ExportedList::kCustomers);
  ShowPopupMenu("客户弹出菜单");
}

// A double click on a customer chooses it, as the pop-up menu's 选择 does.
void CustomerListDoubleClicked() {
  if (SelectedCustomer() >= 0) ChooseCustomer();
}

void DeleteCustomer() {
  const int row = SelectedCustomer();
  const std::int32_t record = CustomerRows.RecordOf(row);
  if (row < 0 || record <= 0) return;
  if (Ask("你确认删除选中客户的信息吗？"_gbk, box::kYesNo, "确认删除"_gbk) != box::kYes) return;
  store::SelectDatabase("客户库"_gbk);
  store::GoTo(record);
  const runtime::Text customer = ListRows(kCustomerList).Cell(row, 0);
  const runtime::Text what = "删除客户“"_gbk + customer + "”"_gbk;
  bool deleted = false;
  {
    // Another desk's deletion compacts the book and moves every record after
    // it, so the row's record number may now name someone else: a customer
    // of the same name and contact, say. Every field the row shows must
    // still be the record's.
    HeldRecord held(what);
    const ListRows list(kCustomerList);
    deleted = true;
    for (int column = 0; deleted && column < kCustomerColumns; ++column)
      deleted = held.Expect(column + 1, list.Cell(row, column));
    deleted = deleted && store::DeleteRecord();
    if (held.held() && !deleted) ReportFailedWrite(what);
  }
  // The book is compacted at once, so it never holds deleted customers.
  if (deleted && !store::PurgeDeleted()) ReportFailedWrite(what);
  FillCustomerBook();
}

}  // namespace desk
