#pragma once

#include "runtime/command_table.h"

namespace forms {

// Adds the commands that need windows (message boxes aside): load and close windows, focus, pop-up
// menus, list views, web pages, the mouse pointer to `table`.
void RegisterWindowCommands(runtime::CommandTable& table);

}  // namespace forms
