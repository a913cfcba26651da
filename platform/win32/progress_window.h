// The progress window of a long task (a backup of a ledger of years) with
// Windows' own controls: a line of text and a bar, shown only once the task
// has taken half a second, the window it belongs to taking no input while
// it is open.
#pragma once

#include <memory>
#include <string_view>

#include "platform/services.h"

namespace platform::win32 {

std::unique_ptr<ProgressWindow> OpenProgressWindow(std::string_view caption, std::string_view text);

}  // namespace platform::win32
