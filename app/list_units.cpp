#include "app/list_units.h"

#include "app/layout/windows.h"
#include "forms/form_runtime.h"
#include "forms/units/list_view.h"
#include "platform/gbk.h"
#include "platform/services.h"

namespace desk {
namespace {

// A list view's check box is its state image: 1 unticked, 2 ticked.
constexpr std::int32_t kUnticked = 1;
constexpr std::int32_t kTicked = 2;

forms::ListView* FindList(std::uint32_t window_id, std::string_view name) {
  forms::FormRuntime* forms = forms::FormRuntime::Current();
  if (forms == nullptr) return nullptr;
  forms::Window* window = forms->FindWindow(window_id);
  if (window == nullptr) return nullptr;
  return dynamic_cast<forms::ListView*>(window->FindUnitByName(platform::Utf8ToGbk(name)));
}

// The menu item captioned `caption` on the main window, or null.
const forms::MenuItemState* MenuItem(std::string_view caption) {
  forms::FormRuntime* forms = forms::FormRuntime::Current();
  if (forms == nullptr) return nullptr;
  const runtime::Text gbk = platform::Utf8ToGbk(caption);
  for (const forms::MenuItemState& item : forms->MenuOf(layout::kMainWindow))
    if (item.caption == gbk) return &item;
  return nullptr;
}

}  // namespace

void ShowPopupMenu(std::string_view menu) {
  const forms::MenuItemState* item = MenuItem(menu);
  if (item == nullptr) return;
  platform::UserDialogs& dialogs = *platform::Current().dialogs;
  forms::FormRuntime::Current()->PopupMenu({layout::kMainWindow, 0},
                                           {layout::kMainWindow, item->id}, dialogs.CursorX(),
                                           dialogs.CursorY());
}

void SetMenuItemVisible(std::string_view caption, bool visible) {
  if (const forms::MenuItemState* item = MenuItem(caption))
    forms::FormRuntime::Current()->WriteProperty({layout::kMainWindow, item->id},
                                                 forms::property::kMenuVisible,
                                                 runtime::Value::Bool(visible));
}

ListRows::ListRows(std::string_view name) : list_(FindList(layout::kMainWindow, name)) {}

ListRows::ListRows(std::uint32_t window, std::string_view name) : list_(FindList(window, name)) {}

void ClearAllLists() {
  forms::FormRuntime* forms = forms::FormRuntime::Current();
  forms::Window* window = forms != nullptr ? forms->FindWindow(layout::kMainWindow) : nullptr;
  if (window == nullptr) return;
  for (const auto& unit : window->units())
    if (auto* list = dynamic_cast<forms::ListView*>(unit.get())) list->Clear();
}

int ListRows::Count() const { return list_ == nullptr ? 0 : list_->row_count(); }

void ListRows::Clear() {
  if (list_ != nullptr) list_->Clear();
}

void ListRows::Append(std::vector<runtime::Text> cells) {
  if (list_ == nullptr) return;
  runtime::Text first = cells.empty() ? runtime::Text() : std::move(cells[0]);
  const int row = list_->InsertRow(-1, std::move(first), -1, kUnticked, 0, 0);
  for (std::size_t column = 1; column < cells.size(); ++column)
    list_->SetCellText(row, static_cast<int>(column), std::move(cells[column]));
}

void ListRows::AppendAll(std::vector<std::vector<runtime::Text>> rows,
                         const std::vector<std::int32_t>& records) {
  if (list_ != nullptr)
    list_->AppendRows(std::move(rows), kUnticked,
                      std::vector<std::int64_t>(records.begin(), records.end()));
}

void ListRows::AppendAll(forms::ListRowBatch rows) {
  if (list_ != nullptr) list_->AppendRows(std::move(rows), kUnticked);
}

void ListRows::AppendKeptAtEnd(std::vector<runtime::Text> cells) {
  if (list_ == nullptr) return;
  Append(std::move(cells));
  list_->KeepAtEnd(list_->row_count() - 1);
}

std::int32_t ListRows::Record(int row) const {
  return list_ == nullptr ? 0 : static_cast<std::int32_t>(list_->Data(row));
}

runtime::Text ListRows::Cell(int row, int column) const {
  return list_ == nullptr ? runtime::Text() : list_->CellText(row, column);
}

bool ListRows::Ticked(int row) const {
  return list_ != nullptr && list_->StateImage(row) == kTicked;
}

void ListRows::SetTicked(int row, bool ticked) {
  if (list_ != nullptr) list_->SetStateImage(row, ticked ? kTicked : kUnticked);
}

int ListRows::Selected() const { return list_ == nullptr ? -1 : list_->selected_row(); }

int ListRows::ColumnCount() const { return list_ == nullptr ? 0 : list_->column_count(); }

runtime::Text ListRows::ColumnTitle(int column) const {
  if (list_ == nullptr || column < 0 || column >= list_->column_count()) return {};
  return list_->settings().columns[static_cast<std::size_t>(column)].title;
}

bool ListRows::KeptAtEnd(int row) const {
  return list_ != nullptr && row >= 0 && row < list_->row_count() && list_->row(row).kept_at_end;
}

}  // namespace desk
