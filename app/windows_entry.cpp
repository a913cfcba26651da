#include <iostream>

#include "app/entry.h"

namespace desk {

// The real windows arrive with the form runtime; until then the program
// explains itself instead of opening nothing.
int RunWithWindows(int, char**, const CommandLine&) {
  std::cerr << "orderdesk: the real windows are not built yet; run with --script FILE\n";
  return 1;
}

}  // namespace desk
