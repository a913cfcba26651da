#include "forms/units/report_units.h"

#include "forms/form_runtime.h"
#include "forms/window.h"

namespace forms {
namespace {

Unit* UnitOf(const runtime::Value& value) {
  FormRuntime* runtime = FormRuntime::Current();
  return runtime != nullptr ? runtime->UnitForCommand(value) : nullptr;
}

}  // namespace

Grid::Grid(Window& window, const UnitRecord& record)
    : Unit(window, record), data_source_(DecodeLink(record.settings)->linked_unit) {}

DataSrc* Grid::data_source() const {
  return dynamic_cast<DataSrc*>(window().FindUnitByName(data_source_));
}

report::Table* Grid::table() const {
  DataSrc* source = data_source();
  return source != nullptr ? &source->table() : nullptr;
}

DataSrc::DataSrc(Window& window, const UnitRecord& record)
    : Unit(window, record), provider_(DecodeLink(record.settings)->linked_unit) {}

NProvider* DataSrc::provider() const {
  return dynamic_cast<NProvider*>(window().FindUnitByName(provider_));
}

void DataSrc::TableChanged() {
  for (const auto& unit : window().units())
    if (auto* grid = dynamic_cast<Grid*>(unit.get());
        grid != nullptr && grid->data_source() == this)
      grid->TableChanged();
}

report::Table* ReportUnitTables::DataSourceTable(const runtime::Value& unit) {
  auto* source = dynamic_cast<DataSrc*>(UnitOf(unit));
  return source != nullptr ? &source->table() : nullptr;
}

report::Table* ReportUnitTables::GridTable(const runtime::Value& unit) {
  auto* grid = dynamic_cast<Grid*>(UnitOf(unit));
  return grid != nullptr ? grid->table() : nullptr;
}

Text ReportUnitTables::UnitName(const runtime::Value& unit) {
  Unit* found = UnitOf(unit);
  return found != nullptr ? found->name() : Text{};
}

void ReportUnitTables::TableChanged(const runtime::Value& unit) {
  if (auto* source = dynamic_cast<DataSrc*>(UnitOf(unit))) source->TableChanged();
}

void ConnectReportTables() {
  static ReportUnitTables tables;
  report::CurrentBindings().tables = &tables;
}

}  // namespace forms
