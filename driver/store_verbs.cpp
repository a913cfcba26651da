#include "driver/verbs.h"

namespace driver {

void AddStoreVerbs(Driver& /*driver*/) {}

}  // namespace driver
