#include "forms/commands.h"

namespace forms {

void RegisterWindowCommands(runtime::CommandTable& /*table*/) {}

}  // namespace forms
