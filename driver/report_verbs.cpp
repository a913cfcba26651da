#include "driver/verbs.h"

namespace driver {

void AddReportVerbs(Driver& /*driver*/) {}

}  // namespace driver
