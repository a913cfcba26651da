// What the printing windows share: a window whose object gets its
// messages, child controls made in code, the font they are shown in, and
// a modal run of the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace gui::win32 {

// GBK as the system's UTF-16 and back.
std::wstring Wide(std::string_view gbk);
std::string Gbk(std::wstring_view wide);

// A top-level window belonging to this object: the object gets the
// window's messages from its creation on and outlives the window.
class PrintWindow {
 public:
  virtual ~PrintWindow();
  PrintWindow(const PrintWindow&) = delete;
  PrintWindow& operator=(const PrintWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  PrintWindow() = default;
  // Makes the window (of a class registered once per process under
  // `class_name`), `width` by `height` client pixels, centred over `owner`
  // (or the screen).
  bool Create(const wchar_t* class_name, const std::wstring& title, DWORD style, int width,
              int height, HWND owner);
  // A message for the window; DefWindowProcW's answer for what it leaves.
  virtual LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // A child control with the window's font.
  HWND AddControl(const wchar_t* control_class, const std::wstring& text, DWORD style, int x, int y,
                  int width, int height, int id);
  HFONT font() const { return font_; }

 private:
  static LRESULT CALLBACK Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
};

// Runs the message loop until `*done`, with the dialog keys (Tab, Enter,
// Esc) working in `window`.
void RunModalLoop(HWND window, const bool* done);

// Hands out the messages waiting, without waiting for more.
void PumpMessages(HWND window);

}  // namespace gui::win32
