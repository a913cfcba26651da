// File names as the program's texts carry them turned into names the file
// system takes.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A GBK file name as a UTF-8 path. A backslash between folders (a character
// of its own, never the trail byte of a double-byte character) becomes '/';
// relative names stay relative, so they resolve against the current
// directory, which is the program directory.
std::string NativePath(std::string_view gbk_name);

}  // namespace platform
