// The whole desk run headless in this process, as `orderdesk --script` runs
// it, with its actions given one at a time by the test: each action may
// depend on what the transcript has shown so far, as a person's next step
// depends on the box they just saw.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

namespace desk_test {

// Called before each action with the transcript so far; returns the next
// script line, or nullopt to end the run (the program then ends as if the
// last window were closed).
using NextAction = std::function<std::optional<std::string>(const std::string& transcript)>;

// Runs the desk with `dir` as its program directory; returns the transcript.
// `preamble` is script read before start-up (`now` lines).
std::string RunDesk(const std::filesystem::path& dir, const NextAction& next,
                    const std::string& preamble = {});

// Runs a fixed script (its leading `now` lines before start-up); `after_start_up` runs once
// start-up has opened the data files, before the first action.
std::string RunDeskScript(const std::filesystem::path& dir, const std::string& script,
                          const std::function<void()>& after_start_up = {});

// Creates the three data files of a new shop in `dir` (ldgtool init).
bool InitShop(const std::filesystem::path& dir);

// `ldgtool verify FILE` for a data file in `dir`; its exit status, with its
// output in `report`.
int VerifyDataFile(const std::filesystem::path& dir, const std::string& name, std::string& report);

}  // namespace desk_test
