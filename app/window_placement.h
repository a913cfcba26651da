// Where the main window was left: its place, size and whether it was
// maximised, kept in "配置.ini" in a section of its own ("主窗口") that
// readers of the shop name and inquiry number pass over.
//
//     [主窗口]
//     左=120
//     上=80
//     宽=1024
//     高=700
//     最大化=0
#pragma once

#include <optional>

#include "forms/view.h"

namespace gui {
class QtDesktop;
namespace win32 {
class Desktop;
}
}  // namespace gui

namespace desk {

// The placement kept in the settings file; nullopt when there is none or a
// value is not a whole number (the window then opens as designed).
std::optional<forms::WindowPlacement> ReadMainWindowPlacement();

// Keeps the placement; false when the settings file cannot be written (the
// window then opens as designed next time, nothing else is lost).
bool WriteMainWindowPlacement(const forms::WindowPlacement& placement);

// Lets the real windows open the main window where it was left and keep
// where it is left (app/windows_entry.cpp, app/win32_windows_entry.cpp).
void KeepMainWindowPlacement(gui::QtDesktop& desktop);
void KeepMainWindowPlacement(gui::win32::Desktop& desktop);

}  // namespace desk
