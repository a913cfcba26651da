// The verbs each part of the program adds to the driver. Each lives in its
// own file (store_verbs.cpp, form_verbs.cpp, report_verbs.cpp).
#pragma once

#include "driver/driver.h"

namespace driver {

// dump-db, password.
void AddStoreVerbs(Driver& driver);
// Window and unit actions (type, leave, click, page, combo, date, tick,
// untick, select, rightclick, menu, close) and their dumps (dump, dump-list,
// dump-title, dump-focus).
void AddFormVerbs(Driver& driver);
// dump-table.
void AddReportVerbs(Driver& driver);

// All of the above.
inline void AddAllVerbs(Driver& driver) {
  AddStoreVerbs(driver);
  AddFormVerbs(driver);
  AddReportVerbs(driver);
}

}  // namespace driver
