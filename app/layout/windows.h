// The windows of the order desk, written once as layout source.
#pragma once

#include <vector>

#include "forms/layout.h"

namespace desk::layout {

constexpr std::uint32_t kMainWindow = 0x52010001;
constexpr std::uint32_t kSettingsWindow = 0x5201024d;
constexpr std::uint32_t kCancellationWindow = 0x5201033b;
constexpr std::uint32_t kRestoreWindow = 0x52010451;

forms::layout::Window MainWindow();
forms::layout::Window SettingsWindow();
forms::layout::Window CancellationWindow();
forms::layout::Window RestoreWindow();

// All of them, main window first.
std::vector<forms::layout::Window> AllWindows();

}  // namespace desk::layout
