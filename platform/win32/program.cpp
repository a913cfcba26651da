// The program's start, its folders and local time on Windows.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/program_start.h"
#include "platform/services.h"
#include "platform/win32/wide.h"

namespace platform {

ProgramStart::ProgramStart(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 0; i < count; ++i) args_.push_back(win32::WideToUtf8(wide[i]));
    LocalFree(wide);
  } else {
    args_.assign(argv, argv + argc);
  }
  for (std::string& arg : args_) pointers_.push_back(arg.data());
  pointers_.push_back(nullptr);
  // The desk is a windowed program (no console window beside its windows):
  // started from a console without redirection it has no standard streams,
  // so a script's transcript and the messages go to the console it was
  // started from. Streams that are redirected are kept.
  auto missing = [](DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
  };
  const bool out = missing(STD_OUTPUT_HANDLE), err = missing(STD_ERROR_HANDLE),
             in = missing(STD_INPUT_HANDLE);
  if ((out || err || in) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (out) (void)std::freopen("CONOUT$", "w", stdout);
    if (err) (void)std::freopen("CONOUT$", "w", stderr);
    if (in) (void)std::freopen("CONIN$", "r", stdin);
  }
  // Text mode would put CR before every LF written and take it off on reading.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::tm ToLocalTime(std::time_t when) {
  std::tm parts{};
  localtime_s(&parts, &when);
  return parts;
}

std::optional<std::string> CurrentDirectory() {
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, buffer);
  if (n == 0 || n >= MAX_PATH * 4) return std::nullopt;
  std::string gbk = win32::WideToGbk({buffer, n});
  if (gbk.size() > 260) return std::nullopt;
  return gbk;
}

bool ChangeDirectory(std::string_view gbk_path) {
  if (gbk_path.empty()) return false;
  return SetCurrentDirectoryW(win32::GbkToWide(gbk_path).c_str()) != 0;
}

std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  // "C:\orderdesk.exe" lives in "C:\", not in "C:" (the current folder of drive C).
  const bool at_root = slash == 2 && path[1] == L':';
  return win32::WideToGbk(path.substr(0, at_root ? slash + 1 : slash));
}

}  // namespace platform
