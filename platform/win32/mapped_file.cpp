// Mapped files on Windows: the keystream cache's file, mapped piece by
// piece. Views of the record store's own files are not made here (see
// ReadOnlyMapping).
#include "platform/mapped_file.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "platform/win32/wide.h"

namespace platform {
namespace {

HANDLE HandleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

// The folder is %LOCALAPPDATA%'s, which only its user may read.
std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path) {
  const std::filesystem::path wide(win32::Utf8ToWide(path));
  std::error_code ignored;
  if (wide.has_parent_path()) std::filesystem::create_directories(wide.parent_path(), ignored);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return nullptr;
  }
  return std::unique_ptr<MappedFile>(new MappedFile(reinterpret_cast<std::intptr_t>(file)));
}

std::uint64_t MappedFile::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(HandleOf(file_), &size)) return 0;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool MappedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(HandleOf(file_), out.data() + done, want, &got, &at) || got == 0) return false;
    done += got;
  }
  return true;
}

// Windows refuses to cut a file that anyone has mapped, so a file found
// short was never cut under another opener's pages.
bool MappedFile::Alone() { return true; }

MappedFile::~MappedFile() {
  for (const Mapping& mapping : mappings_) UnmapViewOfFile(mapping.address);
  CloseHandle(HandleOf(file_));
}

// A view must start at a multiple of the allocation granularity (64 KiB),
// so it starts below `offset` and the piece asked for lies inside it. A
// mapping object as long as the piece's end grows the file, never shortens it.
std::span<std::uint8_t> MappedFile::Map(std::uint64_t offset, std::size_t length) {
  if (length == 0 || offset % 4096 != 0) return {};
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  const std::uint64_t granularity = info.dwAllocationGranularity;
  const std::uint64_t start = offset / granularity * granularity;
  const std::uint64_t end = offset + length;
  HANDLE section =
      CreateFileMappingW(HandleOf(file_), nullptr, PAGE_READWRITE, static_cast<DWORD>(end >> 32),
                         static_cast<DWORD>(end), nullptr);
  if (section == nullptr) return {};
  void* address =
      MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, static_cast<DWORD>(start >> 32),
                    static_cast<DWORD>(start), static_cast<SIZE_T>(end - start));
  // The view keeps the mapping object alive.
  CloseHandle(section);
  if (address == nullptr) return {};
  mappings_.push_back({address, static_cast<std::size_t>(end - start)});
  return {static_cast<std::uint8_t*>(address) + (offset - start), length};
}

std::unique_ptr<ReadOnlyMapping> ReadOnlyMapping::Map(std::intptr_t, std::uint64_t) {
  return nullptr;
}

bool ReadOnlyMapping::Populate(std::uint64_t, std::uint64_t) const { return false; }

ReadOnlyMapping::~ReadOnlyMapping() { UnmapViewOfFile(address_); }

std::string UserCacheDirectory() {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, 32768);
  if (n == 0 || n >= 32768) return {};
  return win32::WideToUtf8({buffer, n});
}

}  // namespace platform
