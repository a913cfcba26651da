// orderdesk [--dir DIR] [--script FILE] [--screenshots OUT]
#include <iostream>

#include "app/data_folder.h"
#include "app/entry.h"
#include "platform/gbk.h"
#include "platform/program_start.h"
#include "platform/services.h"
#include "runtime/error_report.h"

int main(int argc, char** argv) {
  platform::ProgramStart start(argc, argv);
  argc = start.argc();
  argv = start.argv();
  desk::CommandLine line;
  std::string error;
  if (!desk::ParseCommandLine(argc, argv, line, error)) {
    std::cerr << "orderdesk: " << error << '\n'
              << "usage: orderdesk [--dir DIR] [--script FILE] [--screenshots OUT]\n";
    return 2;
  }
  // Relative names (the data files, the settings file) resolve in the
  // program directory: the data folder of this run.
  const desk::DataFolder folder = desk::FindDataFolder(line.dir);
  line.data_folder_note = folder.note;
  line.data_folder_failed = folder.failed;
  if (!folder.failed && !platform::ChangeDirectory(folder.path)) {
    std::cerr << "orderdesk: cannot enter directory " << platform::GbkToUtf8(folder.path) << '\n';
    return 2;
  }
  // A memory shortage anywhere outside a command or handler still ends in
  // the memory report rather than an abort.
  return runtime::GuardAllocation([&] {
    desk::RegisterAllCommands();
    if (line.has_script) return desk::RunHeadless(line);
    return desk::RunWithWindows(argc, argv, line);
  });
}
