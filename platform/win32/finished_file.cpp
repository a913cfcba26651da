// Finished files on Windows: MoveFileEx replaces the old file in one step,
// unless another program holds it open without sharing its deletion (a
// spreadsheet program holding the last export does).
#include "platform/finished_file.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/win32/wide.h"

namespace platform {
namespace {

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

FileError FromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return FileError::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileError::kAccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::kDiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::kSharingViolation;
    default:
      return FileError::kGeneric;
  }
}

DWORD WriteAll(HANDLE h, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk =
        content.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(h, content.data(), chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_DISK_FULL;
    content.remove_prefix(written);
  }
  return FlushFileBuffers(h) ? 0 : GetLastError();
}

std::wstring TemporaryName(const std::wstring& path, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  return path + L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter.fetch_add(1)) + L"-" + std::to_wstring(attempt) + L".tmp";
}

}  // namespace

FileError PutFileInPlace(std::string_view gbk_path, std::string_view content) {
  const std::wstring path = win32::GbkToWide(gbk_path);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return FileError::kAccessDenied;
  std::wstring temporary;
  DWORD error = 0;
  {
    Handle file(INVALID_HANDLE_VALUE);
    for (unsigned attempt = 0; file.h == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
      temporary = TemporaryName(path, attempt);
      file.h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file.h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
        return FromError(GetLastError());
    }
    if (file.h == INVALID_HANDLE_VALUE) return FileError::kGeneric;
    error = WriteAll(file.h, content);
  }
  if (error == 0 && !MoveFileExW(temporary.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    // The folder took the new file, so a refusal now comes from the old
    // one: open elsewhere, or read-only.
    if (error == ERROR_ACCESS_DENIED) error = ERROR_SHARING_VIOLATION;
  }
  if (error != 0) {
    DeleteFileW(temporary.c_str());
    return FromError(error);
  }
  return FileError::kNone;
}

}  // namespace platform
