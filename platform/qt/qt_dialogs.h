// Message boxes, the password prompt, web pages and the mouse pointer with Qt.
#pragma once

#include "platform/services.h"

namespace platform {

// The dynamic property that marks the top-level window whose status bar is
// the desk's status line (the main window).
inline constexpr char kStatusLineProperty[] = "orderdeskStatusLine";

class QtDialogs : public UserDialogs {
 public:
  // A QMessageBox with the style's buttons, icon and default button.
  BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                           std::uint32_t style) override;
  void ShowRuntimeError(std::string_view text) override;
  std::optional<std::string> AskPassword(std::string_view prompt,
                                         std::string_view caption) override;
  // A save dialog that asks before replacing a file.
  std::optional<std::string> AskSaveFileName(std::string_view caption,
                                             std::string_view proposed_path,
                                             std::string_view filter) override;
  bool OpenWebPage(std::string_view address) override;
  // Shown in the status bar of the window marked with kStatusLineProperty.
  void ShowStatus(std::string_view gbk) override;
  // A QProgressDialog that appears after half a second.
  std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                               std::string_view text) override;
  int CursorX() override;
  int CursorY() override;
};

}  // namespace platform
