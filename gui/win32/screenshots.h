// Pictures of every page of every window shown with the native controls, for
// a person to check the layout.
#pragma once

#include <string>
#include <vector>

#include "forms/form_runtime.h"
#include "gui/win32/desktop.h"

namespace gui::win32 {

// Loads every window of the template (the start-up window first), shows each
// page of each tab in turn and saves the window as a 24-bit BMP file in
// `folder` (UTF-8): "<n>-<window>-<page>.bmp". The picture is taken from the
// screen over the window's rectangle. Returns the files written, or an empty
// list after a failure (with `error` set).
std::vector<std::string> SaveScreenshots(forms::FormRuntime& forms, Desktop& desktop,
                                         const std::string& folder, std::string& error);

// Writes what the screen shows over `window` as a BMP file; false on failure.
bool SaveWindowPicture(HWND window, const std::wstring& path);

}  // namespace gui::win32
