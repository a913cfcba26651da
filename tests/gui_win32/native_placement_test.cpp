// The native main window opens where the person left it: its place and size,
// or maximised, kept in the settings file between runs.
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
#include "app/window_placement.h"
#include "gui/win32/desktop.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_dir.h"

#undef FindWindow

namespace {

using desk::layout::kMainWindow;

class NativePlacement : public ::testing::Test {
 protected:
  NativePlacement() : services_({&clock_, nullptr, &dialogs_}) {
    clock_.Set({2026, 12, 1, 9, 0, 0});
    EXPECT_TRUE(desk::MakeDeskFiles(folder_.path().string()).ok());
    EXPECT_TRUE(platform::ChangeDirectory(platform::Utf8ToGbk(folder_.path().string())));
    desk::RegisterAllCommands();
    desk::KeepMainWindowPlacement(desktop_);
  }

  // One run of the desk's windows, as far as the main window.
  HWND Open() {
    forms_ = desk::ReadWindowTemplate(desktop_);
    current_ = std::make_unique<forms::ScopedFormRuntime>(*forms_);
    desktop_.SetRuntime(forms_.get());
    desk::InitialiseDesk();
    forms_->LoadStartWindow(kMainWindow);
    desktop_.Drain();
    return desktop_.HandleOf(*forms_->FindWindow(kMainWindow));
  }
  void Close() {
    forms_->CloseAll();
    desktop_.Drain();
    current_.reset();
    forms_.reset();
  }

  testing_support::TempDir folder_;
  platform::FixedClock clock_;
  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
  gui::win32::Desktop desktop_;
  std::unique_ptr<forms::FormRuntime> forms_;
  std::unique_ptr<forms::ScopedFormRuntime> current_;
};

TEST_F(NativePlacement, TheMainWindowOpensWhereItWasLeftAndKeepsWhereItIsLeft) {
  // Left maximised, at a place and size of its own, the last time.
  ASSERT_TRUE(desk::WriteMainWindowPlacement({140, 90, 900, 700, true}));
  HWND main = Open();
  if (main == nullptr) GTEST_SKIP() << "no display";
  EXPECT_TRUE(IsZoomed(main));
  WINDOWPLACEMENT placed{};
  placed.length = sizeof placed;
  GetWindowPlacement(main, &placed);
  EXPECT_EQ(placed.rcNormalPosition.left, 140);
  EXPECT_EQ(placed.rcNormalPosition.top, 90);
  EXPECT_EQ(placed.rcNormalPosition.right - placed.rcNormalPosition.left, 900);

  // Restored and moved, as a person drags it, and closed.
  ShowWindow(main, SW_RESTORE);
  SetWindowPos(main, nullptr, 60, 40, 950, 720, SWP_NOZORDER);
  Close();
  const std::optional<forms::WindowPlacement> kept = desk::ReadMainWindowPlacement();
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(*kept, (forms::WindowPlacement{60, 40, 950, 720, false}));
}

}  // namespace
