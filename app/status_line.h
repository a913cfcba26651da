// The main window's status line: the word after an action that otherwise
// changes nothing a person can see (a receipt saved, orders confirmed, a
// link opened).
#pragma once

#include <string_view>

#include "app/durable.h"
#include "platform/services.h"

namespace desk {

// Writes `gbk` into the status line, replacing what it said.
// What it tells of has reached the disk first.
inline void ShowStatus(std::string_view gbk) {
  MakeDurable();
  platform::Current().dialogs->ShowStatus(gbk);
}

}  // namespace desk
