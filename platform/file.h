// Files as the record store needs them: raw positioned reads and writes,
// length and truncation, sharing modes decided when a file is opened,
// non-blocking exclusive byte-range locks, full paths, and the millisecond
// tick count and sleep used between lock attempts.
//
// File names cross this interface as GBK texts and are converted for the
// file system here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/mapped_file.h"

namespace platform {

// Why a file operation failed, by cause.
enum class FileError {
  kNone,
  kGeneric,
  kNotFound,
  kBadPath,
  kTooManyOpenFiles,
  kAccessDenied,
  kInvalidHandle,
  kRemoveCurrentDirectory,
  kDirectoryFull,
  kBadSeek,
  kHardware,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
  kEndOfFile,
};

enum class FileAccess { kReadOnly, kReadWrite };

// What other openers of the same file may do while this one keeps it open.
enum class FileSharing { kShareAll, kDenyRead, kDenyWrite, kExclusive };

template <typename T>
struct FileResult {
  T value{};
  FileError error = FileError::kNone;
  bool ok() const { return error == FileError::kNone; }
};

class File {
 public:
  virtual ~File() = default;
  // Reads up to `out.size()` bytes at `offset`; fewer only at the end of the
  // file. The count read is the value.
  virtual FileResult<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
  // Writes all of `data` at `offset`, growing the file as needed. On failure
  // a leading part of `data` may have been written.
  virtual FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;
  virtual FileResult<std::uint64_t> Size() = 0;
  virtual FileError Truncate(std::uint64_t size) = 0;
  // Pushes what was written to the storage device.
  virtual FileError Flush() = 0;
  // Locks [offset, offset + length) for this open file without waiting:
  // kLockViolation when another opener holds a lock that overlaps it.
  // Locking a range this open file already holds succeeds.
  virtual FileError Lock(std::uint64_t offset, std::uint64_t length) = 0;
  virtual FileError Unlock(std::uint64_t offset, std::uint64_t length) = 0;
  // A read-only view of at least the first `length` bytes, for a reader
  // that looks at large parts of the file without copying them; nullptr
  // when the file cannot be viewed so (only a file on disk can), and the
  // reader then reads.
  virtual std::unique_ptr<ReadOnlyMapping> MapForReading(std::uint64_t length) {
    (void)length;
    return nullptr;
  }
};

struct OpenedFile {
  std::unique_ptr<File> file;
  FileError error = FileError::kNone;
};

// Opens an existing regular file; never creates one. A sharing mode that
// conflicts with another opener's access or sharing mode (in this or any
// other process) gives kSharingViolation at once.
OpenedFile OpenFile(std::string_view gbk_path, FileAccess access, FileSharing sharing);

// Creates a new, empty regular file for reading and writing, readable and
// writable by its owner only. An existing file is left alone: kAccessDenied.
OpenedFile CreateNewFile(std::string_view gbk_path);

// Removes the file `gbk_path`; false when it cannot.
bool RemoveFile(std::string_view gbk_path);

// Copies the file `gbk_from` to the new file `gbk_to`, readable and
// writable by its owner only; false when `gbk_to` exists or copying fails.
bool CopyToNewFile(std::string_view gbk_from, std::string_view gbk_to);

// The bytes free for this user on the volume holding `gbk_path` (a file
// that exists); nullopt when the system does not say.
std::optional<std::uint64_t> FreeSpaceBeside(std::string_view gbk_path);

// How files are opened; tests put a fault-injecting opener in its place.
using FileOpener =
    std::function<OpenedFile(std::string_view gbk_path, FileAccess access, FileSharing sharing)>;

// The default opener, OpenFile.
FileOpener SystemFileOpener();

// `gbk_path` as an absolute path: relative names are taken from the current
// directory, "." and ".." are resolved by name (symbolic links are not
// followed), and a single-byte backslash counts as a folder separator.
std::string FullPath(std::string_view gbk_path);

// True when `gbk_path` names an existing entry of the file system.
bool PathExists(std::string_view gbk_path);

// `gbk_path` itself when it exists; else the entry of the same folder whose
// name equals the path's last part without regard to letter case (the first
// such in byte order when there are several); nullopt when there is none.
std::optional<std::string> FindIgnoringCase(std::string_view gbk_path);

// The millisecond tick count and the sleep between lock attempts.
class Waiting {
 public:
  virtual ~Waiting() = default;
  // Milliseconds since some fixed moment; wraps around.
  virtual std::uint32_t TickCount() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

// The real clock and sleep.
Waiting& SystemWaiting();

}  // namespace platform
