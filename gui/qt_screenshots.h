// Pictures of every page of every window, for a person to check the layout
// without a display.
#pragma once

#include <string>
#include <vector>

#include "forms/form_runtime.h"
#include "gui/qt_desktop.h"

namespace gui {

// Loads every window of the template (the start-up window first), shows each
// page of each tab in turn and saves the window as a PNG file in `folder`:
// "<n>-<window>-<page>.png". Returns the files written, or an empty list
// after a failure (with `error` set).
std::vector<std::string> SaveScreenshots(forms::FormRuntime& forms, QtDesktop& desktop,
                                         const std::string& folder, std::string& error);

}  // namespace gui
