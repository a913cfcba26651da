// The progress window of a print job on Windows: where the pages go, a bar,
// and the button that stops the job between pages. While it is open the
// window it belongs to takes no input: a second print started from inside
// this one would interleave with it.
#pragma once

#include "gui/win32/print_controls.h"
#include "report/printing.h"

namespace gui::win32 {

class PrintProgressWindow : public PrintWindow, public report::PrintProgress {
 public:
  explicit PrintProgressWindow(HWND owner);
  ~PrintProgressWindow() override;

  void Show(const report::Text& message, int percent) override;
  bool AbortRequested() override;

  // What the window shows, for tests.
  std::wstring message() const;
  int percent() const;
  HWND abort_button() const { return abort_; }

 protected:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  HWND owner_;
  bool owner_was_enabled_ = false;
  HWND label_ = nullptr, bar_ = nullptr, abort_ = nullptr;
  bool abort_requested_ = false;
};

}  // namespace gui::win32
