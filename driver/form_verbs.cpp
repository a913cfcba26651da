#include "driver/verbs.h"

namespace driver {

void AddFormVerbs(Driver& /*driver*/) {}

}  // namespace driver
