// The program with its real windows (Qt), and the screenshots of every page.
#include <QApplication>
#include <iostream>

#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "platform/headless/headless.h"
#include "platform/qt/print_service.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_screenshots.h"
#include "runtime/error_report.h"

namespace desk {
namespace {

// Loads the windows as start-up does and saves a picture of every page.
// Message boxes of the start-up take their default answers, so nothing
// waits for a person.
int SaveScreenshots(const CommandLine& line) {
  platform::ScriptedDialogs dialogs;
  platform::ScopedServices quiet({nullptr, nullptr, &dialogs});
  platform::QtDesktop desktop;
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  InitialiseDesk();
  forms->LoadStartWindow(layout::kMainWindow);
  std::string error;
  auto files = platform::SaveScreenshots(*forms, desktop, line.screenshots, error);
  forms->CloseAll();
  if (files.empty()) {
    std::cerr << "orderdesk: " << (error.empty() ? "no window to show" : error) << '\n';
    return 1;
  }
  for (const std::string& file : files) std::cout << file << '\n';
  return 0;
}

}  // namespace

int RunWithWindows(int argc, char** argv, const CommandLine& line) {
  QApplication app(argc, argv);
  platform::SetUpApplication(app);
  platform::QtClipboard clipboard;
  platform::QtDialogs dialogs;
  platform::ScopedServices services({nullptr, &clipboard, &dialogs});
  if (!line.screenshots.empty()) return SaveScreenshots(line);
  platform::QtPrintService printing;
  report::ScopedBindings print_with_windows({nullptr, &printing});
  platform::QtDesktop desktop;
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  return RunDesk(*forms);
}

}  // namespace desk
