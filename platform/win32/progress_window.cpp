#include "platform/win32/progress_window.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <string>

#include "platform/win32/wide.h"

namespace platform::win32 {
namespace {

constexpr ULONGLONG kShowAfterMs = 500;
constexpr wchar_t kClassName[] = L"OrderDeskProgress";

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // The task ends the window; closing it by hand would leave the task
  // running behind nothing.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

class NativeProgressWindow : public ProgressWindow {
 public:
  NativeProgressWindow(std::wstring caption, std::wstring text)
      : caption_(std::move(caption)), text_(std::move(text)), started_(GetTickCount64()) {
    owner_ = GetActiveWindow();
  }
  ~NativeProgressWindow() override {
    // The owner takes input again before this window goes, so that Windows
    // hands the activation back to it.
    if (owner_ != nullptr && owner_disabled_) EnableWindow(owner_, TRUE);
    if (window_ != nullptr) DestroyWindow(window_);
  }
  NativeProgressWindow(const NativeProgressWindow&) = delete;
  NativeProgressWindow& operator=(const NativeProgressWindow&) = delete;

  void Show(int percent) override {
    if (window_ == nullptr) {
      if (GetTickCount64() - started_ < kShowAfterMs) return;
      Create();
      if (window_ == nullptr) return;
    }
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
    UpdateWindow(window_);
    // Paints and keeps the desktop answering; the user's input waits.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if ((message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
          (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST))
        continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

 private:
  void Create() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW kind{};
    if (!GetClassInfoW(instance, kClassName, &kind)) {
      kind.lpfnWndProc = &ProgressProc;
      kind.hInstance = instance;
      kind.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // the hourglass
      kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      kind.lpszClassName = kClassName;
      RegisterClassW(&kind);
    }
    RECT frame{0, 0, 400, 84};
    const DWORD style = WS_POPUP | WS_CAPTION;
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT over{};
    if (owner_ == nullptr || !GetWindowRect(owner_, &over))
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, caption_.c_str(), style,
                              over.left + (over.right - over.left - width) / 2,
                              over.top + (over.bottom - over.top - height) / 2, width, height,
                              owner_, nullptr, instance, nullptr);
    if (window_ == nullptr) return;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND label = CreateWindowExW(0, L"STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                 12, 12, 376, 24, window_, nullptr, instance, nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 12, 44, 376, 20, window_,
                           nullptr, instance, nullptr);
    SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
    if (owner_ != nullptr) owner_disabled_ = !EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOWNORMAL);
  }

  std::wstring caption_, text_;
  ULONGLONG started_;
  HWND owner_ = nullptr;
  bool owner_disabled_ = false;
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
};

}  // namespace

std::unique_ptr<ProgressWindow> OpenProgressWindow(std::string_view caption,
                                                   std::string_view text) {
  return std::make_unique<NativeProgressWindow>(GbkToWide(caption), GbkToWide(text));
}

}  // namespace platform::win32
