// The program's two ways to run: with its real windows, or headless from a
// script (see the driver).
#pragma once

#include <memory>
#include <string>

#include "forms/form_runtime.h"

namespace desk {

struct CommandLine {
  std::string dir;          // --dir: the program directory (UTF-8); empty = beside the program
  std::string script;       // --script: the script file, "-" for standard input
  std::string screenshots;  // --screenshots: folder for page images
  bool has_script = false;
  // Set by main from the data folder it found (data_folder.h): what the
  // person is told once before the desk starts (GBK), and whether the desk
  // cannot start because the folder could not be made.
  std::string data_folder_note;
  bool data_folder_failed = false;
};

// Tells the person the data folder's note, if there is one: with the
// message-box service when `box` is true, otherwise on the standard error.
// Returns false when the desk cannot start (the runtime error's exit status
// follows).
bool TellDataFolderNote(const CommandLine& line, bool box);

// Parses the arguments; on a bad one writes why to `error` and returns false.
bool ParseCommandLine(int argc, char** argv, CommandLine& line, std::string& error);

// Registers every built-in command of the program in the run-wide table.
void RegisterAllCommands();

// Reads the program's window template and relocates its bindings to the
// handler table; a damaged template ends in the runtime error report.
std::unique_ptr<forms::FormRuntime> ReadWindowTemplate(forms::Desktop& desktop);

// The rest of start-up and the run: the order desk initialises and registers
// its exit routine, the main window loads, the message loop runs until the
// last window is closed, the exit routine runs. Returns 0.
int RunDesk(forms::FormRuntime& forms);

// Runs headless from the script; returns the exit status.
int RunHeadless(const CommandLine& line);

// Runs with the real windows; returns the exit status.
int RunWithWindows(int argc, char** argv, const CommandLine& line);

}  // namespace desk
