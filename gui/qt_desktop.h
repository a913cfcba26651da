// The desktop of a run with real windows: each loaded window is mirrored by
// Qt widgets, pop-up menus are QMenus, posted work and the message loop are
// Qt's event loop.
#pragma once

#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "forms/form_runtime.h"
#include "forms/view.h"

class QEventLoop;
class QWidget;

namespace gui {

class QtWindowView;

class QtDesktop : public forms::Desktop {
 public:
  QtDesktop() = default;
  ~QtDesktop() override;

  // The runtime whose windows these are (for the choices of pop-up menus).
  void SetRuntime(forms::FormRuntime* runtime) { runtime_ = runtime; }

  std::unique_ptr<forms::WindowView> CreateView(forms::Window& window) override;
  void ShowPopupMenu(forms::Window& window, const std::vector<forms::PopupItem>& items, int x,
                     int y) override;
  void Post(std::function<void()> task) override;
  void RunLoop(const std::function<bool()>& done) override;
  void Wake() override;

  // The top-level widget that shows `window`, or null.
  QWidget* WidgetOf(const forms::Window& window) const;

  // How the window with template id `window_id` keeps where it was left.
  using PlacementKeeping = forms::PlacementKeeping;
  void KeepPlacement(std::uint32_t window_id, PlacementKeeping keeping) {
    placements_[window_id] = std::move(keeping);
  }

 private:
  friend class QtWindowView;
  forms::FormRuntime* runtime_ = nullptr;
  std::map<std::uint64_t, QtWindowView*> views_;  // by window instance
  std::map<std::uint32_t, PlacementKeeping> placements_;
  struct Loop {
    QEventLoop* loop;
    const std::function<bool()>* done;
  };
  std::vector<Loop> loops_;
};

}  // namespace gui
