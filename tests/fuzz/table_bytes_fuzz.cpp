// libFuzzer target: whatever bytes the report book hands back, loading them
// with DataSrcSetData is safe and either refuses them, changing nothing, or
// takes the table they hold, which writes back byte for byte and can be
// paginated, drawn and changed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "report/bindings.h"
#include "report/commands.h"
#include "report/layout.h"
#include "report/operations.h"
#include "report/serial.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"

namespace {

class NullPainter : public report::Painter {
 public:
  void Line(int, int, int, int, int) override {}
  void Fill(const report::Rect&, std::uint32_t) override {}
  void Text(const report::Rect&, std::string_view, const report::TextFormat&) override {}
};

runtime::Value Call(const runtime::CommandTable& commands, const char* name,
                    std::vector<runtime::Value> args) {
  const runtime::Command* command = commands.Find(name);
  if (command == nullptr) std::abort();
  return (*command)(args);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static runtime::CommandTable commands = [] {
    runtime::CommandTable table;
    report::RegisterReportCommands(table);
    return table;
  }();
  report::testing::FakeUnitTables units;
  report::ScopedBindings bindings({&units, nullptr});
  const runtime::Value source = report::testing::DataSourceUnit();
  units.table = report::Table(2, 2);
  const report::Bytes before = report::WriteTable(units.table);

  const runtime::Bytes bytes(data, data + size);
  const bool taken =
      Call(commands, "DataSrcSetData", {source, runtime::Value::OfBytes(bytes)}).AsBool();
  const runtime::Value after = Call(commands, "DataSrcGetData", {source});
  const std::optional<report::Table> read = report::ReadTable(bytes);
  if (taken != read.has_value()) std::abort();
  if (!taken) {
    if (after.AsBytes() != before) std::abort();  // a refusal changes nothing
    return 0;
  }
  // What is read writes back byte for byte.
  const report::Bytes written = report::WriteTable(*read);
  if (!std::equal(written.begin(), written.end(), bytes.begin(), bytes.end())) std::abort();

  report::Table& table = units.table;
  NullPainter painter;
  report::DrawTable(table, painter);
  const report::PageSize paper = report::PaperOf(table.print.paper_size, table.print.orientation);
  const report::Pagination pages =
      report::Paginate(table, report::PrintableArea(paper, table.print));
  for (const report::Page& page : pages.pages) report::DrawPage(table, pages, page, paper, painter);

  report::MergeCells(table, {1, 1, 3, 3});
  report::InsertRows(table, 2, 2);
  report::DeleteRows(table, 1, 3);
  report::SetBorders(table, {1, 1, 99, 99}, 0x1FF);
  report::DrawTable(table, painter);
  return 0;
}
