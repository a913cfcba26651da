// The desktop of a run with native Windows windows: each loaded window is
// mirrored by the system's standard and common controls, pop-up menus are
// TrackPopupMenu menus, posted work travels as messages to a hidden window,
// and the message loop is the thread's own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "forms/form_runtime.h"
#include "forms/view.h"

namespace gui::win32 {

class WindowView;

class Desktop : public forms::Desktop {
 public:
  Desktop();
  ~Desktop() override;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  void SetRuntime(forms::FormRuntime* runtime) { runtime_ = runtime; }

  std::unique_ptr<forms::WindowView> CreateView(forms::Window& window) override;
  void ShowPopupMenu(forms::Window& window, const std::vector<forms::PopupItem>& items, int x,
                     int y) override;
  void Post(std::function<void()> task) override;
  void RunLoop(const std::function<bool()>& done) override;
  void Wake() override;

  // The top-level window that shows `window`, or null.
  HWND HandleOf(const forms::Window& window) const;
  // Handles every message waiting now (posted work included), without waiting.
  void Drain();
  // The font every control is drawn with: a face that can show Chinese.
  HFONT font() const { return font_; }
  // The program icon every window shows (the desktop owns and frees them).
  void SetIcons(HICON big, HICON small);
  HICON big_icon() const { return big_icon_; }
  HICON small_icon() const { return small_icon_; }

  // How the window with template id `window_id` keeps where it was left.
  using PlacementKeeping = forms::PlacementKeeping;
  void KeepPlacement(std::uint32_t window_id, PlacementKeeping keeping) {
    placements_[window_id] = std::move(keeping);
  }

 private:
  friend class WindowView;
  static LRESULT CALLBACK PostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void RunPosted();
  bool Dispatch(MSG& msg);

  forms::FormRuntime* runtime_ = nullptr;
  HWND post_window_ = nullptr;
  HFONT font_ = nullptr;
  HICON big_icon_ = nullptr, small_icon_ = nullptr;
  std::deque<std::function<void()>> posted_;
  std::map<std::uint64_t, WindowView*> views_;  // by window instance
  std::map<std::uint32_t, PlacementKeeping> placements_;
};

}  // namespace gui::win32
