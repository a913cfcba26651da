#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/gbk.h"

namespace platform {
namespace {

FileError FromErrno(int error) {
  switch (error) {
    case 0:
      return FileError::kNone;
    case ENOENT:
      return FileError::kNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return FileError::kBadPath;
    case EMFILE:
    case ENFILE:
      return FileError::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return FileError::kAccessDenied;
    case EBADF:
      return FileError::kInvalidHandle;
    case ESPIPE:
    case EOVERFLOW:
      return FileError::kBadSeek;
    case EIO:
      return FileError::kHardware;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileError::kDiskFull;
    default:
      return FileError::kGeneric;
  }
}

std::string ToSystemName(std::string_view gbk_path) { return GbkToUtf8(gbk_path, false); }

// Sharing modes are kept as shared locks on single bytes far beyond anything
// the record store locks (its locks end below 2^41): each opener marks the
// access it has and the access it denies, then looks for an other opener's
// mark that conflicts. Two openers that race both see each other and both
// refuse, so conflicting openers never both succeed.
constexpr std::uint64_t kSharingMarks = std::uint64_t{1} << 62;
constexpr std::uint64_t kHasReadMark = kSharingMarks + 0;
constexpr std::uint64_t kHasWriteMark = kSharingMarks + 1;
constexpr std::uint64_t kDeniesReadMark = kSharingMarks + 2;
constexpr std::uint64_t kDeniesWriteMark = kSharingMarks + 3;

// Results of fcntl lock calls for file systems without locks: every lock
// then succeeds.
bool LockingUnsupported(int error) {
  return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

int SetLock(int fd, short type, std::uint64_t offset, std::uint64_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  lock.l_pid = 0;
  while (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// True when another open file holds a lock overlapping the byte at `offset`.
bool OtherHolds(int fd, std::uint64_t offset) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = 1;
  lock.l_pid = 0;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

class PosixFile : public File {
 public:
  PosixFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
  ~PosixFile() override { close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  FileResult<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    std::size_t done = 0;
    while (done < out.size()) {
      ssize_t n =
          pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return {done, FromErrno(errno)};
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return {done, FileError::kNone};
  }

  FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    if (!writable_) return FileError::kAccessDenied;
    std::size_t done = 0;
    while (done < data.size()) {
      ssize_t n =
          pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return FromErrno(errno);
      }
      if (n == 0) return FileError::kDiskFull;
      done += static_cast<std::size_t>(n);
    }
    return FileError::kNone;
  }

  FileResult<std::uint64_t> Size() override {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return {0, FromErrno(errno)};
    return {static_cast<std::uint64_t>(st.st_size), FileError::kNone};
  }

  FileError Truncate(std::uint64_t size) override {
    if (!writable_) return FileError::kAccessDenied;
    while (ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      if (errno != EINTR) return FromErrno(errno);
    }
    return FileError::kNone;
  }

  FileError Flush() override {
    if (!writable_) return FileError::kNone;
    return fdatasync(fd_) == 0 ? FileError::kNone : FromErrno(errno);
  }

  // A file open for reading only cannot take a write lock; its shared lock
  // still keeps every writer's lock out of the range.
  FileError Lock(std::uint64_t offset, std::uint64_t length) override {
    int error = SetLock(fd_, writable_ ? F_WRLCK : F_RDLCK, offset, length);
    if (LockingUnsupported(error)) unlocked_ = true;
    if (error == 0 || LockingUnsupported(error)) return FileError::kNone;
    if (error == EAGAIN || error == EACCES) return FileError::kLockViolation;
    return FromErrno(error);
  }

  FileError Unlock(std::uint64_t offset, std::uint64_t length) override {
    int error = SetLock(fd_, F_UNLCK, offset, length);
    if (error == 0 || LockingUnsupported(error)) return FileError::kNone;
    return FromErrno(error);
  }

  // Where locks do not work, another opener may cut the file while it is
  // looked at, which a view would not survive.
  std::unique_ptr<ReadOnlyMapping> MapForReading(std::uint64_t length) override {
    if (unlocked_) return nullptr;
    return ReadOnlyMapping::Map(fd_, length);
  }

  // Marks this opener's access and sharing, then checks every other
  // opener's marks. False on a conflict.
  bool ClaimSharing(FileAccess access, FileSharing sharing) {
    bool denies_read = sharing == FileSharing::kDenyRead || sharing == FileSharing::kExclusive;
    bool denies_write = sharing == FileSharing::kDenyWrite || sharing == FileSharing::kExclusive;
    bool writes = access == FileAccess::kReadWrite;
    std::vector<std::uint64_t> marks = {kHasReadMark};
    if (writes) marks.push_back(kHasWriteMark);
    if (denies_read) marks.push_back(kDeniesReadMark);
    if (denies_write) marks.push_back(kDeniesWriteMark);
    for (std::uint64_t mark : marks) {
      int error = SetLock(fd_, F_RDLCK, mark, 1);
      if (LockingUnsupported(error)) unlocked_ = true;
      if (error != 0 && !LockingUnsupported(error)) return false;
    }
    if (OtherHolds(fd_, kDeniesReadMark)) return false;
    if (writes && OtherHolds(fd_, kDeniesWriteMark)) return false;
    if (denies_read && OtherHolds(fd_, kHasReadMark)) return false;
    if (denies_write && OtherHolds(fd_, kHasWriteMark)) return false;
    return true;
  }

 private:
  int fd_;
  bool writable_;
  // The file system does not lock this file: every lock call succeeds.
  bool unlocked_ = false;
};

class SystemWaitingImpl : public Waiting {
 public:
  std::uint32_t TickCount() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
  }
  void Sleep(std::uint32_t milliseconds) override {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }
};

// Walks a GBK path and puts '/' for every single-byte backslash.
std::string WithSlashes(std::string_view gbk_path) {
  std::string out(gbk_path);
  for (std::size_t i = 0; i < out.size(); i += CharLength(out, i))
    if (out[i] == '\\') out[i] = '/';
  return out;
}

}  // namespace

OpenedFile OpenFile(std::string_view gbk_path, FileAccess access, FileSharing sharing) {
  if (gbk_path.empty()) return {nullptr, FileError::kNotFound};
  // Opened without waiting: a named pipe (or a device) would otherwise hold
  // the open until a writer came; only a regular file is taken.
  int flags = (access == FileAccess::kReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
  int fd = open(ToSystemName(gbk_path).c_str(), flags);
  if (fd < 0) return {nullptr, FromErrno(errno)};
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return {nullptr, FileError::kAccessDenied};
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  auto file = std::make_unique<PosixFile>(fd, access == FileAccess::kReadWrite);
  if (!file->ClaimSharing(access, sharing)) return {nullptr, FileError::kSharingViolation};
  return {std::move(file), FileError::kNone};
}

OpenedFile CreateNewFile(std::string_view gbk_path) {
  int fd = open(ToSystemName(gbk_path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return {nullptr, errno == EEXIST ? FileError::kAccessDenied : FromErrno(errno)};
  // The mode given to open is narrowed by the umask; never widened, so 0600 holds.
  fchmod(fd, 0600);
  return {std::make_unique<PosixFile>(fd, true), FileError::kNone};
}

bool RemoveFile(std::string_view gbk_path) { return unlink(ToSystemName(gbk_path).c_str()) == 0; }

bool CopyToNewFile(std::string_view gbk_from, std::string_view gbk_to) {
  namespace fs = std::filesystem;
  const fs::path to(ToSystemName(gbk_to));
  std::error_code error;
  if (!fs::copy_file(ToSystemName(gbk_from), to, error)) return false;
  fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, error);
  return true;
}

std::optional<std::uint64_t> FreeSpaceBeside(std::string_view gbk_path) {
  struct statvfs volume {};
  if (statvfs(ToSystemName(gbk_path).c_str(), &volume) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
}

FileOpener SystemFileOpener() { return &OpenFile; }

std::string FullPath(std::string_view gbk_path) {
  std::filesystem::path path(ToSystemName(WithSlashes(gbk_path)));
  if (path.is_relative()) {
    std::error_code error;
    std::filesystem::path here = std::filesystem::current_path(error);
    if (!error) path = here / path;
  }
  std::string normal = path.lexically_normal().string();
  // A trailing separator left by normalising "dir/." is not part of a file name.
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return Utf8ToGbk(normal);
}

bool PathExists(std::string_view gbk_path) {
  struct stat st {};
  return stat(ToSystemName(gbk_path).c_str(), &st) == 0;
}

std::optional<std::string> FindIgnoringCase(std::string_view gbk_path) {
  if (PathExists(gbk_path)) return std::string(gbk_path);
  std::string path = WithSlashes(gbk_path);
  std::size_t slash = path.rfind('/');
  // rfind on bytes is safe here: '/' is never a trail byte of a GBK character.
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* dir = opendir(ToSystemName(folder).c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<std::string> matches;
  while (dirent* entry = readdir(dir)) {
    std::string entry_name = Utf8ToGbk(entry->d_name);
    if (EqualIgnoreCase(entry_name, name)) matches.push_back(entry_name);
  }
  closedir(dir);
  if (matches.empty()) return std::nullopt;
  std::sort(matches.begin(), matches.end());
  if (slash == std::string::npos) return matches.front();
  return path.substr(0, slash + 1) + matches.front();
}

Waiting& SystemWaiting() {
  static SystemWaitingImpl waiting;
  return waiting;
}

}  // namespace platform
