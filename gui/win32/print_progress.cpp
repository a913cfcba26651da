#include "gui/win32/print_progress.h"

#include <commctrl.h>

#include <vector>

namespace gui::win32 {
namespace {

constexpr int kAbort = 1;

}  // namespace

PrintProgressWindow::PrintProgressWindow(HWND owner) : owner_(owner) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  if (!Create(L"OrderDeskPrintProgress", Wide(report::print_text::ProgressTitle()),
              WS_POPUP | WS_CAPTION | WS_SYSMENU, 420, 120, owner))
    return;
  label_ = AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 12, 12, 396, 40, 0);
  bar_ = AddControl(PROGRESS_CLASSW, L"", 0, 12, 56, 396, 18, 0);
  SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
  abort_ = AddControl(L"BUTTON", Wide(report::print_text::AbortButton()),
                      WS_TABSTOP | BS_DEFPUSHBUTTON, 160, 84, 100, 28, kAbort);
  if (owner_) owner_was_enabled_ = !EnableWindow(owner_, FALSE);
}

PrintProgressWindow::~PrintProgressWindow() {
  // The owner is enabled again before this window goes, so that Windows
  // hands the activation back to it.
  if (owner_ && owner_was_enabled_) EnableWindow(owner_, TRUE);
}

void PrintProgressWindow::Show(const report::Text& message, int percent) {
  if (!hwnd()) return;
  SetWindowTextW(label_, Wide(message).c_str());
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  if (!IsWindowVisible(hwnd())) ShowWindow(hwnd(), SW_SHOWNORMAL);
  UpdateWindow(hwnd());
  PumpMessages(hwnd());
}

bool PrintProgressWindow::AbortRequested() {
  if (hwnd()) PumpMessages(hwnd());
  return abort_requested_;
}

std::wstring PrintProgressWindow::message() const {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(label_)) + 1);
  GetWindowTextW(label_, text.data(), static_cast<int>(text.size()));
  return text.data();
}

int PrintProgressWindow::percent() const {
  return static_cast<int>(SendMessageW(bar_, PBM_GETPOS, 0, 0));
}

LRESULT PrintProgressWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kAbort || LOWORD(wparam) == IDCANCEL) abort_requested_ = true;
      return 0;
    case WM_CLOSE:
      // Closing the window asks to stop; the job takes it between pages.
      abort_requested_ = true;
      return 0;
    default:
      return PrintWindow::Handle(message, wparam, lparam);
  }
}

}  // namespace gui::win32
