#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>

namespace platform {
namespace {

// A big file read through its mapping is read back in large pieces of the
// system's cache that are mapped whole, where the system can: a walk of a
// file of hundreds of megabytes then meets one fault per 2 MB instead of
// one per 64 KB, and the process ends without taking down a page table
// entry for every page. It changes nothing for a file already cached in
// small pieces, nor where the system has no such pieces.
void AskForLargePages(void* address, std::size_t length) {
#ifdef MADV_HUGEPAGE
  (void)::madvise(address, length, MADV_HUGEPAGE);
#else
  (void)address;
  (void)length;
#endif
}

// The mapped pieces of files that have a refill, where the bus-error
// handler finds them. A signal handler is given no context of its own, so
// this table is the process's; its slots are claimed and released with
// atomics, which the handler may read at any moment.
struct GuardedPiece {
  std::atomic<std::uint8_t*> start{nullptr};
  // Set before start is published, read after it.
  std::size_t length = 0;
  std::uint64_t offset = 0;
  MappedFile::RefillWith refill;
  std::atomic<bool> claimed{false};
};
// Room for every chunk of the largest cache mapped apart, with its head and more.
constexpr std::size_t kGuardedPieces = 8192;
GuardedPiece guarded_pieces[kGuardedPieces];
// One page is replaced at a time: a second thread faulting on the same page
// finds it replaced.
std::atomic_flag replacing = ATOMIC_FLAG_INIT;
struct sigaction previous_bus_action;
std::once_flag bus_handler_installed;

bool PageIsThere(std::uint8_t* page) {
#ifdef MADV_POPULATE_READ
  return ::madvise(page, 4096, MADV_POPULATE_READ) == 0;
#else
  (void)page;
  return false;
#endif
}

// A page of a guarded piece whose file was cut under it: a private page is
// filled aside and then moved over it in one step, so that no other thread
// sees it half filled.
bool ReplacePage(std::uint8_t* address) {
  for (GuardedPiece& piece : guarded_pieces) {
    std::uint8_t* start = piece.start.load(std::memory_order_acquire);
    if (start == nullptr || address < start || address >= start + piece.length) continue;
    const MappedFile::RefillWith& with = piece.refill;
    // The unit that holds the page, in the file and then in the piece.
    const std::uint64_t at = piece.offset + (static_cast<std::uint64_t>(address - start) & ~4095u);
    std::uint64_t first = at, end = at + 4096;
    if (at >= with.unit_start && with.unit_bytes > 4096) {
      first = at - (at - with.unit_start) % with.unit_bytes;
      end = first + with.unit_bytes;
    }
    first = std::max(first, piece.offset);
    end = std::min<std::uint64_t>(end, piece.offset + piece.length);
    const auto length = static_cast<std::size_t>(end - first);
    std::uint8_t* unit = start + (first - piece.offset);
    while (replacing.test_and_set(std::memory_order_acquire)) {
    }
    bool done = PageIsThere(start + (at - piece.offset));
    if (!done) {
      void* aside =
          ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (aside != MAP_FAILED) {
        with.refill(with.context, first, {static_cast<std::uint8_t*>(aside), length});
        done = ::mremap(aside, length, length, MREMAP_MAYMOVE | MREMAP_FIXED, unit) != MAP_FAILED;
        if (!done) ::munmap(aside, length);
      }
    }
    replacing.clear(std::memory_order_release);
    return done;
  }
  return false;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (ReplacePage(static_cast<std::uint8_t*>(info->si_addr))) return;
  // Not a guarded page: what was there before, which for a bus error is
  // usually the end of the process.
  if ((previous_bus_action.sa_flags & SA_SIGINFO) != 0 &&
      previous_bus_action.sa_sigaction != nullptr) {
    previous_bus_action.sa_sigaction(signal, info, context);
    return;
  }
  ::sigaction(SIGBUS, &previous_bus_action, nullptr);
}

void InstallBusHandler() {
  struct sigaction action {};
  action.sa_sigaction = &OnBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &previous_bus_action);
}

void Guard(std::uint8_t* start, std::size_t length, std::uint64_t offset,
           const MappedFile::RefillWith& refill) {
  std::call_once(bus_handler_installed, &InstallBusHandler);
  for (GuardedPiece& piece : guarded_pieces) {
    if (piece.claimed.exchange(true, std::memory_order_acq_rel)) continue;
    piece.length = length;
    piece.offset = offset;
    piece.refill = refill;
    piece.start.store(start, std::memory_order_release);
    return;
  }
}

void Unguard(void* start) {
  for (GuardedPiece& piece : guarded_pieces) {
    if (piece.start.load(std::memory_order_acquire) != start) continue;
    piece.start.store(nullptr, std::memory_order_release);
    piece.claimed.store(false, std::memory_order_release);
  }
}

// The shared hold is taken on the open file itself (flock), so a second
// open in this process holds it apart. Another opener holds the file alone
// only for a moment; one that keeps holding it (not a desk) is given up on
// after about a tenth of a second rather than waited for.
bool HoldShared(int fd) {
  for (int tries = 0; tries < 100; ++tries) {
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK) return false;
    ::usleep(1000);
  }
  return false;
}

}  // namespace

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
      (status.st_mode & 077) != 0 || !HoldShared(fd)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<MappedFile>(new MappedFile(fd));
}

std::uint64_t MappedFile::Size() const {
  struct stat status {};
  if (::fstat(static_cast<int>(file_), &status) != 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

bool MappedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = ::pread(static_cast<int>(file_), out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool MappedFile::Alone() {
  const int fd = static_cast<int>(file_);
  // Changing a hold may drop it first: when another holds the file, the
  // shared hold is taken again.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    HoldShared(fd);
    return false;
  }
  HoldShared(fd);
  return true;
}

MappedFile::~MappedFile() {
  for (const Mapping& mapping : mappings_) {
    if (refill_.refill != nullptr) Unguard(mapping.address);
    ::munmap(mapping.address, mapping.length);
  }
  ::close(static_cast<int>(file_));
}

std::span<std::uint8_t> MappedFile::Map(std::uint64_t offset, std::size_t length) {
  if (length == 0 || offset % 4096 != 0 || cut_) return {};
  // Extended after a cut, the file would give the pages mapped before it
  // as zeros, where the refill cannot see them.
  struct stat status {};
  if (::fstat(static_cast<int>(file_), &status) != 0 ||
      static_cast<std::uint64_t>(status.st_size) < mapped_end_) {
    cut_ = true;
    return {};
  }
  // posix_fallocate only ever extends the file, and reserves its blocks so
  // that writing through the mapping cannot fail for want of space.
  if (::posix_fallocate(static_cast<int>(file_), static_cast<off_t>(offset),
                        static_cast<off_t>(length)) != 0)
    return {};
  void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED,
                         static_cast<int>(file_), static_cast<off_t>(offset));
  if (address == MAP_FAILED) return {};
  AskForLargePages(address, length);
  mappings_.push_back({address, length});
  mapped_end_ = std::max<std::uint64_t>(mapped_end_, offset + length);
  if (refill_.refill != nullptr)
    Guard(static_cast<std::uint8_t*>(address), length, offset, refill_);
  return {static_cast<std::uint8_t*>(address), length};
}

std::unique_ptr<ReadOnlyMapping> ReadOnlyMapping::Map(std::intptr_t file, std::uint64_t length) {
  const int fd = static_cast<int>(file);
  if (length == 0 || length > std::numeric_limits<std::size_t>::max()) return nullptr;
  const auto size = static_cast<std::size_t>(length);
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  if (address == MAP_FAILED) return nullptr;
  AskForLargePages(address, size);
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
