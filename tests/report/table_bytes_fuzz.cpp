// libFuzzer target: whatever bytes the report book hands back, reading them
// is safe, what is read writes back byte for byte, and the table read can be
// paginated, drawn and changed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "report/layout.h"
#include "report/operations.h"
#include "report/serial.h"

namespace {

class NullPainter : public report::Painter {
 public:
  void Line(int, int, int, int, int) override {}
  void Fill(const report::Rect&, std::uint32_t) override {}
  void Text(const report::Rect&, std::string_view, const report::TextFormat&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  auto table = report::ReadTable(bytes);
  if (!table) return 0;
  report::Bytes written = report::WriteTable(*table);
  if (!std::equal(written.begin(), written.end(), bytes.begin(), bytes.end())) std::abort();

  NullPainter painter;
  report::DrawTable(*table, painter);
  const report::PageSize paper = report::PaperOf(table->print.paper_size, table->print.orientation);
  const report::Pagination pages =
      report::Paginate(*table, report::PrintableArea(paper, table->print));
  for (const report::Page& page : pages.pages)
    report::DrawPage(*table, pages, page, paper, painter);

  report::MergeCells(*table, {1, 1, 3, 3});
  report::InsertRows(*table, 2, 2);
  report::DeleteRows(*table, 1, 3);
  report::SetBorders(*table, {1, 1, 99, 99}, 0x1FF);
  report::DrawTable(*table, painter);
  return 0;
}
