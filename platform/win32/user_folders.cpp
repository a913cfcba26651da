// The user's folders on Windows: the program's data under %LOCALAPPDATA%,
// which only its user may read. The local folder, not the roaming one: the
// data files grow large and are kept open, mapped and locked while the desk
// runs, which a roaming profile's copying at every sign-in and sign-out
// neither wants nor does safely.
#include "platform/user_folders.h"

#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform/win32/wide.h"

namespace platform {
namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The path in one spelling for comparing: backslashes, lower case, one
// trailing backslash.
std::wstring Comparable(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  std::transform(path.begin(), path.end(), path.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path + L'\\';
}

// True for a folder inside the system's own folders (the programs folders,
// the Windows folder): an administrator may write there, but a desk
// installed there keeps its data in the user's folder all the same.
bool InSystemFolder(const std::wstring& folder) {
  const std::wstring path = Comparable(folder);
  for (int id : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS}) {
    wchar_t system[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, system)) || !system[0])
      continue;
    if (path.rfind(Comparable(system), 0) == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> UserDataDirectory(std::string_view name) {
  std::vector<wchar_t> buffer(32768);
  const DWORD n =
      GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::nullopt;
  std::wstring base(buffer.data(), n);
  while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
  if (base.empty()) return std::nullopt;
  return win32::WideToGbk(base + L"\\" + win32::Utf8ToWide(name));
}

bool IsUsersOwnFolder(std::string_view gbk_path) {
  const std::wstring folder = win32::GbkToWide(gbk_path);
  if (!IsFolder(folder) || InSystemFolder(folder)) return false;
  // Windows answers "may I write here" only by trying: a probe file that
  // the system removes as it is closed.
  const std::wstring probe = folder + L"\\.orderdesk-write-probe";
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool MakePrivateFolder(std::string_view gbk_path) {
  const std::wstring path = win32::GbkToWide(gbk_path);
  if (path.empty()) return false;
  // Each missing folder from the top down; a new folder takes the rights of
  // the user's profile folder it is made in.
  for (std::size_t slash = path.find_first_of(L"\\/", 3);;
       slash = path.find_first_of(L"\\/", slash + 1)) {
    const std::wstring part = path.substr(0, slash);
    if (!IsFolder(part) && !CreateDirectoryW(part.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    if (slash == std::wstring::npos) break;
  }
  return IsFolder(path);
}

}  // namespace platform
