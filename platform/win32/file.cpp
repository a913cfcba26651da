// Files, sharing modes and byte-range locks on Windows.
#include "platform/file.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/gbk.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using win32::FromWindowsError;
using win32::GbkToWide;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED place{};
  place.Offset = static_cast<DWORD>(offset);
  place.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return place;
}

constexpr DWORD kLargestTransfer = 1u << 30;

// Windows locks differ from the POSIX ones the record store was first built
// on: a lock may not overlap another lock of the same handle, and an unlock
// must name exactly a range that was locked. This file keeps the ranges it
// has locked (`pieces_`) so that it can give the record store the POSIX
// rules: locking bytes already held succeeds, and any part of a held range
// can be unlocked. The record store keeps its ranges exact, so the
// splitting below is seldom needed.
class WindowsFile : public File {
 public:
  WindowsFile(HANDLE handle, bool writable) : handle_(handle), writable_(writable) {}
  ~WindowsFile() override {
    for (const auto& [begin, end] : pieces_) UnlockPiece(begin, end);
    CloseHandle(handle_);
  }
  WindowsFile(const WindowsFile&) = delete;
  WindowsFile& operator=(const WindowsFile&) = delete;

  // A read of bytes another process has locked fails with a lock violation:
  // the record store refuses it as it refuses a lock it cannot get.
  FileResult<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    std::size_t done = 0;
    while (done < out.size()) {
      OVERLAPPED place = At(offset + done);
      const DWORD want =
          static_cast<DWORD>(std::min<std::size_t>(out.size() - done, kLargestTransfer));
      DWORD got = 0;
      if (!ReadFile(handle_, out.data() + done, want, &got, &place)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        return {done, FromWindowsError(error)};
      }
      if (got == 0) break;
      done += got;
    }
    return {done, FileError::kNone};
  }

  FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    if (!writable_) return FileError::kAccessDenied;
    std::size_t done = 0;
    while (done < data.size()) {
      OVERLAPPED place = At(offset + done);
      const DWORD want =
          static_cast<DWORD>(std::min<std::size_t>(data.size() - done, kLargestTransfer));
      DWORD put = 0;
      if (!WriteFile(handle_, data.data() + done, want, &put, &place))
        return FromWindowsError(GetLastError());
      if (put == 0) return FileError::kDiskFull;
      done += put;
    }
    return FileError::kNone;
  }

  FileResult<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return {0, FromWindowsError(GetLastError())};
    return {static_cast<std::uint64_t>(size.QuadPart), FileError::kNone};
  }

  // A file that some process has mapped cannot be made shorter
  // (ERROR_USER_MAPPED_FILE); this program maps the files it shares with
  // other desks for nothing, so that never stands in a purge's way.
  FileError Truncate(std::uint64_t size) override {
    if (!writable_) return FileError::kAccessDenied;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end))
      return FromWindowsError(GetLastError());
    return FileError::kNone;
  }

  FileError Flush() override {
    if (!writable_) return FileError::kNone;
    return FlushFileBuffers(handle_) ? FileError::kNone : FromWindowsError(GetLastError());
  }

  FileError Lock(std::uint64_t offset, std::uint64_t length) override {
    if (length == 0) return FileError::kNone;
    const std::uint64_t end = offset + length;
    // The parts of the range not held yet, each locked as a piece of its own.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> gaps;
    std::uint64_t from = offset;
    for (auto it = FirstOverlapping(offset); it != pieces_.end() && it->first < end; ++it) {
      if (it->first > from) gaps.emplace_back(from, it->first);
      from = std::max(from, it->second);
    }
    if (from < end) gaps.emplace_back(from, end);
    for (std::size_t i = 0; i < gaps.size(); ++i) {
      const FileError error = LockPiece(gaps[i].first, gaps[i].second);
      if (error != FileError::kNone) {
        for (std::size_t k = 0; k < i; ++k) UnlockPiece(gaps[k].first, gaps[k].second);
        return error;
      }
    }
    for (const auto& gap : gaps) pieces_.emplace(gap.first, gap.second);
    return FileError::kNone;
  }

  FileError Unlock(std::uint64_t offset, std::uint64_t length) override {
    if (length == 0) return FileError::kNone;
    const std::uint64_t end = offset + length;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> kept;
    for (auto it = FirstOverlapping(offset); it != pieces_.end() && it->first < end;) {
      const auto [begin, piece_end] = *it;
      UnlockPiece(begin, piece_end);
      it = pieces_.erase(it);
      // A piece that reaches beyond the range keeps its outer parts locked.
      if (begin < offset) kept.emplace_back(begin, offset);
      if (piece_end > end) kept.emplace_back(end, piece_end);
    }
    FileError result = FileError::kNone;
    for (const auto& part : kept) {
      const FileError error = LockPiece(part.first, part.second);
      if (error == FileError::kNone)
        pieces_.emplace(part.first, part.second);
      else
        result = error;
    }
    return result;
  }

 private:
  // The first held piece that ends after `offset`.
  std::map<std::uint64_t, std::uint64_t>::iterator FirstOverlapping(std::uint64_t offset) {
    auto it = pieces_.upper_bound(offset);
    if (it != pieces_.begin() && std::prev(it)->second > offset) --it;
    return it;
  }

  // A file open for reading only takes a shared lock, which still keeps
  // every other opener's lock, and every other process's writes, out.
  FileError LockPiece(std::uint64_t begin, std::uint64_t end) {
    OVERLAPPED place = At(begin);
    const std::uint64_t length = end - begin;
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (writable_ ? static_cast<DWORD>(LOCKFILE_EXCLUSIVE_LOCK) : 0);
    if (LockFileEx(handle_, flags, 0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32),
                   &place))
      return FileError::kNone;
    const DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
      return FileError::kLockViolation;
    return FromWindowsError(error);
  }

  void UnlockPiece(std::uint64_t begin, std::uint64_t end) {
    OVERLAPPED place = At(begin);
    const std::uint64_t length = end - begin;
    UnlockFileEx(handle_, 0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32), &place);
  }

  HANDLE handle_;
  bool writable_;
  // Locked ranges [first, second), apart from each other, by their start.
  std::map<std::uint64_t, std::uint64_t> pieces_;
};

class SystemWaitingImpl : public Waiting {
 public:
  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(GetTickCount64()); }
  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

DWORD ShareModeOf(FileSharing sharing) {
  switch (sharing) {
    case FileSharing::kShareAll:
      return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    case FileSharing::kDenyRead:
      return FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    case FileSharing::kDenyWrite:
      return FILE_SHARE_READ | FILE_SHARE_DELETE;
    case FileSharing::kExclusive:
      return 0;
  }
  return 0;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where the last part of a GBK path starts (after its last single-byte
// separator), or npos when it has none.
std::size_t LastSeparator(std::string_view gbk_path) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < gbk_path.size(); i += CharLength(gbk_path, i))
    if (IsSeparator(gbk_path[i])) last = i;
  return last;
}

}  // namespace

OpenedFile OpenFile(std::string_view gbk_path, FileAccess access, FileSharing sharing) {
  if (gbk_path.empty()) return {nullptr, FileError::kNotFound};
  const bool writes = access == FileAccess::kReadWrite;
  HANDLE handle =
      CreateFileW(GbkToWide(gbk_path).c_str(), GENERIC_READ | (writes ? GENERIC_WRITE : 0),
                  ShareModeOf(sharing), nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {nullptr, FromWindowsError(GetLastError())};
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return {nullptr, FileError::kAccessDenied};
  }
  return {std::make_unique<WindowsFile>(handle, writes), FileError::kNone};
}

OpenedFile CreateNewFile(std::string_view gbk_path) {
  if (gbk_path.empty()) return {nullptr, FileError::kNotFound};
  HANDLE handle = CreateFileW(GbkToWide(gbk_path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {nullptr, FromWindowsError(GetLastError())};
  return {std::make_unique<WindowsFile>(handle, true), FileError::kNone};
}

bool RemoveFile(std::string_view gbk_path) {
  return !gbk_path.empty() && DeleteFileW(GbkToWide(gbk_path).c_str()) != 0;
}

// The copy lies beside the file and takes its folder's security, which is
// what the owner of the file set.
bool CopyToNewFile(std::string_view gbk_from, std::string_view gbk_to) {
  if (gbk_from.empty() || gbk_to.empty()) return false;
  return CopyFileW(GbkToWide(gbk_from).c_str(), GbkToWide(gbk_to).c_str(), TRUE) != 0;
}

std::optional<std::uint64_t> FreeSpaceBeside(std::string_view gbk_path) {
  // The volume is named by the file's folder.
  std::wstring folder = GbkToWide(gbk_path);
  const std::size_t slash = folder.find_last_of(L"\\/");
  folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash + 1);
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

FileOpener SystemFileOpener() { return &OpenFile; }

std::string FullPath(std::string_view gbk_path) {
  const std::wstring wide = GbkToWide(gbk_path);
  if (wide.empty()) return std::string(gbk_path);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::string(gbk_path);
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (written == 0 || written >= n) return std::string(gbk_path);
  full.resize(written);
  // A trailing separator left by "dir\." is not part of a file name.
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return win32::WideToGbk(full);
}

bool PathExists(std::string_view gbk_path) {
  if (gbk_path.empty()) return false;
  return GetFileAttributesW(GbkToWide(gbk_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> FindIgnoringCase(std::string_view gbk_path) {
  if (PathExists(gbk_path)) return std::string(gbk_path);
  const std::string path(gbk_path);
  const std::size_t slash = LastSeparator(path);
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::wstring pattern = GbkToWide(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<std::string> matches;
  do {
    std::string entry_name = win32::WideToGbk(entry.cFileName);
    if (EqualIgnoreCase(entry_name, name)) matches.push_back(entry_name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
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
