// The program with its real windows (Qt), and the screenshots of every page.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <iostream>

#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/program_icon.h"
#include "app/window_placement.h"
#include "gui/print_service.h"
#include "gui/qt_desktop.h"
#include "gui/qt_screenshots.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "runtime/error_report.h"

namespace desk {
namespace {

// Loads the windows as start-up does and saves a picture of every page.
// Message boxes of the start-up take their default answers, so nothing
// waits for a person.
int SaveScreenshots(const CommandLine& line) {
  platform::ScriptedDialogs dialogs;
  platform::ScopedServices quiet({nullptr, nullptr, &dialogs});
  gui::QtDesktop desktop;
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  InitialiseDesk();
  forms->LoadStartWindow(layout::kMainWindow);
  std::string error;
  auto files = gui::SaveScreenshots(*forms, desktop, line.screenshots, error);
  forms->CloseAll();
  if (files.empty()) {
    std::cerr << "orderdesk: " << (error.empty() ? "no window to show" : error) << '\n';
    return 1;
  }
  for (const std::string& file : files) std::cout << file << '\n';
  return 0;
}

// The window icon is the icon file stored with the program.
void ShowProgramIcon(QApplication& app) {
  const auto bytes = ProgramIcon();
  QPixmap pixmap;
  if (pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "ICO"))
    app.setWindowIcon(QIcon(pixmap));
}

}  // namespace

void KeepMainWindowPlacement(gui::QtDesktop& desktop) {
  desktop.KeepPlacement(layout::kMainWindow,
                        {&ReadMainWindowPlacement, [](const forms::WindowPlacement& placement) {
                           WriteMainWindowPlacement(placement);
                         }});
}

int RunWithWindows(int argc, char** argv, const CommandLine& line) {
  QApplication app(argc, argv);
  platform::SetUpApplication(app);
  ShowProgramIcon(app);
  platform::QtClipboard clipboard;
  platform::QtDialogs dialogs;
  platform::ScopedServices services({nullptr, &clipboard, &dialogs});
  // Pictures are taken without a person to read the note.
  if (!TellDataFolderNote(line, line.screenshots.empty())) return 255;
  if (!line.screenshots.empty()) return SaveScreenshots(line);
  gui::QtPrintService printing;
  report::ScopedBindings print_with_windows({nullptr, &printing});
  gui::QtDesktop desktop;
  KeepMainWindowPlacement(desktop);
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  return RunDesk(*forms);
}

}  // namespace desk
