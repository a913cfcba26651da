#pragma once

#include "runtime/command_table.h"

namespace store {

// Adds the record-store commands (open, select, move, read, write, append, delete, purge, find) to
// `table`.
void RegisterStoreCommands(runtime::CommandTable& table);

}  // namespace store
