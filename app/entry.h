// The program's two ways to run: with its real windows, or headless from a
// script (see the driver).
#pragma once

#include <string>

namespace desk {

struct CommandLine {
  std::string dir;          // --dir: the program directory (UTF-8); empty = beside the program
  std::string script;       // --script: the script file, "-" for standard input
  std::string screenshots;  // --screenshots: folder for page images
  bool has_script = false;
};

// Parses the arguments; on a bad one writes why to `error` and returns false.
bool ParseCommandLine(int argc, char** argv, CommandLine& line, std::string& error);

// Registers every built-in command of the program in the run-wide table.
void RegisterAllCommands();

// Runs headless from the script; returns the exit status.
int RunHeadless(const CommandLine& line);

// Runs with the real windows; returns the exit status.
int RunWithWindows(int argc, char** argv, const CommandLine& line);

}  // namespace desk
