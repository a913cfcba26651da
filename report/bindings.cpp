#include "report/bindings.h"

#include "platform/gbk.h"
#include "platform/services.h"
#include "report/printing.h"
#include "report/table_sheet.h"

namespace report {
namespace {

// Paints nothing: the headless run only counts pages.
class DiscardingPainter : public Painter {
 public:
  void Line(int, int, int, int, int) override {}
  void Fill(const Rect&, std::uint32_t) override {}
  void Text(const Rect&, std::string_view, const TextFormat&) override {}
};

class CountingDevice : public PrintDevice {
 public:
  explicit CountingDevice(PageSize paper) : paper_(paper) {}
  PageSize paper() const override { return paper_; }
  bool BeginJob(const report::Text&) override { return true; }
  bool BeginPage() override { return true; }
  Painter& painter() override { return painter_; }
  void EndPage() override {}
  void EndJob() override {}
  void AbortJob() override {}

 private:
  PageSize paper_;
  DiscardingPainter painter_;
};

PageSize HeadlessPaper(const PrintSettings& s) { return PaperOf(s.paper_size, s.orientation); }

Text NameOf(const runtime::Value& unit) {
  UnitTables* tables = CurrentBindings().tables;
  return tables != nullptr ? tables->UnitName(unit) : Text{};
}

std::pair<std::uint32_t, std::uint32_t> KeyOf(const runtime::Value& grid) {
  const runtime::UnitRef ref = grid.AsUnit();
  return {ref.window, ref.unit};
}

bool EndsInPdf(const Text& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return end == ".pdf";
}

}  // namespace

using platform::operator""_gbk;

void PrintService::SetDocumentName(const runtime::Value& grid, Text name) {
  document_names_[KeyOf(grid)] = std::move(name);
}

Text PrintService::DocumentName(const runtime::Value& grid) const {
  auto it = document_names_.find(KeyOf(grid));
  return it != document_names_.end() ? it->second : Text{};
}

namespace {

Text DocumentNameOrDefault(const PrintService& service, const runtime::Value& grid) {
  Text name = service.DocumentName(grid);
  return name.empty() ? print_text::DefaultJobName() : name;
}

Text ProposedPath(const PrintService& service, const runtime::Value& grid, const Text& folder,
                  std::string_view end) {
  Text path = folder;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + DocumentNameOrDefault(service, grid) + std::string(end);
}

}  // namespace

Text ProposedPdfPath(const PrintService& service, const runtime::Value& grid, const Text& folder) {
  return ProposedPath(service, grid, folder, ".pdf");
}

Text ProposedSheetPath(const PrintService& service, const runtime::Value& grid,
                       const Text& folder) {
  return ProposedPath(service, grid, folder, spreadsheet::CanWriteXlsx() ? ".xlsx" : ".csv");
}

std::optional<Text> SaveAsSheet(const PrintService& service, const runtime::Value& grid,
                                const Table& table, const Text& proposed_path) {
  platform::UserDialogs& dialogs = *platform::Current().dialogs;
  std::optional<std::string> chosen =
      dialogs.AskSaveFileName("保存为Excel"_gbk, proposed_path, spreadsheet::SaveFilter());
  if (!chosen || chosen->empty()) return std::nullopt;
  const Text path = spreadsheet::WithSheetEnd(*chosen);
  const spreadsheet::Sheet sheet = SheetOfTable(table, DocumentNameOrDefault(service, grid));
  if (const std::string failure = spreadsheet::WriteSheet(sheet, path); !failure.empty()) {
    dialogs.ShowMessageBox(failure, "保存失败"_gbk, 0x10);
    return std::nullopt;
  }
  dialogs.TableExported(path, static_cast<int>(sheet.rows.size()));
  dialogs.ShowStatus("已保存为Excel："_gbk + path);
  return path;
}

std::optional<Text> SaveAsPdf(PrintService& service, const runtime::Value& grid, Table& table,
                              const Text& proposed_path) {
  platform::UserDialogs& dialogs = *platform::Current().dialogs;
  std::optional<std::string> chosen =
      dialogs.AskSaveFileName("保存为PDF"_gbk, proposed_path, "PDF 文件 (*.pdf)"_gbk);
  if (!chosen || chosen->empty()) return std::nullopt;
  Text path = *chosen;
  if (!EndsInPdf(path)) path += ".pdf";
  // One copy of every page into the file; the table's own settings stay.
  const PrintSettings kept = table.print;
  table.print.print_to_file = 1;
  table.print.output_file = path;
  table.print.copies = 1;
  table.print.range_mode = 0;
  table.print.odd_even = 0;
  const Text failure = service.Print(grid, table, false, print_text::DefaultJobName());
  table.print = kept;
  if (!failure.empty()) {
    dialogs.ShowMessageBox("没有保存为PDF："_gbk + failure, "保存失败"_gbk, 0x10);
    return std::nullopt;
  }
  dialogs.ShowStatus("已保存为PDF："_gbk + path);
  return path;
}

void HeadlessPrintService::Preview(const runtime::Value& grid, Table& table) {
  previews_.insert(KeyOf(grid));
  const PageSize paper = HeadlessPaper(table.print);
  PrintRecord record;
  record.preview = true;
  record.unit_name = NameOf(grid);
  record.pages = Paginate(table, PrintableArea(paper, table.print)).pages;
  if (observer_) observer_(record);
}

Text HeadlessPrintService::Print(const runtime::Value& grid, Table& table, bool /*show_progress*/,
                                 const Text& job_name) {
  if (Text failure = CheckPrintSettings(table.print); !failure.empty()) return failure;
  if (!printer_ready_ && table.print.print_to_file == 0) return print_text::CannotCreatePrinter();
  const PageSize paper = HeadlessPaper(table.print);
  CountingDevice device(paper);
  const Text destination = table.print.print_to_file != 0
                               ? print_text::FileDestination(table.print.output_file)
                               : Text{};
  if (Text failure = PrintTable(table, device, job_name, destination, nullptr); !failure.empty())
    return failure;
  PrintRecord record;
  record.unit_name = NameOf(grid);
  record.job_name = job_name;
  record.pages = Paginate(table, PrintableArea(paper, table.print)).pages;
  if (observer_) observer_(record);
  return {};
}

bool HeadlessPrintService::PreviewOpen(const runtime::Value& grid) const {
  return previews_.count(KeyOf(grid)) != 0;
}

HeadlessPrintService& DefaultPrintService() {
  static HeadlessPrintService service;
  return service;
}

Bindings& CurrentBindings() {
  static Bindings bindings{nullptr, &DefaultPrintService()};
  return bindings;
}

ScopedBindings::ScopedBindings(const Bindings& bindings) : previous_(CurrentBindings()) {
  Bindings& current = CurrentBindings();
  if (bindings.tables != nullptr) current.tables = bindings.tables;
  if (bindings.printing != nullptr) current.printing = bindings.printing;
}

ScopedBindings::~ScopedBindings() { CurrentBindings() = previous_; }

}  // namespace report
