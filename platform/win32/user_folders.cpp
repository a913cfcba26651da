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

// %LOCALAPPDATA% without a trailing separator; nullopt when it is not set.
std::optional<std::wstring> LocalAppData() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n =
      GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::nullopt;
  std::wstring base(buffer.data(), n);
  while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
  if (base.empty()) return std::nullopt;
  return base;
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

// True for a folder inside the folders programs are installed in (the
// machine's programs folders, the user's own programs folder) or the
// Windows folder: a desk installed there keeps its data in the user's data
// folder, also where an administrator (or the user, in their own programs
// folder) could write beside it.
bool InSystemFolder(const std::wstring& folder) {
  const std::wstring path = Comparable(folder);
  std::vector<std::wstring> system;
  for (int id : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS}) {
    wchar_t found[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, found)) && found[0])
      system.emplace_back(found);
  }
  wchar_t* user_programs = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_UserProgramFiles, 0, nullptr, &user_programs)) &&
      user_programs) {
    system.emplace_back(user_programs);
  } else if (auto local = LocalAppData()) {
    // Systems that do not name the folder keep it at its usual place.
    system.push_back(*local + L"\\Programs");
  }
  CoTaskMemFree(user_programs);
  for (const std::wstring& root : system)
    if (path.rfind(Comparable(root), 0) == 0) return true;
  return false;
}

}  // namespace

std::optional<std::string> UserDataDirectory(std::string_view name) {
  const auto base = LocalAppData();
  if (!base) return std::nullopt;
  return win32::WideToGbk(*base + L"\\" + win32::Utf8ToWide(name));
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
