#include <gtest/gtest.h>

#include <sstream>

#include "driver/driver.h"
#include "driver/verbs.h"
#include "platform/gbk.h"
#include "report/bindings.h"
#include "report/commands.h"
#include "report/operations.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"

namespace report {
namespace {

using platform::operator""_gbk;
using runtime::Value;

// "数据源" is the data source and "表格" the grid showing its table.
class Units : public testing::FakeUnitTables {
 public:
  Units() : FakeUnitTables("表格", "数据源") {}
};

std::string Transcript(Units& units, const std::string& script) {
  ScopedBindings bindings({&units, nullptr});
  RegisterReportCommands(runtime::Commands());
  std::ostringstream out;
  {
    driver::Driver d(out);
    driver::AddReportVerbs(d);
    d.SetUnitResolver([](std::string_view name) -> std::optional<Value> {
      if (name == "数据源") return testing::DataSourceUnit();
      if (name == "表格") return testing::GridUnit();
      return std::nullopt;
    });
    std::istringstream in(script);
    d.Begin(in);
    d.RunToEnd();
  }
  return out.str();
}

TEST(ReportVerbs, DumpTableListsCellsWithTextOrFlags) {
  Units units;
  units.table = Table(2, 3);
  SetCellText(units.table, 1, 1, "合计"_gbk);
  SetCellAttribute(units.table, {2, 3, 1, 1}, 5);
  MergeCells(units.table, {1, 2, 1, 2});
  EXPECT_EQ(Transcript(units, "dump-table 数据源\ndump-table 表格\n"),
            "数据源 rows=2 cols=3\n"
            "(1,1) \"合计\" flags=0x1\n"
            "(1,2) \"\" flags=0x100001\n"
            "(1,3) \"\" flags=0x40001\n"
            "(2,3) \"\" flags=0x5\n"
            "表格 rows=2 cols=3\n"
            "(1,1) \"合计\" flags=0x1\n"
            "(1,2) \"\" flags=0x100001\n"
            "(1,3) \"\" flags=0x40001\n"
            "(2,3) \"\" flags=0x5\n");
}

TEST(ReportVerbs, UnknownUnitsAreScriptErrors) {
  Units units;
  EXPECT_EQ(Transcript(units, "dump-table 无此单元\n"),
            "SCRIPT-ERROR line 1: unknown unit 无此单元\n");
}

TEST(ReportVerbs, PreviewsAndPrintsShowInTheTranscript) {
  Units units;
  units.table = Table(8, 1);
  units.table.print.rows_per_page = 3;
  units.table.print.first_page_number = 5;
  EXPECT_EQ(Transcript(units,
                       "call GridPrintPreview :表格\n"
                       "call GridPrint :表格 1 \"代购订单\"\n"
                       "call GridPrint :表格\n"),
            "PREVIEW 表格 pages=3\n"
            "= none\n"
            "PRINT 表格 job=\"代购订单\" pages=3\n"
            "  page 5 rows 1-3\n"
            "  page 6 rows 4-6\n"
            "  page 7 rows 7-8\n"
            "= Text \"\"\n"
            "PRINT 表格 job=\"报表\" pages=3\n"
            "  page 5 rows 1-3\n"
            "  page 6 rows 4-6\n"
            "  page 7 rows 7-8\n"
            "= Text \"\"\n");
}

TEST(ReportVerbs, TheObserverEndsWithTheDriver) {
  Units units;
  units.table = Table(1, 1);
  Transcript(units, "");
  ScopedBindings bindings({&units, nullptr});
  // A print after the driver has gone must not reach it.
  EXPECT_EQ(DefaultPrintService().Print(testing::GridUnit(), units.table, false, "j"), "");
}

}  // namespace
}  // namespace report
