// Names of windows and units in scripts and transcripts.
//
// A unit is named by its layout name, optionally prefixed by a window and a
// dot ("系统设定.店名编辑框"); a window by its caption in the layout or
// `main`. Without a prefix a name is looked up in the most recently loaded
// window that is still open, then in the others, newest first, then in the
// windows that are not open. Menus and menu items are named by caption.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "forms/form_runtime.h"

namespace driver {

// What a script word names.
struct Named {
  const forms::WindowBlock* block = nullptr;  // the window in the template
  forms::Window* window = nullptr;            // the window, when it is loaded
  bool is_window = false;                     // the word names the window itself
  std::uint32_t unit_id = 0;                  // the unit or menu item (0 for a window)
  std::uint32_t type = 0;                     // its unit type
  forms::Unit* unit = nullptr;                // the live unit, when loaded (not menu items)
};

// Resolves `utf8_name`; throws ScriptError when nothing has that name.
Named Resolve(const forms::FormRuntime& forms, std::string_view utf8_name);

// The start-up window's block (the first window of the template).
const forms::WindowBlock& MainBlock(const forms::FormRuntime& forms);

// A unit as the transcript names it: its name, prefixed by its window's
// layout caption and a dot unless the window is the main window (UTF-8).
std::string UnitLabel(const forms::Unit& unit);

}  // namespace driver
