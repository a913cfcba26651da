#include <iostream>

#include "app/entry.h"

namespace desk {

// A build without Qt has no real windows; it runs headless only.
int RunWithWindows(int, char**, const CommandLine&) {
  std::cerr << "orderdesk: built without windows; run with --script FILE\n";
  return 1;
}

}  // namespace desk
