// The native main window opens where the person left it: its place and size,
// or maximised, kept in the settings file between runs.
#include <optional>

#include "app/window_placement.h"
#include "tests/gui_win32/native_desk.h"

namespace {

class NativePlacement : public NativeDesk {
 protected:
  NativePlacement() { desk::KeepMainWindowPlacement(desktop_); }
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
