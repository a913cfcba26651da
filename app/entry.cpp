#include "app/entry.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/template_segment.h"
#include "driver/driver.h"
#include "driver/verbs.h"
#include "driver/window_transcript.h"
#include "forms/commands.h"
#include "forms/headless_desktop.h"
#include "forms/units/report_units.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "report/commands.h"
#include "runtime/command_table.h"
#include "runtime/error_report.h"
#include "store/commands.h"

namespace desk {

bool ParseCommandLine(int argc, char** argv, CommandLine& line, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) {
        error = word + " needs a value";
        return false;
      }
      target = argv[++i];
      return true;
    };
    if (word == "--dir") {
      if (!value(line.dir)) return false;
    } else if (word == "--script") {
      if (!value(line.script)) return false;
      line.has_script = true;
      // The program enters its directory before it reads the script: a
      // relative script name means the folder it was started from.
      if (line.script != "-") line.script = std::filesystem::absolute(line.script).string();
    } else if (word == "--screenshots") {
      if (!value(line.screenshots)) return false;
    } else {
      error = "unknown argument " + word;
      return false;
    }
  }
  return true;
}

bool TellDataFolderNote(const CommandLine& line, bool box) {
  const std::string& note = line.data_folder_note;
  if (note.empty()) return !line.data_folder_failed;
  if (box) {
    using platform::operator""_gbk;
    const std::uint32_t icon = line.data_folder_failed ? 0x10 : 0x40;  // stop, information
    platform::Current().dialogs->ShowMessageBox(note, "代购店"_gbk, icon);
  } else {
    std::string utf8 = platform::GbkToUtf8(note);
    for (std::size_t at; (at = utf8.find("\r\n")) != std::string::npos;) utf8.replace(at, 2, "\n");
    std::cerr << "orderdesk: " << utf8 << '\n';
  }
  return !line.data_folder_failed;
}

void RegisterAllCommands() {
  runtime::CommandTable& table = runtime::Commands();
  runtime::RegisterCoreCommands(table);
  store::RegisterStoreCommands(table);
  forms::RegisterWindowCommands(table);
  report::RegisterReportCommands(table);
  forms::ConnectReportTables();
}

std::unique_ptr<forms::FormRuntime> ReadWindowTemplate(forms::Desktop& desktop) {
  return forms::FormRuntime::FromSegment(WindowTemplateSegment(), RunningHandlerTable(), desktop);
}

int RunDesk(forms::FormRuntime& forms) {
  InitialiseDesk();
  forms.LoadStartWindow(layout::kMainWindow);
  forms.RunMessageLoop();
  runtime::RunExitHandler();
  return 0;
}

int RunHeadless(const CommandLine& line) {
  // The transcript is what the script's user sees; the data folder's note
  // goes beside it.
  if (!TellDataFolderNote(line, false)) return 255;
  std::ifstream file;
  std::istream* script = &std::cin;
  if (line.script != "-") {
    file.open(line.script);
    if (!file) {
      std::cerr << "orderdesk: cannot read script " << line.script << '\n';
      return 2;
    }
    script = &file;
  }
  driver::Driver driver(std::cout);
  driver::AddAllVerbs(driver);
  driver.Begin(*script);
  if (!driver.RunPreamble()) return driver.status();
  // The script is the user: each turn of the message loop runs one action.
  forms::HeadlessDesktop desktop([&driver] {
    if (driver.Step()) return true;
    if (driver.status() != 0) throw forms::InputAborted{};
    return false;
  });
  auto forms = ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  driver::WindowTranscript transcript(driver, *forms);
  try {
    return RunDesk(*forms);
  } catch (const forms::InputAborted&) {
    return driver.status();
  }
}

}  // namespace desk
