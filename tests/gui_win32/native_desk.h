// The order desk in its native windows in a fresh program folder, for tests
// that drive the real controls with window messages under wine.
#pragma once

#include <gtest/gtest.h>

#include <memory>

// The form runtime's own FindWindow is declared before windows.h renames it.
// clang-format off
#include "forms/form_runtime.h"
#include <windows.h>
// clang-format on

#include "app/desk_files.h"
#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "gui/win32/desktop.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/win32/desktop_services.h"
#include "tests/support/temp_dir.h"

#undef FindWindow

class NativeDesk : public ::testing::Test {
 protected:
  NativeDesk() : services_({&clock_, &clipboard_, &dialogs_}) {
    clock_.Set({2026, 12, 1, 9, 0, 0});
    EXPECT_TRUE(desk::MakeDeskFiles(folder_.path().string()).ok());
    EXPECT_TRUE(platform::ChangeDirectory(platform::Utf8ToGbk(folder_.path().string())));
    desk::RegisterAllCommands();
  }
  ~NativeDesk() override {
    if (forms_) Close();
  }

  // One run of the desk's windows as the program starts them, as far as the
  // main window; its handle, nullptr where wine has no display.
  HWND Open() {
    forms_ = desk::ReadWindowTemplate(desktop_);
    current_ = std::make_unique<forms::ScopedFormRuntime>(*forms_);
    desktop_.SetRuntime(forms_.get());
    desk::InitialiseDesk();
    forms_->LoadStartWindow(desk::layout::kMainWindow);
    desktop_.Drain();
    return desktop_.HandleOf(*forms_->FindWindow(desk::layout::kMainWindow));
  }
  // Every window closed, as the desk ends.
  void Close() {
    forms_->CloseAll();
    desktop_.Drain();
    current_.reset();
    forms_.reset();
  }

  testing_support::TempDir folder_;
  platform::FixedClock clock_;
  platform::win32::Clipboard clipboard_;
  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
  gui::win32::Desktop desktop_;
  std::unique_ptr<forms::FormRuntime> forms_;
  std::unique_ptr<forms::ScopedFormRuntime> current_;
};
