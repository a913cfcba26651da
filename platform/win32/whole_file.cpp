// Whole files (settings files) on Windows.
#include <windows.h>

#include <atomic>

#include "platform/system.h"
#include "platform/win32/wide.h"

namespace platform::system {
namespace {

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

bool WriteAll(HANDLE h, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk =
        content.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(h, content.data(), chunk, &written, nullptr) || written == 0) return false;
    content.remove_prefix(written);
  }
  return FlushFileBuffers(h) != 0;
}

// A name beside `path` that no other writer of this process or another uses.
std::wstring TemporaryNameFor(const std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
         std::to_wstring(counter.fetch_add(1)) + L".tmp";
}

}  // namespace

std::optional<std::string> ReadWholeFile(std::string_view gbk_path) {
  Handle file(CreateFileW(win32::GbkToWide(gbk_path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return std::nullopt;
  std::string content;
  char buffer[8192];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.h, buffer, sizeof buffer, &n, nullptr)) return std::nullopt;
    if (n == 0) break;
    content.append(buffer, n);
  }
  return content;
}

bool Exists(std::string_view gbk_path) {
  return GetFileAttributesW(win32::GbkToWide(gbk_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An existing file is replaced by a finished copy written beside it:
// ReplaceFileW keeps the old file's attributes and security; where the file
// system cannot do that (some network shares), the copy is moved over it.
bool ReplaceWholeFile(std::string_view gbk_path, std::string_view content) {
  const std::wstring path = win32::GbkToWide(gbk_path);
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // A new file: there is nothing else in it to lose.
    bool written = false;
    {
      Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.ok()) return false;
      written = WriteAll(file.h, content);
    }
    if (!written) DeleteFileW(path.c_str());
    return written;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return false;
  const std::wstring temporary = TemporaryNameFor(path);
  bool written = false;
  {
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return false;
    written = WriteAll(file.h, content);
  }
  if (written && (ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
                  MoveFileExW(temporary.c_str(), path.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace platform::system
