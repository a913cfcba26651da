#include "runtime/command_table.h"

namespace runtime {

void RegisterCoreCommands(CommandTable& /*table*/) {}

}  // namespace runtime
