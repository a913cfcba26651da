// The folders a desktop program keeps a user's data in, and whether a
// folder is the user's own. Paths are GBK.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The folder for the user's own data of the program `name` (plain ASCII):
// $XDG_DATA_HOME/name when that variable holds an absolute path, otherwise
// ~/.local/share/name. On Windows: %LOCALAPPDATA%\name. nullopt when the
// user has no home folder. Nothing is made.
std::optional<std::string> UserDataDirectory(std::string_view name);

// True when the folder `gbk_path` belongs to the user running the program
// and that user may write in it. The superuser owns the system's own folders
// (the one a program is installed in, say), so for the superuser no folder
// counts as their own; on Windows, for the same reason, no folder inside the
// programs folders (the machine's and the user's own) or the Windows folder
// does.
bool IsUsersOwnFolder(std::string_view gbk_path);

// Makes the folder `gbk_path` and whatever is missing of its parents, each
// readable, writable and searchable by its owner only; a folder that exists
// keeps its permissions. True when `gbk_path` is a folder afterwards.
bool MakePrivateFolder(std::string_view gbk_path);

}  // namespace platform
