// Finished files on POSIX systems: rename() replaces the old file in one
// step, whoever has it open.
#include "platform/finished_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/file_names.h"

namespace platform {
namespace {

FileError FromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FileError::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return FileError::kAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileError::kDiskFull;
    default:
      return FileError::kGeneric;
  }
}

int WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return fsync(fd) == 0 ? 0 : errno;
}

// The new file's name beside `path`: unique within this process by the
// counter, and against other processes by O_EXCL and a retry.
std::string TemporaryName(const std::string& path, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  return path + ".~" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) + "-" +
         std::to_string(attempt) + ".tmp";
}

void SyncFolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

FileError PutFileInPlace(std::string_view gbk_path, std::string_view content) {
  const std::string path = NativePath(gbk_path);
  struct stat status {};
  if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return FileError::kAccessDenied;
  std::string temporary;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = TemporaryName(path, attempt);
    // The umask decides who may read the file, as for any file the user saves.
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return FromErrno(errno);
  }
  if (fd < 0) return FileError::kGeneric;
  int error = WriteAll(fd, content);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return FromErrno(error);
  }
  SyncFolderOf(path);
  return FileError::kNone;
}

}  // namespace platform
