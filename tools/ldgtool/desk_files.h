// The order desk's data files, for ldgtool and the benchmarks: the one list
// lives with the desk (app/desk_files.h), which makes them on its first start.
#pragma once

#include "app/desk_files.h"

namespace ldgtool {

using desk::DeskFile;
using desk::DeskFiles;
using desk::kDeskPassword;

}  // namespace ldgtool
