#include "report/commands.h"

namespace report {

void RegisterReportCommands(runtime::CommandTable& /*table*/) {}

}  // namespace report
