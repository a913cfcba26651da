#include "forms/commands.h"

#include <algorithm>

#include "forms/form_runtime.h"
#include "forms/units/list_view.h"
#include "platform/services.h"

namespace forms {
namespace {

using runtime::Args;
using runtime::Value;

// An integer argument, or `fallback` when it is omitted or not a number.
std::int32_t IntArg(const Value& value, std::int32_t fallback) {
  if (value.IsNone()) return fallback;
  return IntegerOf(value).value_or(fallback);
}

bool BoolArg(const Value& value, bool fallback) {
  if (value.IsNone()) return fallback;
  return LogicalOf(value).value_or(fallback);
}

std::optional<int> OptionalIntArg(const Value& value) {
  if (value.IsNone()) return std::nullopt;
  return IntegerOf(value);
}

// The list view a command names; null when there is no runtime or the unit
// is no list view. A window that is not loaded ends in the error report.
ListView* ListArg(Args args) {
  FormRuntime* forms = FormRuntime::Current();
  if (forms == nullptr) return nullptr;
  return dynamic_cast<ListView*>(forms->UnitForCommand(runtime::Arg(args, 0)));
}

Value LoadWindow(Args args) {
  FormRuntime* forms = FormRuntime::Current();
  const Value& window = runtime::Arg(args, 0);
  if (forms == nullptr || !window.IsUnit()) return Value::Bool(false);
  const Value& parent = runtime::Arg(args, 1);
  std::uint32_t parent_id = parent.IsUnit() ? parent.AsUnit().window : 0;
  return Value::Bool(
      forms->LoadWindow(window.AsUnit().window, parent_id, BoolArg(runtime::Arg(args, 2), false)));
}

Value CloseWindow(Args args) {
  FormRuntime* forms = FormRuntime::Current();
  const Value& window = runtime::Arg(args, 0);
  if (forms != nullptr && window.IsUnit())
    forms->CloseWindow(window.AsUnit().window, BoolArg(runtime::Arg(args, 1), false));
  return {};
}

Value SetFocus(Args args) {
  if (FormRuntime* forms = FormRuntime::Current())
    if (Unit* unit = forms->UnitForCommand(runtime::Arg(args, 0))) forms->SetFocus(*unit);
  return {};
}

Value PopupMenu(Args args) {
  FormRuntime* forms = FormRuntime::Current();
  const Value& window = runtime::Arg(args, 0);
  const Value& menu = runtime::Arg(args, 1);
  if (forms != nullptr && window.IsUnit() && menu.IsUnit())
    forms->PopupMenu(window.AsUnit(), menu.AsUnit(), OptionalIntArg(runtime::Arg(args, 2)),
                     OptionalIntArg(runtime::Arg(args, 3)));
  return {};
}

Value OpenWebPage(Args args) {
  if (auto address = TextOf(runtime::Arg(args, 0)))
    platform::Current().dialogs->OpenWebPage(*address);
  return {};
}

Value ListInsertRow(Args args) {
  ListView* list = ListArg(args);
  if (list == nullptr) return Value::Int(-1);
  std::int32_t position = IntArg(runtime::Arg(args, 1), -1);
  Text text = TextOf(runtime::Arg(args, 2)).value_or(Text());
  std::int32_t image = IntArg(runtime::Arg(args, 3), -1);
  std::int32_t state = IntArg(runtime::Arg(args, 4), 0);
  std::int32_t indent = std::max(IntArg(runtime::Arg(args, 5), 0), 0);
  const Value& data = runtime::Arg(args, 6);
  std::int64_t row_data = data.IsNumeric() ? static_cast<std::int64_t>(data.NumericValue()) : 0;
  // A state past the end of the int range would wrap; keep it in range.
  std::int32_t state_image = state == INT32_MAX ? state : state + 1;
  return Value::Int(list->InsertRow(position, std::move(text), std::max(image, -1), state_image,
                                    indent, row_data));
}

Value ListSetCellText(Args args) {
  if (ListView* list = ListArg(args))
    list->SetCellText(IntArg(runtime::Arg(args, 1), -1), IntArg(runtime::Arg(args, 2), 0),
                      TextOf(runtime::Arg(args, 3)).value_or(Text()));
  return {};
}

Value ListGetCellText(Args args) {
  ListView* list = ListArg(args);
  if (list == nullptr) return Value::OfText({});
  return Value::OfText(
      list->CellText(IntArg(runtime::Arg(args, 1), -1), IntArg(runtime::Arg(args, 2), 0)));
}

Value ListSetCheckState(Args args) {
  if (ListView* list = ListArg(args)) {
    std::int32_t state = IntArg(runtime::Arg(args, 2), 0);
    list->SetStateImage(IntArg(runtime::Arg(args, 1), -1),
                        state == INT32_MAX ? state : std::max(state + 1, 0));
  }
  return {};
}

Value ListGetCheckState(Args args) {
  ListView* list = ListArg(args);
  if (list == nullptr) return Value::Int(-1);
  return Value::Int(list->StateImage(IntArg(runtime::Arg(args, 1), -1)) - 1);
}

Value ListRowCount(Args args) {
  ListView* list = ListArg(args);
  return Value::Int(list == nullptr ? 0 : list->row_count());
}

Value ListClear(Args args) {
  if (ListView* list = ListArg(args)) list->Clear();
  return {};
}

Value ReadProperty(Args args) {
  FormRuntime* forms = FormRuntime::Current();
  const Value& unit = runtime::Arg(args, 0);
  if (forms == nullptr || !unit.IsUnit()) return {};
  return forms->ReadProperty(unit.AsUnit(), IntArg(runtime::Arg(args, 1), -1));
}

Value WriteProperty(Args args) {
  FormRuntime* forms = FormRuntime::Current();
  const Value& unit = runtime::Arg(args, 0);
  if (forms != nullptr && unit.IsUnit())
    forms->WriteProperty(unit.AsUnit(), IntArg(runtime::Arg(args, 1), -1), runtime::Arg(args, 2));
  return {};
}

}  // namespace

void RegisterWindowCommands(runtime::CommandTable& table) {
  table.Add("LoadWindow", LoadWindow);
  table.Add("CloseWindow", CloseWindow);
  table.Add("SetFocus", SetFocus);
  table.Add("PopupMenu", PopupMenu);
  table.Add("CursorX", [](Args) { return Value::Int(platform::Current().dialogs->CursorX()); });
  table.Add("CursorY", [](Args) { return Value::Int(platform::Current().dialogs->CursorY()); });
  table.Add("OpenWebPage", OpenWebPage);
  table.Add("ListInsertRow", ListInsertRow);
  table.Add("ListSetCellText", ListSetCellText);
  table.Add("ListGetCellText", ListGetCellText);
  table.Add("ListSetCheckState", ListSetCheckState);
  table.Add("ListGetCheckState", ListGetCheckState);
  table.Add("ListRowCount", ListRowCount);
  table.Add("ListClear", ListClear);
  table.Add("ReadProperty", ReadProperty);
  table.Add("WriteProperty", WriteProperty);
}

}  // namespace forms
