// The verbs each part of the program adds to the driver. Each lives in its
// own file (store_verbs.cpp, form_verbs.cpp, report_verbs.cpp).
#pragma once

#include "driver/driver.h"

namespace driver {

// dump-db, password.
void AddStoreVerbs(Driver& driver);
// Window and unit actions (type, leave, click, page, combo, date, tick,
// untick, select, sort, doubleclick, rightclick, menu, close, key) and their
// dumps (dump, dump-list, dump-title, dump-focus). They act on the current
// form runtime. `key UNIT KEY` puts the focus in UNIT and presses Enter,
// Escape, Tab or Shift+Tab there (forms/keyboard.h); `doubleclick LIST ROW`
// selects the row and double-clicks it.
//
// The user's actions move the keyboard focus only where a script says so:
// `type` and `click` leave it where it is, `leave` takes it from a unit (and
// normalises an edit box); the program moves it with SetFocus (a FOCUS
// line). `type` into a read-only box, and `tick`/`untick` in a list without
// check boxes, print IGNORED. `dump` of a unit whose window is not open
// prints "UNIT not loaded"; `dump main` (or a window's caption) prints the
// window's caption and enabled state (0 while a modal window is open).
void AddFormVerbs(Driver& driver);
// dump-table, printer.
void AddReportVerbs(Driver& driver);

// All of the above.
inline void AddAllVerbs(Driver& driver) {
  AddStoreVerbs(driver);
  AddFormVerbs(driver);
  AddReportVerbs(driver);
}

}  // namespace driver
