#include <iostream>

#include "platform/program_start.h"
#include "tools/ldgtool/ldgtool.h"

int main(int argc, char** argv) {
  platform::ProgramStart start(argc, argv);
  argc = start.argc();
  argv = start.argv();
  std::vector<std::string> args(argv + 1, argv + argc);
  return ldgtool::RunLdgTool(args, std::cin, std::cout, std::cerr);
}
