// How fast report tables are written, read, paginated and laid out: a
// receipt is done in microseconds, a ten-thousand-row table in milliseconds.
#include <benchmark/benchmark.h>

#include "report/layout.h"
#include "report/operations.h"
#include "report/serial.h"

namespace {

report::Table Filled(int rows) {
  report::Table t(rows, 4);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= 4; ++c) report::SetCellText(t, r, c, "cell " + std::to_string(r));
  report::SetBorders(t, {1, 1, rows, 4}, 63);
  for (int r = 1; r + 1 <= rows; r += 10) report::MergeCells(t, {r, 1, 2, 2});
  return t;
}

class NullPainter : public report::Painter {
 public:
  void Line(int, int, int, int, int) override {}
  void Fill(const report::Rect&, std::uint32_t) override {}
  void Text(const report::Rect&, std::string_view text, const report::TextFormat&) override {
    benchmark::DoNotOptimize(text.data());
  }
};

void BM_WriteTable(benchmark::State& state) {
  const report::Table t = Filled(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(report::WriteTable(t));
}
BENCHMARK(BM_WriteTable)->Arg(12)->Arg(10000);

void BM_ReadTable(benchmark::State& state) {
  const report::Bytes bytes = report::WriteTable(Filled(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(report::ReadTable(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadTable)->Arg(12)->Arg(10000);

void BM_Paginate(benchmark::State& state) {
  const report::Table t = Filled(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(report::Paginate(t, report::kA4));
}
BENCHMARK(BM_Paginate)->Arg(12)->Arg(10000);

void BM_DrawEveryPage(benchmark::State& state) {
  const report::Table t = Filled(static_cast<int>(state.range(0)));
  const report::Pagination pages = report::Paginate(t, report::kA4);
  NullPainter painter;
  for (auto _ : state)
    for (const report::Page& page : pages.pages)
      report::DrawPage(t, pages, page, report::kA4, painter);
}
BENCHMARK(BM_DrawEveryPage)->Arg(12)->Arg(10000);

void BM_InsertRowIntoReceipt(benchmark::State& state) {
  const report::Table receipt = Filled(12);
  for (auto _ : state) {
    report::Table t = receipt;
    report::InsertRows(t, 8, 1);
    report::SetBorders(t, {5, 1, 9, 8}, 63);
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_InsertRowIntoReceipt);

}  // namespace

BENCHMARK_MAIN();
