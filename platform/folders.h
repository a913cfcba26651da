// Folders as the backups need them: made, listed, moved and removed. Names
// cross this interface as GBK, as every file name inside the program does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Makes the folder `gbk_path` and any folder above it that is missing;
// true when it is there afterwards.
bool MakeFolders(std::string_view gbk_path);

// Makes the folder `gbk_path` in a folder that exists; false when it exists
// already (another process may be making the same one) or cannot be made.
bool MakeNewFolder(std::string_view gbk_path);

// True when `gbk_path` names a folder.
bool IsFolder(std::string_view gbk_path);

// The names (GBK, without the folder) of the folders directly inside
// `gbk_path`; empty when it cannot be read.
std::vector<std::string> SubfolderNames(std::string_view gbk_path);

// Moves the file or folder `gbk_from` to `gbk_to` on the same volume; false
// when `gbk_to` exists already or the move fails.
bool MovePath(std::string_view gbk_from, std::string_view gbk_to);

// Removes the folder `gbk_path` with everything in it; true when it is gone.
bool RemoveFolderTree(std::string_view gbk_path);

}  // namespace platform
