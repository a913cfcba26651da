// The order desk run headless, as the driver runs it, with two extra verbs
// that time the real handlers: "bench-start LABEL" before an action and
// "bench-stop LIST" after it record how long the action took and how many
// rows the list view LIST (a main-window layout name) then holds.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct DeskTiming {
  std::string label;
  double ms = 0;
  int rows = 0;
};

struct DeskRun {
  std::vector<DeskTiming> timings;
  std::string transcript;  // what the driver wrote (messages, IGNORED lines)
  int status = 0;          // the driver's exit status
};

// Runs the desk in `dir` (its program directory, holding the three data
// files) from `script`.
DeskRun RunTimedDesk(const std::filesystem::path& dir, const std::string& script);

}  // namespace bench
