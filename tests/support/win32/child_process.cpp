// Children started as new processes of the test program itself: the
// command line names the body, the two pipe handles the child inherits and
// the arguments (in hexadecimal, so that any bytes pass unchanged).
#include <windows.h>

#include <cstring>
#include <string>

#include "tests/support/child_process.h"

namespace testing_support {

namespace {

// The exit code TerminateProcess gives a killed child; no body returns it.
constexpr UINT kKilled = 0xDEAD;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t AsValue(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex = "x";  // never an empty argument
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

std::string FromHex(const char* hex) {
  std::string bytes;
  if (*hex == 'x') ++hex;
  auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  for (; hex[0] != 0 && hex[1] != 0; hex += 2)
    bytes += static_cast<char>(value(hex[0]) * 16 + value(hex[1]));
  return bytes;
}

}  // namespace

void Channel::Close() {
  if (in_ != -1) CloseHandle(AsHandle(in_));
  if (out_ != -1) CloseHandle(AsHandle(out_));
  in_ = out_ = -1;
}

void Channel::WriteAll(const void* data, std::size_t size) const {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(AsHandle(out_), p, static_cast<DWORD>(size), &written, nullptr) || written == 0)
      return;
    p += written;
    size -= written;
  }
}

bool Channel::ReadAll(void* data, std::size_t size) const {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    DWORD read = 0;
    if (!ReadFile(AsHandle(in_), p, static_cast<DWORD>(size), &read, nullptr) || read == 0)
      return false;
    p += read;
    size -= read;
  }
  return true;
}

std::optional<int> RunChildIfAsked(int argc, char** argv) {
  if (argc < 5 || std::strcmp(argv[1], "--child-body") != 0) return std::nullopt;
  ChildBody run = FindChildBody(argv[2]);
  if (run == nullptr) return 125;
  Channel channel(static_cast<std::intptr_t>(std::stoll(argv[3])),
                  static_cast<std::intptr_t>(std::stoll(argv[4])));
  ChildArguments arguments;
  for (int i = 5; i < argc; ++i) arguments.push_back(FromHex(argv[i]));
  return run(channel, arguments);
}

ChildProcess::ChildProcess(const std::string& body, ChildArguments arguments) {
  if (FindChildBody(body) == nullptr) return;
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE child_in = nullptr, to_child = nullptr, from_child = nullptr, child_out = nullptr;
  if (!CreatePipe(&child_in, &to_child, &inherited, 0)) return;
  if (!CreatePipe(&from_child, &child_out, &inherited, 0)) {
    CloseHandle(child_in);
    CloseHandle(to_child);
    return;
  }
  // The test's own ends stay in the test.
  SetHandleInformation(to_child, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(from_child, HANDLE_FLAG_INHERIT, 0);

  wchar_t program[MAX_PATH * 4];
  GetModuleFileNameW(nullptr, program, MAX_PATH * 4);
  std::string tail = " --child-body " + body + " " + std::to_string(AsValue(child_in)) + " " +
                     std::to_string(AsValue(child_out));
  for (const std::string& argument : arguments) tail += " " + Hex(argument);
  std::wstring command =
      L"\"" + std::wstring(program) + L"\"" + std::wstring(tail.begin(), tail.end());

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const BOOL created = CreateProcessW(program, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &info);
  CloseHandle(child_in);
  CloseHandle(child_out);
  channel_ = Channel(AsValue(from_child), AsValue(to_child));
  if (!created) return;
  CloseHandle(info.hThread);
  process_ = AsValue(info.hProcess);
  started_ = true;
}

ChildProcess::~ChildProcess() {
  if (started_ && !waited_) {
    Kill();
    Wait();
  }
  channel_.Close();
  if (started_) CloseHandle(AsHandle(process_));
}

void ChildProcess::Kill() {
  if (started_) TerminateProcess(AsHandle(process_), kKilled);
}

int ChildProcess::Wait() {
  if (!started_ || waited_) return exit_code_;
  WaitForSingleObject(AsHandle(process_), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(AsHandle(process_), &code);
  waited_ = true;
  exit_code_ = code == kKilled ? -1 : static_cast<int>(code);
  return exit_code_;
}

}  // namespace testing_support
