// The units behind the receipts: a grid shows the table held by a data
// source, which keeps its cells in a provider. The data source owns its
// report table for as long as its window is loaded; the report commands
// reach it through ReportUnitTables.
#pragma once

#include "forms/settings.h"
#include "forms/unit.h"
#include "report/bindings.h"
#include "report/table.h"

namespace forms {

class DataSrc;
class NProvider;

class Grid : public Unit {
 public:
  Grid(Window& window, const UnitRecord& record);
  // The name of the data source that feeds it.
  const Text& data_source_name() const { return data_source_; }
  // The data source of the same window, or null.
  DataSrc* data_source() const;
  // The table it shows: its data source's, or null without one.
  report::Table* table() const;
  // The table it shows has changed: its view redraws (Change::kText).
  void TableChanged() { Notify(Change::kText); }

 protected:
  int PropertyCount() const override { return 18; }

 private:
  Text data_source_;
};

class DataSrc : public Unit {
 public:
  DataSrc(Window& window, const UnitRecord& record);
  const Text& provider_name() const { return provider_; }
  NProvider* provider() const;

  // The table, empty (no rows, no columns) when the window is loaded.
  report::Table& table() { return table_; }
  const report::Table& table() const { return table_; }
  // Tells every grid of the window that shows this table.
  void TableChanged();

 protected:
  int PropertyCount() const override { return 12; }

 private:
  Text provider_;
  report::Table table_;
};

class NProvider : public Unit {
 public:
  NProvider(Window& window, const UnitRecord& record) : Unit(window, record) {}

 protected:
  int PropertyCount() const override { return 10; }
};

// Finds the tables of data-source and grid units in the current form
// runtime's loaded windows, for the report commands. A unit of a window that
// is not loaded ends in the runtime error report, as with every command.
class ReportUnitTables : public report::UnitTables {
 public:
  report::Table* DataSourceTable(const runtime::Value& unit) override;
  report::Table* GridTable(const runtime::Value& unit) override;
  Text UnitName(const runtime::Value& unit) override;
  void TableChanged(const runtime::Value& unit) override;
};

// Connects the report commands to the units of whichever form runtime is
// current, for the rest of the run.
void ConnectReportTables();

}  // namespace forms
