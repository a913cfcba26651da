// Filling a list view with 100 000 rows of nine cells, as a record list
// fill does: the unit alone (headless), and the unit shown in a Qt table
// view, including the one reset that hands the rows to the view and the
// painting of the first screenful.
//   build/bench/list_view_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/template_segment.h"
#include "forms/form_runtime.h"
#include "forms/headless_desktop.h"
#include "forms/units/list_view.h"
#include "gui/qt_desktop.h"
#include "gui/qt_window_view.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "tools/ldgtool/ldgtool.h"

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

using FillWay = void (*)(forms::ListView&);

forms::ListView& ArrivalList(forms::FormRuntime& forms) {
  forms.LoadWindow(desk::layout::kMainWindow, 0, false);
  return dynamic_cast<forms::ListView&>(
      *forms.FindWindow(desk::layout::kMainWindow)
           ->FindUnitByName(platform::Utf8ToGbk("到货超级列表框")));
}

void BM_FillHeadless(benchmark::State& state, FillWay fill) {
  forms::HeadlessDesktop desktop([] { return false; });
  auto forms =
      forms::FormRuntime::FromSegment(desk::WindowTemplateSegment(), desk::HandlerTable(), desktop);
  forms::ScopedFormRuntime current(*forms);
  forms::ListView& list = ArrivalList(*forms);
  for (auto _ : state) fill(list);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK_CAPTURE(BM_FillHeadless, row_by_row, Fill)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FillHeadless, one_batch, FillInOneBatch)->Unit(benchmark::kMillisecond);

void BM_FillShownInQt(benchmark::State& state, FillWay fill) {
  gui::QtDesktop desktop;
  auto forms =
      forms::FormRuntime::FromSegment(desk::WindowTemplateSegment(), desk::HandlerTable(), desktop);
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

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The main window's start-up opens the desk's three data files in the
  // program directory: empty ones in a folder of the bench's own.
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("list_view_bench_" + std::to_string(::getpid()));
  std::istringstream no_input;
  std::ostringstream out, err;
  if (ldgtool::RunLdgTool({"init", dir.string()}, no_input, out, err) != 0 ||
      !platform::ChangeDirectory(platform::Utf8ToGbk(dir.string()))) {
    std::fprintf(stderr, "list_view_bench: cannot make the data files: %s", err.str().c_str());
    return 1;
  }
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(dir);
  return 0;
}
