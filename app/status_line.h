// The main window's status line: the word after an action that otherwise
// changes nothing a person can see (a receipt saved, orders confirmed, a
// link opened).
#pragma once

#include <string_view>

#include "platform/services.h"

namespace desk {

// Writes `gbk` into the status line, replacing what it said.
inline void ShowStatus(std::string_view gbk) { platform::Current().dialogs->ShowStatus(gbk); }

}  // namespace desk
