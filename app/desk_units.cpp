#include "app/desk_units.h"

#include <vector>

#include "app/durable.h"
#include "forms/form_runtime.h"
#include "platform/gbk.h"
#include "runtime/command_table.h"
#include "runtime/convert.h"
#include "runtime/error_report.h"
#include "runtime/system_commands.h"
#include "store/database_list.h"
#include "store/errors.h"
#include "store/record_store.h"

namespace desk {
namespace {

using platform::operator""_gbk;

forms::FormRuntime& Forms() {
  forms::FormRuntime* forms = forms::FormRuntime::Current();
  if (forms == nullptr) runtime::ReportRuntimeError("没有窗口运行时"_gbk);
  return *forms;
}

[[noreturn]] void UnknownUnit(UnitName unit) {
  runtime::ReportRuntimeError("窗口模板中没有组件："_gbk + platform::Utf8ToGbk(unit.name));
}

// The unit's record in the window template.
const forms::UnitRecord& RecordOf(UnitName unit) {
  const forms::WindowBlock* block = Forms().tmpl().FindWindow(unit.window);
  if (block == nullptr) UnknownUnit(unit);
  if (unit.name.empty()) return block->own_unit();
  const runtime::Text name = platform::Utf8ToGbk(unit.name);
  for (const forms::TableEntry& entry : block->entries)
    if (const auto* record = std::get_if<forms::UnitRecord>(&entry); record && record->name == name)
      return *record;
  UnknownUnit(unit);
}

}  // namespace

runtime::UnitRef Ref(UnitName unit) {
  const forms::UnitRecord& record = RecordOf(unit);
  return {unit.window, unit.name.empty() ? 0 : record.id};
}

runtime::Value UnitValue(UnitName unit) {
  const forms::UnitRecord& record = RecordOf(unit);
  return runtime::Value::Unit({unit.window, unit.name.empty() ? 0 : record.id}, record.type);
}

runtime::Text ReadText(UnitName unit) {
  return runtime::ToText(Forms().ReadProperty(Ref(unit), forms::property::kCaption));
}

void WriteText(UnitName unit, std::string_view gbk) {
  Forms().WriteProperty(Ref(unit), forms::property::kCaption,
                        runtime::Value::OfText(runtime::Text(gbk)));
}

void Enable(UnitName unit, bool enabled) {
  Forms().WriteProperty(Ref(unit), forms::property::kDisabled, runtime::Value::Bool(!enabled));
}

bool IsEnabled(UnitName unit) {
  return !Forms().ReadProperty(Ref(unit), forms::property::kDisabled).AsBool();
}

void Focus(UnitName unit) { Command("SetFocus", {UnitValue(unit)}); }

void ShowLoadingWindow(std::uint32_t window_id) { Forms().ShowLoadingWindow(window_id); }

std::int32_t CurrentPage(UnitName tab) {
  return static_cast<std::int32_t>(
      Forms().ReadProperty(Ref(tab), forms::property::kCurrentPage).NumericValue());
}

void ShowPage(std::int32_t number, UnitName tab) {
  Forms().WriteProperty(Ref(tab), forms::property::kCurrentPage, runtime::Value::Int(number));
}

// Whatever a box tells of (a saved order, a failure after some writes) has
// reached the disk before the assistant reads it.
std::int32_t Ask(std::string_view text, std::uint32_t style, std::string_view title) {
  MakeDurable();
  return runtime::MessageBox(runtime::Value::OfText(runtime::Text(text)), style, title);
}

std::int32_t Ask(std::string_view text, std::uint32_t style) {
  MakeDurable();
  return runtime::MessageBox(runtime::Value::OfText(runtime::Text(text)), style);
}

runtime::Value Command(std::string_view name, std::span<const runtime::Value> args) {
  std::optional<runtime::Value> result = runtime::CallCommand(name, args);
  if (!result) runtime::ReportRuntimeError("没有命令："_gbk + runtime::Text(name));
  return std::move(*result);
}

void ReportFailedWrite(std::string_view what) { ReportFailedWrite(what, store::LastError()); }

void ReportFailedWrite(std::string_view what, int error) {
  runtime::Text text(what);
  text += "没有保存成功，请稍后再试。\r\n数据库提示："_gbk;
  text += store::ErrorText(error);
  Ask(text, box::kStop, "保存失败"_gbk);
}

std::int32_t SelectedRow(UnitName list) {
  return static_cast<std::int32_t>(
      Forms().ReadProperty(Ref(list), forms::property::kSelectedRow).NumericValue());
}

}  // namespace desk
