#include "bench/desk_session.h"

#include <chrono>
#include <sstream>

#include "app/entry.h"
#include "app/list_units.h"
#include "driver/driver.h"
#include "driver/verbs.h"
#include "forms/headless_desktop.h"
#include "platform/gbk.h"
#include "platform/services.h"

namespace bench {

DeskRun RunTimedDesk(const std::filesystem::path& dir, const std::string& script_text) {
  DeskRun run;
  platform::ChangeDirectory(platform::Utf8ToGbk(dir.string()));
  desk::RegisterAllCommands();
  std::istringstream script(script_text);
  std::ostringstream transcript;
  {
    driver::Driver driver(transcript);
    driver::AddAllVerbs(driver);
    std::string label;
    std::chrono::steady_clock::time_point started;
    driver.AddVerb("bench-start", [&](std::string_view rest) {
      label = std::string(rest);
      started = std::chrono::steady_clock::now();
    });
    driver.AddVerb("bench-stop", [&](std::string_view rest) {
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - started;
      const int rows = rest.empty() ? 0 : desk::ListRows(rest).Count();
      run.timings.push_back({label, took.count(), rows});
    });
    driver.Begin(script);
    forms::HeadlessDesktop desktop([&] { return driver.Step(); });
    auto forms = desk::ReadWindowTemplate(desktop);
    forms::ScopedFormRuntime current(*forms);
    desktop.SetRuntime(forms.get());
    desk::RunDesk(*forms);
    run.status = driver.status();
  }
  run.transcript = transcript.str();
  return run;
}

}  // namespace bench
