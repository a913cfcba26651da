// How the report commands reach what lies outside this folder: the tables
// held by data-source units, and the preview and print windows.
//
// The units live in the form runtime, which this folder does not know: at
// start-up the form runtime installs a UnitTables that finds a unit's table.
// The print service is headless by default (it tells an observer what was
// previewed and printed); the real windows install their own.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "report/pagination.h"
#include "report/table.h"
#include "runtime/value.h"

namespace report {

class UnitTables {
 public:
  virtual ~UnitTables() = default;
  // The table held by the data-source unit `unit`; nullptr when it is none.
  virtual Table* DataSourceTable(const runtime::Value& unit) = 0;
  // The table shown by the grid unit `unit`; nullptr when it is none.
  virtual Table* GridTable(const runtime::Value& unit) = 0;
  // The unit's name as the window layout gives it (GBK).
  virtual Text UnitName(const runtime::Value& unit) = 0;
  // The table of `unit` (a data source) has changed: what shows it redraws.
  virtual void TableChanged(const runtime::Value& unit) = 0;
};

class PrintService {
 public:
  virtual ~PrintService() = default;
  // The name a saved copy of the table of `grid` is proposed under (GBK,
  // without extension; the receipt's order number). Empty until set.
  void SetDocumentName(const runtime::Value& grid, Text name);
  Text DocumentName(const runtime::Value& grid) const;

  // Opens the preview window of `grid` for `table`, or activates it when it
  // is open already.
  virtual void Preview(const runtime::Value& grid, Table& table) = 0;
  // Prints `table` with its print settings under the job name `job_name`,
  // with the progress window when `show_progress`. Returns "" after success,
  // else the failure text.
  virtual Text Print(const runtime::Value& grid, Table& table, bool show_progress,
                     const Text& job_name) = 0;

 private:
  std::map<std::pair<std::uint32_t, std::uint32_t>, Text> document_names_;
};

// The print preview's 保存为PDF: asks for a file name, proposing
// `proposed_path` (GBK), prints the table of `grid` into that file as a
// PDF through `service` (".pdf" added when the name has no such end), and
// tells the user what came of it: a failure in a message box. Returns the
// file written, or nullopt when the user cancelled or it failed.
std::optional<Text> SaveAsPdf(PrintService& service, const runtime::Value& grid, Table& table,
                              const Text& proposed_path);

// The preview's 保存为Excel: asks for a file name, proposing
// `proposed_path` (GBK), and writes the table's texts there as a workbook
// (SheetOfTable; a .csv where the name ends so or no workbook is written),
// telling the user what came of it: a failure in a message box. Returns the
// file written, or nullopt when the user cancelled or it failed.
std::optional<Text> SaveAsSheet(const PrintService& service, const runtime::Value& grid,
                                const Table& table, const Text& proposed_path);

// The name proposed for SaveAsSheet: as ProposedPdfPath, ending as the
// sheets are written (".xlsx", or ".csv" where no workbook is written).
Text ProposedSheetPath(const PrintService& service, const runtime::Value& grid, const Text& folder);

// The file name proposed for the table of `grid`: its document name (or
// the default job name) with ".pdf", in `folder` (GBK, may be empty).
Text ProposedPdfPath(const PrintService& service, const runtime::Value& grid, const Text& folder);

// What the headless print service was asked to do.
struct PrintRecord {
  bool preview = false;     // a preview, else a print
  Text unit_name;           // the grid (GBK)
  Text job_name;            // the print job (GBK); empty for a preview
  std::vector<Page> pages;  // the pages shown or printed (one copy)
};

// The headless print service: nothing is shown, and a print goes through
// every step of printing on a page counter. An observer hears of every
// preview, and of every print that succeeded.
class HeadlessPrintService : public PrintService {
 public:
  using Observer = std::function<void(const PrintRecord&)>;

  void SetObserver(Observer observer) { observer_ = std::move(observer); }
  // Whether the machine has a printer (it has until told otherwise).
  // Without one, a print that is not to a file fails as on the desktop.
  void SetPrinterReady(bool ready) { printer_ready_ = ready; }

  void Preview(const runtime::Value& grid, Table& table) override;
  Text Print(const runtime::Value& grid, Table& table, bool show_progress,
             const Text& job_name) override;
  // True once a preview of `grid` has been opened (it stays open).
  bool PreviewOpen(const runtime::Value& grid) const;

 private:
  Observer observer_;
  std::set<std::pair<std::uint32_t, std::uint32_t>> previews_;
  bool printer_ready_ = true;
};

struct Bindings {
  UnitTables* tables = nullptr;      // none until the form runtime installs one
  PrintService* printing = nullptr;  // never null: the headless one by default
};

// The bindings of this run.
Bindings& CurrentBindings();
// The headless print service in use by default.
HeadlessPrintService& DefaultPrintService();

// Installs `bindings` for as long as the object lives (a null member keeps
// what was there), then puts back what was there before.
class ScopedBindings {
 public:
  explicit ScopedBindings(const Bindings& bindings);
  ~ScopedBindings();
  ScopedBindings(const ScopedBindings&) = delete;
  ScopedBindings& operator=(const ScopedBindings&) = delete;

 private:
  Bindings previous_;
};

}  // namespace report
