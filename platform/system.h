// What each operating system supplies to the platform layer's own files:
// the code-page conversions, whole-file reads and replacement for settings
// files. One implementation per system (platform/posix/,
// platform/win32/); nothing outside platform/ includes this.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::system {

// The one Unicode character that the GBK `bytes` (one or two) stand for,
// when the system's code page 936 gives exactly one and turns it back into
// the same bytes; 0 otherwise.
char32_t Cp936Char(std::string_view bytes);

// UTF-8 to GBK; every byte that does not belong to a character GBK holds
// becomes '?', or, when `left_out` is given, is left out, and `*left_out`
// then says whether any byte was.
std::string Utf8ToCp936(std::string_view utf8, bool* left_out = nullptr);

// The whole content of the file `gbk_path`, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view gbk_path);

// True when `gbk_path` names something that exists.
bool Exists(std::string_view gbk_path);

// Puts `content` in place of the file `gbk_path` so that a failure part-way
// leaves the old text or the new one, never a mix; an existing file keeps its
// permissions. False when the file is read-only or not a regular file, or
// when writing fails.
bool ReplaceWholeFile(std::string_view gbk_path, std::string_view content);

}  // namespace platform::system
