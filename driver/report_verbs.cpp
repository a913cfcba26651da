// The report table's part of the driver: `dump-table UNIT`, `printer`, and
// the transcript lines of previews and prints.
#include <cstdio>

#include "driver/script_text.h"
#include "driver/verbs.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "report/bindings.h"
#include "report/printing.h"

namespace driver {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

// The table of a data source, or of the data source behind a grid.
report::Table* TableOf(const runtime::Value& unit) {
  report::UnitTables* tables = report::CurrentBindings().tables;
  if (tables == nullptr) return nullptr;
  if (report::Table* table = tables->DataSourceTable(unit)) return table;
  return tables->GridTable(unit);
}

void PrintRecord(Driver& driver, const report::PrintRecord& record) {
  const std::string unit = platform::GbkToUtf8(record.unit_name);
  const std::string pages = " pages=" + std::to_string(record.pages.size());
  if (record.preview) {
    driver.Print("PREVIEW " + unit + pages);
    return;
  }
  driver.Print("PRINT " + unit + " job=" + Quoted(record.job_name) + pages);
  for (const report::Page& page : record.pages)
    driver.Print("  page " + std::to_string(page.number) + " rows " +
                 std::to_string(page.first_row + 1) + "-" + std::to_string(page.last_row + 1));
}

}  // namespace

void AddReportVerbs(Driver& driver) {
  report::DefaultPrintService().SetObserver(
      [&driver](const report::PrintRecord& record) { PrintRecord(driver, record); });
  driver.OnEnd([] {
    report::DefaultPrintService().SetObserver(nullptr);
    report::DefaultPrintService().SetPrinterReady(true);
  });

  // printer none / printer ready: from now on the machine has no printer,
  // or has one again (as it has when the run starts).
  driver.AddVerb("printer", [](std::string_view rest) {
    if (rest != "none" && rest != "ready") throw ScriptError{"printer takes none or ready"};
    report::DefaultPrintService().SetPrinterReady(rest == "ready");
  });

  // preview-click GRID CAPTION: the user clicks a button of the open print
  // preview of GRID: 保存为PDF, 保存为Excel or 打印....
  driver.AddVerb("preview-click", [&driver](std::string_view rest) {
    const std::size_t space = rest.find(' ');
    const std::string name(rest.substr(0, space));
    const std::string caption(space == std::string_view::npos ? "" : rest.substr(space + 1));
    std::optional<runtime::Value> unit;
    if (driver.unit_resolver()) unit = driver.unit_resolver()(name);
    if (!unit) throw ScriptError{"unknown unit " + name};
    report::Table* table = TableOf(*unit);
    if (table == nullptr) throw ScriptError{name + " holds no table"};
    if (caption != "保存为PDF" && caption != "保存为Excel" && caption != "打印...")
      throw ScriptError{"the preview has no button " + caption};
    report::HeadlessPrintService& service = report::DefaultPrintService();
    if (!service.PreviewOpen(*unit)) return driver.PrintIgnored();
    if (caption == "保存为PDF") {
      report::SaveAsPdf(service, *unit, *table, report::ProposedPdfPath(service, *unit, {}));
      return;
    }
    if (caption == "保存为Excel") {
      report::SaveAsSheet(service, *unit, *table, report::ProposedSheetPath(service, *unit, {}));
      return;
    }
    const report::Text failure =
        service.Print(*unit, *table, true, report::print_text::DefaultJobName());
    if (!failure.empty())
      platform::Current().dialogs->ShowMessageBox(failure, platform::Utf8ToGbk("信息："), 0);
  });

  driver.AddVerb("dump-table", [&driver](std::string_view rest) {
    const std::string name(rest);
    std::optional<runtime::Value> unit;
    if (driver.unit_resolver()) unit = driver.unit_resolver()(name);
    if (!unit) throw ScriptError{"unknown unit " + name};
    const report::Table* table = TableOf(*unit);
    if (table == nullptr) throw ScriptError{name + " holds no table"};
    driver.Print(name + " rows=" + std::to_string(table->rows()) +
                 " cols=" + std::to_string(table->columns()));
    for (int r = 0; r < table->rows(); ++r)
      for (int c = 0; c < table->columns(); ++c) {
        const report::Cell& cell = table->At(r, c);
        const std::string text = cell.text();
        if (text.empty() && cell.flags == 1) continue;
        driver.Print("(" + std::to_string(r + 1) + "," + std::to_string(c + 1) + ") " +
                     Quoted(text) + " flags=" + Hex(cell.flags));
      }
  });
}

}  // namespace driver
