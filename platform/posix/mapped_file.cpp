#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

namespace platform {

std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) {
    std::filesystem::create_directories(folder, ignored);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, ignored);
  }
  // The file's name is predictable: in a folder someone else owns or may
  // write, a link planted under it would have the desk write over the
  // link's target. Such a folder is not used, and no link is followed.
  struct stat folder_status {};
  if (::lstat(folder.empty() ? "." : folder.c_str(), &folder_status) != 0 ||
      !S_ISDIR(folder_status.st_mode) || folder_status.st_uid != ::geteuid() ||
      (folder_status.st_mode & 022) != 0)
    return nullptr;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  // A file someone else owns, or one others may read, is not used: it holds
  // what the password gives.
  if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid() || !S_ISREG(status.st_mode) ||
      (status.st_mode & 077) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<MappedFile>(new MappedFile(fd));
}

MappedFile::~MappedFile() {
  for (const Mapping& mapping : mappings_) ::munmap(mapping.address, mapping.length);
  ::close(static_cast<int>(file_));
}

std::span<std::uint8_t> MappedFile::Map(std::uint64_t offset, std::size_t length) {
  if (length == 0 || offset % 4096 != 0) return {};
  // posix_fallocate only ever extends the file, and reserves its blocks so
  // that writing through the mapping cannot fail for want of space.
  if (::posix_fallocate(static_cast<int>(file_), static_cast<off_t>(offset),
                        static_cast<off_t>(length)) != 0)
    return {};
  void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED,
                         static_cast<int>(file_), static_cast<off_t>(offset));
  if (address == MAP_FAILED) return {};
  mappings_.push_back({address, length});
  return {static_cast<std::uint8_t*>(address), length};
}

std::unique_ptr<ReadOnlyMapping> ReadOnlyMapping::Map(std::intptr_t file, std::uint64_t length) {
  const int fd = static_cast<int>(file);
  if (length == 0 || length > std::numeric_limits<std::size_t>::max()) return nullptr;
  const auto size = static_cast<std::size_t>(length);
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  if (address == MAP_FAILED) return nullptr;
  return std::unique_ptr<ReadOnlyMapping>(
      new ReadOnlyMapping(static_cast<const std::uint8_t*>(address), size));
}

bool ReadOnlyMapping::Populate(std::uint64_t offset, std::uint64_t length) const {
#ifdef MADV_POPULATE_READ
  if (offset >= length_ || offset % 4096 != 0) return false;
  length = std::min<std::uint64_t>(length, length_ - offset);
  // Unlike touching the bytes, this fails instead of raising SIGBUS where
  // the file has been cut short.
  return ::madvise(const_cast<std::uint8_t*>(address_) + offset, static_cast<std::size_t>(length),
                   MADV_POPULATE_READ) == 0;
#else
  (void)offset;
  (void)length;
  return false;
#endif
}

ReadOnlyMapping::~ReadOnlyMapping() { ::munmap(const_cast<std::uint8_t*>(address_), length_); }

std::string UserCacheDirectory() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    return std::string(home) + "/.cache";
  return {};
}

}  // namespace platform
