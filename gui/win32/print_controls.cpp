#include "gui/win32/print_controls.h"

#include <algorithm>

#include "gui/win32/gdi_painter.h"
#include "platform/win32/wide.h"

namespace gui::win32 {

std::wstring Wide(std::string_view gbk) { return platform::win32::GbkToWide(gbk); }
std::string Gbk(std::wstring_view wide) { return platform::win32::WideToGbk(wide); }

PrintWindow::~PrintWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
}

bool PrintWindow::Create(const wchar_t* class_name, const std::wstring& title, DWORD style,
                         int width, int height, HWND owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, class_name, &existing)) {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = Dispatch;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = class_name;
    type.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!RegisterClassExW(&type)) return false;
  }
  // The message font, in a face that has the Chinese characters.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HDC screen = GetDC(nullptr);
  GdiFaces faces(screen);
  const GdiFaces::Face& face = faces.FaceFor("");
  ReleaseDC(nullptr, screen);
  LOGFONTW font = metrics.lfMessageFont;
  font.lfHeight = std::min(font.lfHeight, -12L);
  font.lfCharSet = face.charset;
  std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), L'\0');
  std::copy_n(face.name.begin(), std::min<std::size_t>(face.name.size(), LF_FACESIZE - 1),
              font.lfFaceName);
  font_ = CreateFontIndirectW(&font);

  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT over{};
  if (!owner || !GetWindowRect(owner, &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  const int x = std::max(0, static_cast<int>(over.left + (over.right - over.left - w) / 2));
  const int y = std::max(0, static_cast<int>(over.top + (over.bottom - over.top - h) / 2));
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, class_name, title.c_str(),
                          style, x, y, w, h, owner, nullptr, instance, this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK PrintWindow::Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<PrintWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PrintWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT PrintWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

HWND PrintWindow::AddControl(const wchar_t* control_class, const std::wstring& text, DWORD style,
                             int x, int y, int width, int height, int id) {
  HWND control = CreateWindowExW(
      0, control_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (control && font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  return control;
}

void RunModalLoop(HWND window, const bool* done) {
  MSG message;
  while (!*done && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void PumpMessages(HWND window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Kept for the loop that owns the program.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace gui::win32
