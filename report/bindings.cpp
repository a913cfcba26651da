#include "report/bindings.h"

#include "report/printing.h"

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

}  // namespace

void HeadlessPrintService::Preview(const runtime::Value& grid, Table& table) {
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
