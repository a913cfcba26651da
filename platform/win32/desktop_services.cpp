#include "platform/win32/desktop_services.h"

// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on

#include <cstring>
#include <string>
#include <vector>

#include "platform/gbk.h"
#include "platform/win32/progress_window.h"
#include "platform/win32/wide.h"

namespace platform::win32 {
namespace {

HWND Owner() {
  HWND active = GetActiveWindow();
  return active != nullptr ? active : GetForegroundWindow();
}

BOOL CALLBACK FindStatusLine(HWND hwnd, LPARAM found) {
  if (HANDLE bar = GetPropW(hwnd, kStatusLineProp)) {
    *reinterpret_cast<HWND*>(found) = static_cast<HWND>(bar);
    return FALSE;
  }
  return TRUE;
}

// The password prompt's state, kept on its window.
struct Prompt {
  HWND edit = nullptr;
  bool done = false;
  bool accepted = false;
  std::wstring text;
};

LRESULT CALLBACK PromptProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* prompt = reinterpret_cast<Prompt*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (prompt != nullptr) {
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
      prompt->accepted = LOWORD(wparam) == IDOK;
      if (prompt->accepted) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(prompt->edit)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(prompt->edit, text.data(), static_cast<int>(text.size()))));
        prompt->text = std::move(text);
      }
      prompt->done = true;
      return 0;
    }
    if (message == WM_CLOSE) {
      prompt->done = true;
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND Child(HWND parent, const wchar_t* type, const std::wstring& text, DWORD style, int x, int y,
           int width, int height, int id) {
  HWND child = CreateWindowExW(std::wcscmp(type, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, type,
                               text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  return child;
}

// The dialog's filter from "PDF 文件 (*.pdf)" or several such kinds separated
// by ";;": each kind's name, then its patterns. `ends` gets each kind's first
// end ("pdf"), empty where it has none.
std::wstring FilterOf(std::string_view filter, std::vector<std::wstring>& ends) {
  std::wstring out;
  std::wstring all = GbkToWide(filter);
  std::size_t from = 0;
  while (from <= all.size()) {
    std::size_t to = all.find(L";;", from);
    if (to == std::wstring::npos) to = all.size();
    std::wstring name = all.substr(from, to - from);
    from = to + 2;
    if (name.empty()) continue;
    std::wstring patterns = L"*.*";
    auto open = name.rfind(L'('), close = name.rfind(L')');
    if (open != std::wstring::npos && close != std::wstring::npos && close > open + 1)
      patterns = name.substr(open + 1, close - open - 1);
    for (wchar_t& ch : patterns)
      if (ch == L' ') ch = L';';
    std::wstring end;
    if (patterns.rfind(L"*.", 0) == 0) {
      end = patterns.substr(2, patterns.find(L';') - 2);
      if (end.find_first_of(L"*?") != std::wstring::npos) end.clear();
    }
    ends.push_back(end);
    out += name;
    out += L'\0';
    out += patterns;
    out += L'\0';
  }
  return out;
}

// The system's message box labels its buttons in the system's language;
// the desk's boxes speak Chinese on any Windows. A hook on the calling
// thread sees the box as it is activated and relabels its buttons; the
// hook procedure gets no context, and needs none.
LRESULT CALLBACK RelabelBoxButtons(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    auto box = reinterpret_cast<HWND>(wparam);
    wchar_t type[16] = {};
    GetClassNameW(box, type, 16);
    if (std::wcscmp(type, L"#32770") == 0) {
      static constexpr struct {
        int id;
        const wchar_t* text;
      } kLabels[] = {{IDOK, L"\u786e\u5b9a"},    {IDCANCEL, L"\u53d6\u6d88"},
                     {IDYES, L"\u662f"},         {IDNO, L"\u5426"},
                     {IDABORT, L"\u4e2d\u6b62"}, {IDRETRY, L"\u91cd\u8bd5"},
                     {IDIGNORE, L"\u5ffd\u7565"}};
      for (const auto& label : kLabels)
        if (HWND button = GetDlgItem(box, label.id)) SetWindowTextW(button, label.text);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The hook is held for one box's life.
class ChineseButtons {
 public:
  ChineseButtons()
      : hook_(SetWindowsHookExW(WH_CBT, &RelabelBoxButtons, nullptr, GetCurrentThreadId())) {}
  ~ChineseButtons() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  ChineseButtons(const ChineseButtons&) = delete;
  ChineseButtons& operator=(const ChineseButtons&) = delete;

 private:
  HHOOK hook_;
};

int ShowBox(const std::wstring& text, const std::wstring& caption, UINT style) {
  ChineseButtons labels;
  return MessageBoxW(Owner(), text.c_str(), caption.c_str(), style);
}

}  // namespace

BoxAnswer Dialogs::ShowMessageBox(std::string_view text, std::string_view caption,
                                  std::uint32_t style) {
  // The style's bits are the system's own: buttons, icon, default button.
  int pressed = ShowBox(GbkToWide(text), GbkToWide(caption), (style & 0xF7F) | MB_TASKMODAL);
  // IDOK (1) ... IDNO (7) follow the answers' order.
  if (pressed < IDOK || pressed > IDNO) return BoxAnswer::kCancel;
  return static_cast<BoxAnswer>(pressed - 1);
}

void Dialogs::ShowRuntimeError(std::string_view text) {
  ShowBox(GbkToWide(text), L"\u9519\u8bef", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

std::optional<std::string> Dialogs::AskPassword(std::string_view prompt_text,
                                                std::string_view caption) {
  static constexpr wchar_t kClass[] = L"OrderDeskPassword";
  WNDCLASSW wc{};
  if (!GetClassInfoW(GetModuleHandleW(nullptr), kClass, &wc)) {
    wc.lpfnWndProc = &PromptProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
  }
  HWND owner = Owner();
  Prompt prompt;
  RECT outer{0, 0, 320, 110};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME);
  HWND window =
      CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, GbkToWide(caption).c_str(), style, CW_USEDEFAULT,
                      CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, owner,
                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return std::nullopt;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&prompt));
  Child(window, L"STATIC", GbkToWide(prompt_text), SS_LEFT, 10, 10, 300, 20, 0);
  prompt.edit =
      Child(window, L"EDIT", L"", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 10, 34, 300, 22, 100);
  Child(window, L"BUTTON", L"\u786e\u5b9a", WS_TABSTOP | BS_DEFPUSHBUTTON, 150, 72, 75, 26, IDOK);
  Child(window, L"BUTTON", L"\u53d6\u6d88", WS_TABSTOP | BS_PUSHBUTTON, 235, 72, 75, 26, IDCANCEL);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetFocus(prompt.edit);
  MSG msg;
  while (!prompt.done) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // Tab, Enter (OK) and Esc (Cancel) as in any dialog.
    if (!IsDialogMessageW(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (owner != nullptr) EnableWindow(owner, TRUE);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  if (owner != nullptr) SetActiveWindow(owner);
  if (!prompt.accepted) return std::nullopt;
  return WideToGbk(prompt.text);
}

std::optional<std::string> Dialogs::AskSaveFileName(std::string_view caption,
                                                    std::string_view proposed_path,
                                                    std::string_view filter) {
  std::wstring file = GbkToWide(proposed_path);
  for (wchar_t& ch : file)
    if (ch == L'/') ch = L'\\';
  file.resize(std::max<std::size_t>(file.size() + 1, 32768), L'\0');
  std::wstring title = GbkToWide(caption);
  std::vector<std::wstring> ends;
  std::wstring filters = FilterOf(filter, ends);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Owner();
  dialog.lpstrFilter = filters.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  // With a default end the dialog gives a bare name the end of the kind
  // chosen, before it asks about replacing a file.
  if (!ends.empty() && !ends.front().empty()) dialog.lpstrDefExt = ends.front().c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  file.resize(std::wcslen(file.c_str()));
  // A dialog that left the name bare all the same gets the chosen kind's end.
  const std::size_t kind = dialog.nFilterIndex >= 1 ? dialog.nFilterIndex - 1 : 0;
  const std::size_t name_at = file.find_last_of(L"\\/") + 1;
  if (kind < ends.size() && !ends[kind].empty() && file.find(L'.', name_at) == std::wstring::npos)
    file += L"." + ends[kind];
  return WideToGbk(file);
}

bool Dialogs::OpenWebPage(std::string_view address) {
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", GbkToWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

std::unique_ptr<ProgressWindow> Dialogs::OpenProgress(std::string_view caption,
                                                      std::string_view text) {
  return OpenProgressWindow(caption, text);
}

void Dialogs::ShowStatus(std::string_view gbk) {
  HWND bar = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindStatusLine, reinterpret_cast<LPARAM>(&bar));
  if (bar != nullptr) SetWindowTextW(bar, GbkToWide(gbk).c_str());
}

int Dialogs::CursorX() {
  POINT at{};
  GetCursorPos(&at);
  return at.x;
}

int Dialogs::CursorY() {
  POINT at{};
  GetCursorPos(&at);
  return at.y;
}

std::optional<std::string> Clipboard::GetText() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
      text = WideToGbk(std::wstring_view(wide, wcsnlen(wide, limit)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool Clipboard::SetText(std::string_view gbk) {
  std::wstring wide = GbkToWide(gbk);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
  if (memory == nullptr) return false;
  if (auto* target = static_cast<wchar_t*>(GlobalLock(memory))) {
    std::memcpy(target, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
  }
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it takes it.
  bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

}  // namespace platform::win32
