// Filling a list view with 100 000 rows of nine cells, as a record list
// fill does: the unit alone (headless), and the unit shown in a Qt table
// view, including the one reset that hands the rows to the view and the
// painting of the first screenful.
//   build/bench/list_view_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <memory>
#include <vector>

#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/template_segment.h"
#include "forms/form_runtime.h"
#include "forms/headless_desktop.h"
#include "forms/units/list_view.h"
#include "gui/qt_desktop.h"
#include "gui/qt_window_view.h"
#include "platform/gbk.h"

namespace {

constexpr int kRows = 100000;

void Fill(forms::ListView& list) {
  list.Clear();
  for (int row = 0; row < kRows; ++row) {
    list.InsertRow(-1, "TB" + std::to_string(1000000 + row), -1, 1, 0, 0);
    for (int column = 1; column < 9; ++column)
      list.SetCellText(row, column, "2008050112-" + std::to_string(column));
  }
}

// The same rows handed over in one batch, as the record lists do.
void FillInOneBatch(forms::ListView& list) {
  list.Clear();
  std::vector<std::vector<runtime::Text>> rows(kRows);
  for (int row = 0; row < kRows; ++row) {
    rows[static_cast<std::size_t>(row)].push_back("TB" + std::to_string(1000000 + row));
    for (int column = 1; column < 9; ++column)
      rows[static_cast<std::size_t>(row)].push_back("2008050112-" + std::to_string(column));
  }
  list.AppendRows(std::move(rows), 1);
}

// The same rows written straight into a row batch, as the record lists now
// fill their lists: no string per cell.
void FillFromBatch(forms::ListView& list) {
  list.Clear();
  forms::ListRowBatch batch(9);
  std::string& text = batch.OpenCell();
  for (int row = 0; row < kRows; ++row) {
    text += "TB" + std::to_string(1000000 + row);
    batch.CloseCell();
    for (int column = 1; column < 9; ++column) {
      text += "2008050112-";
      text += static_cast<char>('0' + column);
      batch.CloseCell();
    }
    batch.EndRow(row + 1);
  }
  list.AppendRows(std::move(batch), 1);
}

using FillWay = void (*)(forms::ListView&);

// The window's events bound to handlers that do nothing: the fill alone is
// timed, and the main window's start-up (which opens the desk's data files,
// once per process) stays out of it.
void Nothing() {}
const std::vector<forms::layout::Handler>& NoHandlers() {
  static const std::vector<forms::layout::Handler> handlers(desk::HandlerTable().size(), &Nothing);
  return handlers;
}

forms::ListView& ArrivalList(forms::FormRuntime& forms) {
  forms.LoadWindow(desk::layout::kMainWindow, 0, false);
  return dynamic_cast<forms::ListView&>(
      *forms.FindWindow(desk::layout::kMainWindow)
           ->FindUnitByName(platform::Utf8ToGbk("到货超级列表框")));
}

void BM_FillHeadless(benchmark::State& state, FillWay fill) {
  forms::HeadlessDesktop desktop([] { return false; });
  auto forms =
      forms::FormRuntime::FromSegment(desk::WindowTemplateSegment(), NoHandlers(), desktop);
  forms::ScopedFormRuntime current(*forms);
  forms::ListView& list = ArrivalList(*forms);
  for (auto _ : state) fill(list);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK_CAPTURE(BM_FillHeadless, row_by_row, Fill)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FillHeadless, one_batch, FillInOneBatch)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FillHeadless, row_batch, FillFromBatch)->Unit(benchmark::kMillisecond);

void BM_FillShownInQt(benchmark::State& state, FillWay fill) {
  gui::QtDesktop desktop;
  auto forms =
      forms::FormRuntime::FromSegment(desk::WindowTemplateSegment(), NoHandlers(), desktop);
  forms::ScopedFormRuntime current(*forms);
  forms::ListView& list = ArrivalList(*forms);
  forms::Window& window = *forms->FindWindow(desk::layout::kMainWindow);
  auto& view = dynamic_cast<gui::QtWindowView&>(*window.view());
  auto* table = qobject_cast<QTableView*>(view.WidgetOf(list));
  list.window().runtime().WriteProperty(
      window.FindUnitByName(platform::Utf8ToGbk("选择夹1"))->ref(), 12, runtime::Value::Int(2));
  view.widget()->show();
  for (auto _ : state) {
    fill(list);
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(table->grab());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  forms->CloseAll();
}
BENCHMARK_CAPTURE(BM_FillShownInQt, row_by_row, Fill)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FillShownInQt, one_batch, FillInOneBatch)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FillShownInQt, row_batch, FillFromBatch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
