#include <iostream>

#include "tools/ldgtool/ldgtool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return ldgtool::RunLdgTool(args, std::cin, std::cout, std::cerr);
}
