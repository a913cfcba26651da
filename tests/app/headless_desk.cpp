#include "tests/app/headless_desk.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/entry.h"
#include "driver/driver.h"
#include "driver/verbs.h"
#include "driver/window_transcript.h"
#include "forms/headless_desktop.h"
#include "platform/file.h"
#include "platform/gbk.h"
#include "tools/ldgtool/ldgtool.h"

namespace desk_test {

std::string RunDesk(const std::filesystem::path& dir, const NextAction& next,
                    const std::string& preamble) {
  EXPECT_TRUE(platform::ChangeDirectory(platform::Utf8ToGbk(testing_support::Utf8Of(dir))));
  desk::RegisterAllCommands();
  // The driver reads a line only when it runs it, so each action can be
  // added to the script just before its turn.
  std::stringstream script(preamble);
  std::ostringstream transcript;
  driver::Driver driver(transcript);
  driver::AddAllVerbs(driver);
  driver.Begin(script);
  EXPECT_TRUE(driver.RunPreamble());
  forms::HeadlessDesktop desktop([&] {
    std::optional<std::string> line = next(transcript.str());
    if (!line) return false;
    script.clear();
    script << *line << '\n';
    return driver.Step();
  });
  auto forms = desk::ReadWindowTemplate(desktop);
  forms::ScopedFormRuntime current(*forms);
  desktop.SetRuntime(forms.get());
  driver::WindowTranscript window_lines(driver, *forms);
  desk::RunDesk(*forms);
  return transcript.str();
}

std::string RunDeskScript(const std::filesystem::path& dir, const std::string& script,
                          const std::function<void()>& after_start_up) {
  std::istringstream lines(script);
  // The clock set before the first action is the clock of start-up, as
  // when the program runs the script.
  std::string preamble, line;
  while (lines.peek() == 'n' && std::getline(lines, line)) preamble += line + '\n';
  bool started = false;
  return RunDesk(
      dir,
      [&](const std::string&) -> std::optional<std::string> {
        if (!started) {
          started = true;
          if (after_start_up) after_start_up();
        }
        std::string next_line;
        if (!std::getline(lines, next_line)) return std::nullopt;
        return next_line;
      },
      preamble);
}

bool InitShop(const std::filesystem::path& dir) {
  std::istringstream no_input;
  std::ostringstream out, err;
  return ldgtool::RunLdgTool({"init", testing_support::Utf8Of(dir)}, no_input, out, err) == 0;
}

int VerifyDataFile(const std::filesystem::path& dir, const std::string& name, std::string& report) {
  std::istringstream no_input;
  std::ostringstream out, err;
  const int status =
      ldgtool::RunLdgTool({"verify", testing_support::Utf8Of(dir / testing_support::Utf8Path(name)),
                           "--password", "qkd3094716"},
                          no_input, out, err);
  report = out.str() + err.str();
  return status;
}

}  // namespace desk_test
