// The keyboard of a window: the order in which Tab visits its units, and
// what Enter and Esc do. The window template says it (the window's tab order
// and Esc setting, each edit box's Enter button); the headless driver and
// the desktop views both follow it from here.
#pragma once

#include <vector>

namespace forms {

class FormRuntime;
class Unit;
class Window;

enum class Key { kEnter, kEscape, kTab, kShiftTab };

// Every unit of `window` that takes the keyboard focus, in the order Tab
// visits them: the window's tab order first, then the others in table order.
// Units hidden or disabled at the moment are included (a view skips them).
std::vector<Unit*> TabOrder(const Window& window);

// The unit that Tab (or Shift+Tab when `backwards`) moves the focus to from
// `from`: the next unit in TabOrder that is shown and enabled, going round
// the end. `from` may be null or take no focus (Tab then starts at the
// beginning, Shift+Tab at the end). Null when no unit can take the focus.
Unit* NextInTabOrder(const Window& window, const Unit* from, bool backwards);

// The button that Enter in `unit` presses: the unit itself when it is a
// button, an edit box's Enter button, else null. A button that is hidden or
// disabled is not pressed (null).
Unit* EnterButton(const Unit& unit);

// The user presses `key` with the keyboard focus in `unit` (the focus is put
// there first if it is elsewhere): Tab and Shift+Tab move the focus along
// the tab order, Enter presses the Enter button, Esc closes a window that
// Esc closes. Anything else does nothing.
void PressKey(FormRuntime& runtime, Unit& unit, Key key);

}  // namespace forms
