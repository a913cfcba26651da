// Ties the driver to the form runtime of a headless run: what happens to the
// windows goes into the transcript (WINDOW open/close, FOCUS, POPUP MENU),
// and `:UNIT` arguments of `call` resolve to unit references.
#pragma once

#include "driver/driver.h"
#include "forms/form_runtime.h"

namespace driver {

class WindowTranscript : public forms::RuntimeObserver {
 public:
  // Watches `forms` for as long as it lives.
  WindowTranscript(Driver& driver, forms::FormRuntime& forms);
  ~WindowTranscript() override;
  WindowTranscript(const WindowTranscript&) = delete;
  WindowTranscript& operator=(const WindowTranscript&) = delete;

  void WindowOpened(const forms::Window& window) override;
  void WindowClosed(const forms::Window& window) override;
  void FocusMovedByProgram(const forms::Unit& unit) override;
  void PopupShown(const forms::Window& window, const std::vector<forms::PopupItem>& items) override;

 private:
  Driver& driver_;
  forms::FormRuntime& forms_;
};

}  // namespace driver
