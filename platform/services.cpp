#include "platform/services.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

#include "platform/gbk.h"
#include "platform/headless/headless.h"

namespace platform {
namespace {

Services DefaultServices() {
  // Headless until an entry point installs something else.
  static SystemClock clock;
  static MemoryClipboard clipboard;
  static ScriptedDialogs dialogs;
  return {&clock, &clipboard, &dialogs};
}

}  // namespace

Services& Current() {
  static Services services = DefaultServices();
  return services;
}

ScopedServices::ScopedServices(const Services& services) : previous_(Current()) {
  Services& current = Current();
  if (services.clock) current.clock = services.clock;
  if (services.clipboard) current.clipboard = services.clipboard;
  if (services.dialogs) current.dialogs = services.dialogs;
}

ScopedServices::~ScopedServices() { Current() = previous_; }

std::optional<std::string> CurrentDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return std::nullopt;
  std::string gbk = Utf8ToGbk(buffer);
  if (gbk.size() > 260) return std::nullopt;
  return gbk;
}

bool ChangeDirectory(std::string_view gbk_path) {
  return chdir(GbkToUtf8(gbk_path, false).c_str()) == 0;
}

std::string ProgramDirectory() {
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return Utf8ToGbk(exe.parent_path().string());
}

}  // namespace platform
