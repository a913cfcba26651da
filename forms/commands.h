#pragma once

#include "runtime/command_table.h"

namespace forms {

// Adds the commands that need windows (message boxes aside) to `table`:
// LoadWindow, CloseWindow, SetFocus, PopupMenu, CursorX, CursorY,
// OpenWebPage, the list-view commands ListInsertRow, ListSetCellText,
// ListGetCellText, ListSetCheckState, ListGetCheckState, ListRowCount and
// ListClear, and the property entries ReadProperty (unit, number) and
// WriteProperty (unit, number, value). They act on the current form runtime.
void RegisterWindowCommands(runtime::CommandTable& table);

}  // namespace forms
