// Message boxes, the password prompt, the save dialog, web pages, the status
// line and the clipboard with Windows' own dialogs; texts are GBK inside and
// UTF-16 only where they meet the system.
#pragma once

#include "platform/services.h"

namespace platform::win32 {

// The window property that marks the status bar of the main window, the
// desk's status line.
inline constexpr wchar_t kStatusLineProp[] = L"OrderDeskStatusLine";

class Dialogs : public UserDialogs {
 public:
  // MessageBoxW over the active window: the style's buttons, icon and default
  // button are the system's own, the buttons labelled in Chinese.
  BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                           std::uint32_t style) override;
  void ShowRuntimeError(std::string_view text) override;
  // A small modal window with a hidden-text box, OK and Cancel.
  std::optional<std::string> AskPassword(std::string_view prompt,
                                         std::string_view caption) override;
  // GetSaveFileNameW, asking before an existing file is replaced.
  std::optional<std::string> AskSaveFileName(std::string_view caption,
                                             std::string_view proposed_path,
                                             std::string_view filter) override;
  bool OpenWebPage(std::string_view address) override;
  // A small window with the text and a bar, shown after half a second.
  std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                               std::string_view text) override;
  // Shown in the status bar marked with kStatusLineProp.
  void ShowStatus(std::string_view gbk) override;
  int CursorX() override;
  int CursorY() override;
};

// The clipboard's CF_UNICODETEXT.
class Clipboard : public platform::Clipboard {
 public:
  std::optional<std::string> GetText() override;
  bool SetText(std::string_view gbk) override;
};

}  // namespace platform::win32
