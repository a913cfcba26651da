// Files the program writes whole for the user to take elsewhere (exported
// lists and receipts): the new content is written under a temporary name
// beside the chosen one and renamed over it in one step, so that the chosen
// name holds either what it held before or the whole new file, never a part.
#pragma once

#include <string_view>

#include "platform/file.h"

namespace platform {

// Puts `content` in the file `gbk_path`, replacing the file there, and makes
// it durable. On failure nothing is left under a temporary name and the file
// at `gbk_path` is as it was. The cause of a failure:
//   kNotFound          the folder does not exist
//   kAccessDenied      the folder may not be written, or the name is a folder
//   kDiskFull          the volume (or the user's quota) is full
//   kSharingViolation  the file is open in another program that keeps it
//                      from being replaced, or is read-only
//   kGeneric           anything else
FileError PutFileInPlace(std::string_view gbk_path, std::string_view content);

}  // namespace platform
