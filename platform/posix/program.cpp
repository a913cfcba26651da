// The program's start, its folders and local time on POSIX systems.
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "platform/gbk.h"
#include "platform/program_start.h"
#include "platform/services.h"

namespace platform {

ProgramStart::ProgramStart(int argc, char** argv) : args_(argv, argv + argc) {
  for (std::string& arg : args_) pointers_.push_back(arg.data());
  pointers_.push_back(nullptr);
}

std::tm ToLocalTime(std::time_t when) {
  std::tm parts{};
  localtime_r(&when, &parts);
  return parts;
}

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
