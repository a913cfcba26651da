// The edge between the program's narrow texts and Windows' UTF-16 names,
// and Windows' error codes as file errors.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/file.h"

namespace platform::win32 {

// A GBK text (a file name, say) as UTF-16; a backslash stays a backslash
// and '/' is taken as a folder separator by the system too.
std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

FileError FromWindowsError(DWORD error);

}  // namespace platform::win32
