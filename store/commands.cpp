#include "store/commands.h"

namespace store {

void RegisterStoreCommands(runtime::CommandTable& /*table*/) {}

}  // namespace store
