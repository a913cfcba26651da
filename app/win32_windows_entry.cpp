// The program with its native Windows windows, and the screenshots of every
// page. The headless driver path (--script) does not come here.
#include <windows.h>

#include <iostream>

#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/program_icon.h"
#include "app/window_placement.h"
#include "gui/win32/desktop.h"
#include "gui/win32/print_service.h"
#include "gui/win32/screenshots.h"
#include "platform/headless/headless.h"
#include "platform/win32/desktop_services.h"
#include "report/bindings.h"

namespace desk {
namespace {

// The program icon as a window icon of `side` pixels, drawn by the same code
// as the icon file stored with the program.
HICON MakeIcon(int side) {
  const std::vector<std::uint8_t> rgba = ProgramIconImage(side);
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = side;
  header.bV5Height = -side;  // top-down rows
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (colour == nullptr) return nullptr;
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
    out[i] = rgba[i + 2];
    out[i + 1] = rgba[i + 1];
    out[i + 2] = rgba[i];
    out[i + 3] = rgba[i + 3];
  }
  HBITMAP mask = CreateBitmap(side, side, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

// Loads the windows as start-up does and saves a picture of every page.
// Message boxes of the start-up take their default answers, so nothing
// waits for a person.
int SaveScreenshots(const CommandLine& line, gui::win32::Desktop& desktop) {
  platform::ScriptedDialogs dialogs;
  platform::ScopedServices quiet({nullptr, nullptr, &dialogs});
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  InitialiseDesk();
  forms->LoadStartWindow(layout::kMainWindow);
  std::string error;
  auto files = gui::win32::SaveScreenshots(*forms, desktop, line.screenshots, error);
  forms->CloseAll();
  if (files.empty()) {
    std::cerr << "orderdesk: " << (error.empty() ? "no window to show" : error) << '\n';
    return 1;
  }
  for (const std::string& file : files) std::cout << file << '\n';
  return 0;
}

}  // namespace

int RunWithWindows(int, char**, const CommandLine& line) {
  platform::win32::Clipboard clipboard;
  platform::win32::Dialogs dialogs;
  platform::ScopedServices services({nullptr, &clipboard, &dialogs});
  // Pictures are taken without a person to read the note.
  if (!TellDataFolderNote(line, line.screenshots.empty())) return 255;
  gui::win32::Desktop desktop;
  desktop.SetIcons(MakeIcon(32), MakeIcon(16));
  if (!line.screenshots.empty()) return SaveScreenshots(line, desktop);
  gui::win32::PrintService printing;
  report::ScopedBindings print_with_windows({nullptr, &printing});
  KeepMainWindowPlacement(desktop);
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  return RunDesk(*forms);
}

void KeepMainWindowPlacement(gui::win32::Desktop& desktop) {
  desktop.KeepPlacement(layout::kMainWindow,
                        {&ReadMainWindowPlacement, [](const forms::WindowPlacement& placement) {
                           WriteMainWindowPlacement(placement);
                         }});
}

}  // namespace desk
