// One data source (unit 1 of window 1) and the grid that shows its table
// (unit 2), for tests of the report commands without a form runtime.
#pragma once

#include <string>

#include "platform/gbk.h"
#include "report/bindings.h"
#include "runtime/value.h"

namespace report::testing {

constexpr std::uint32_t kDataSrcType = runtime::type::UnitType(1, 0x2A);
constexpr std::uint32_t kGridType = runtime::type::UnitType(1, 0x29);

inline runtime::Value DataSourceUnit() { return runtime::Value::Unit({1, 1}, kDataSrcType); }
inline runtime::Value GridUnit() { return runtime::Value::Unit({1, 2}, kGridType); }

class FakeUnitTables : public UnitTables {
 public:
  // `grid_name` and `source_name` are UTF-8.
  explicit FakeUnitTables(const std::string& grid_name = "表格1",
                          const std::string& source_name = "数据源")
      : grid_name_(platform::Utf8ToGbk(grid_name)),
        source_name_(platform::Utf8ToGbk(source_name)) {}

  Table* DataSourceTable(const runtime::Value& unit) override {
    return unit == DataSourceUnit() ? &table : nullptr;
  }
  Table* GridTable(const runtime::Value& unit) override {
    return unit == GridUnit() ? &table : nullptr;
  }
  Text UnitName(const runtime::Value& unit) override {
    return unit == GridUnit() ? grid_name_ : source_name_;
  }
  void TableChanged(const runtime::Value&) override { ++changes; }

  Table table;
  int changes = 0;

 private:
  Text grid_name_, source_name_;
};

}  // namespace report::testing
