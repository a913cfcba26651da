// The desk in its real Qt window (offscreen platform) on a generated ledger:
//   - start-up: from before the application object to the main window
//     painted, its data files opened (the program's own loading and Qt's
//     libraries, before main, are not in it). The folder is a fresh copy,
//     so this is the day's first start: the main window's first paint is
//     timed, and apart from it the start with the day's backup made under
//     the window;
//   - the five-year query: from the click on "按日期查询" to the list
//     painted (the handler's fill, the model's reset, the first screen);
//   - scrolling the list a screen at a time and painting it, each step.
// Usage: desk_window_bench FOLDER [repeats]
//   FOLDER holds the desk's three data files, e.g. the one
//   `list_fill_bench --generate 100000` prints; it is copied first.
#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <unistd.h>

#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "forms/form_runtime.h"
#include "gui/qt_desktop.h"
#include "gui/qt_window_view.h"
#include "platform/gbk.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/services.h"
#include "runtime/date_time.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

forms::Unit& MainUnit(forms::FormRuntime& forms, const char* name) {
  return *forms.FindWindow(desk::layout::kMainWindow)->FindUnitByName(platform::Utf8ToGbk(name));
}

// Notes when a main window first paints (the progress window of the day's
// backup is not one).
class FirstPaint : public QObject {
 public:
  std::optional<Clock::time_point> at;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (!at && event->type() == QEvent::Paint)
      if (auto* widget = qobject_cast<QWidget*>(object);
          widget && qobject_cast<QMainWindow*>(widget->window()))
        at = Clock::now();
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: desk_window_bench FOLDER [repeats]\n");
    return 2;
  }
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const fs::path here =
      fs::temp_directory_path() / ("desk_window_bench_" + std::to_string(::getpid()));
  fs::create_directories(here);
  for (const fs::directory_entry& entry : fs::directory_iterator(argv[1]))
    if (entry.path().extension() != ".sqlite")
      fs::copy_file(entry.path(), here / entry.path().filename());
  fs::current_path(here);
  qputenv("QT_QPA_PLATFORM", "offscreen");

  // Start-up, as the program starts with its windows.
  const Clock::time_point started = Clock::now();
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  // The windows' own dialogs, as the program has them: the day's backup
  // shows its progress window.
  platform::QtDialogs dialogs;
  platform::ScopedServices services({nullptr, nullptr, &dialogs});
  FirstPaint first_paint;
  app.installEventFilter(&first_paint);
  double startup_ms = 0, first_paint_ms = 0;
  {
    gui::QtDesktop desktop;
    desk::RegisterAllCommands();
    auto forms = desk::ReadWindowTemplate(desktop);
    forms::ScopedFormRuntime current(*forms);
    desktop.SetRuntime(forms.get());
    desk::InitialiseDesk();
    forms->LoadStartWindow(desk::layout::kMainWindow);
    forms::Window& window = *forms->FindWindow(desk::layout::kMainWindow);
    auto& view = dynamic_cast<gui::QtWindowView&>(*window.view());
    QWidget* main_window = desktop.WidgetOf(window);
    main_window->show();
    QCoreApplication::processEvents();
    main_window->grab();
    startup_ms = MsSince(started);
    first_paint_ms =
        first_paint.at
            ? std::chrono::duration<double, std::milli>(*first_paint.at - started).count()
            : startup_ms;
    app.removeEventFilter(&first_paint);

    // The query page, the five years of orders chosen.
    forms->WriteProperty(MainUnit(*forms, "选择夹1").ref(), 12, runtime::Value::Int(1));
    for (auto [picker, day] : {std::pair{"开始日期框", runtime::CivilTime{2020, 12, 1}},
                               std::pair{"结束日期框", runtime::CivilTime{2026, 1, 31}}})
      forms->WriteProperty(MainUnit(*forms, picker).ref(), forms::property::kSelectedDate,
                           runtime::Value::DateTime(runtime::MakeDateTime(day)));
    QCoreApplication::processEvents();
    auto* button = qobject_cast<QAbstractButton*>(view.WidgetOf(MainUnit(*forms, "按日期查询")));
    auto* table = qobject_cast<QTableView*>(view.WidgetOf(MainUnit(*forms, "查询超级列表框1")));
    double query_ms = 1e300, handler_ms = 0;
    for (int r = 0; r < repeats; ++r) {
      const Clock::time_point clicked = Clock::now();
      button->click();
      const double handled = MsSince(clicked);
      QCoreApplication::processEvents();
      table->grab();
      if (MsSince(clicked) < query_ms) {
        query_ms = MsSince(clicked);
        handler_ms = handled;
      }
    }
    const int rows = table->model()->rowCount();

    // Scrolling: a screen at a time down a stretch of the list, then a
    // jump to the end, each step painted.
    QScrollBar* bar = table->verticalScrollBar();
    double slowest = 0, total = 0;
    int steps = 0;
    for (int step = 0; step <= 100; ++step) {
      const Clock::time_point moved = Clock::now();
      bar->setValue(step == 100 ? bar->maximum() : step * bar->pageStep());
      QCoreApplication::processEvents();
      table->grab();
      const double ms = MsSince(moved);
      slowest = std::max(slowest, ms);
      total += ms;
      ++steps;
    }
    std::printf("| measure | ms |\n|---|---|\n");
    std::printf("| start-up to the painted main window (the day's first start) | %.1f |\n",
                first_paint_ms);
    std::printf("| start-up with the day's backup, made under the window | %.1f |\n", startup_ms);
    std::printf("| five-year query, click to painted list (%d rows, best of %d) | %.1f |\n", rows,
                repeats, query_ms);
    std::printf("| of which the click's handler (the fill and the totals) | %.1f |\n", handler_ms);
    std::printf("| scrolling a screen and painting it: mean of %d steps | %.2f |\n", steps,
                total / steps);
    std::printf("| scrolling: slowest step | %.2f |\n", slowest);
    forms->CloseAll();
  }
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(here);
  return 0;
}
