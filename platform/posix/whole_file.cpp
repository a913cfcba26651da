// Whole files (settings files) on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/file_names.h"
#include "platform/system.h"

namespace platform::system {
namespace {

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return fsync(fd) == 0;
}

void SyncFolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// A file is read-only when nobody may write it or we may not.
bool IsReadOnly(const std::string& path, const struct stat& status) {
  return (status.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

}  // namespace

std::optional<std::string> ReadWholeFile(std::string_view gbk_path) {
  // As with the data files: a named pipe or a device is not waited on, and
  // not read (a settings file is a regular file or nothing).
  int fd = open(NativePath(gbk_path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  std::string content;
  char buffer[8192];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return content;
}

bool Exists(std::string_view gbk_path) {
  struct stat status {};
  return stat(NativePath(gbk_path).c_str(), &status) == 0;
}

// An existing file is replaced by renaming a finished copy over it.
bool ReplaceWholeFile(std::string_view gbk_path, std::string_view content) {
  std::string path = NativePath(gbk_path);
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    auto target = std::filesystem::canonical(path, error);
    if (error) return false;
    path = target.string();
  }
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    if (errno != ENOENT) return false;
    // A new file: there is nothing else in it to lose.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool written = WriteAll(fd, content);
    if (close(fd) != 0) written = false;
    if (!written) unlink(path.c_str());
    if (written) SyncFolderOf(path);
    return written;
  }
  if (!S_ISREG(status.st_mode) || IsReadOnly(path, status)) return false;
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = fchmod(fd, status.st_mode & 07777) == 0 && WriteAll(fd, content);
  if (close(fd) != 0) written = false;
  if (written && rename(temporary.c_str(), path.c_str()) == 0) {
    SyncFolderOf(path);
    return true;
  }
  unlink(temporary.c_str());
  return false;
}

}  // namespace platform::system
