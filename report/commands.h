#pragma once

#include "runtime/command_table.h"

namespace report {

// Adds the data-source and grid commands of the report table to `table`.
void RegisterReportCommands(runtime::CommandTable& table);

}  // namespace report
