#include "platform/win32/wide.h"

#include <climits>

namespace platform::win32 {
namespace {

std::wstring ToWide(UINT code_page, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(code_page, 0, text.data(), size, out.data(), n);
  return out;
}

std::string FromWide(UINT code_page, std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(code_page, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring GbkToWide(std::string_view gbk) { return ToWide(936, gbk); }
std::string WideToGbk(std::wstring_view wide) { return FromWide(936, wide); }
std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

FileError FromWindowsError(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return FileError::kNone;
    case ERROR_FILE_NOT_FOUND:
      return FileError::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return FileError::kBadPath;
    case ERROR_TOO_MANY_OPEN_FILES:
      return FileError::kTooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return FileError::kAccessDenied;
    case ERROR_INVALID_HANDLE:
      return FileError::kInvalidHandle;
    case ERROR_CURRENT_DIRECTORY:
      return FileError::kRemoveCurrentDirectory;
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK:
      return FileError::kBadSeek;
    case ERROR_CRC:
    case ERROR_GEN_FAILURE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      return FileError::kHardware;
    case ERROR_SHARING_VIOLATION:
      return FileError::kSharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_LOCK_FAILED:
      return FileError::kLockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::kDiskFull;
    case ERROR_HANDLE_EOF:
      return FileError::kEndOfFile;
    default:
      return FileError::kGeneric;
  }
}

}  // namespace platform::win32
