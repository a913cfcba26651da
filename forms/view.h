// What the form runtime needs from a window system: a view that mirrors each
// loaded window, pop-up menus, posted work and the message loop. The headless
// desktop (headless_desktop.h) has no views and takes its user actions from a
// script; the Qt desktop (gui/) shows real windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace forms {

class Unit;
class Window;

// What changed in a unit (or in the window's own unit), for its view.
enum class Change {
  kGeometry,
  kVisibility,  // own flag, tab page or container
  kEnabled,
  kText,       // content or caption
  kPage,       // tab: the current page
  kRows,       // list view: rows inserted or removed
  kRow,        // list view: the cells or check box of one row
  kSelection,  // list view or combo box: the selected row or item
  kDate,       // date picker
};

// Mirrors one loaded window. The model is the source of truth: a view only
// shows it, and turns the user's input into calls of the units' user actions.
class WindowView {
 public:
  virtual ~WindowView() = default;
  // `row` is the list-view row for Change::kRow, else -1.
  virtual void UnitChanged(Unit& unit, Change what, int row) = 0;
  virtual void MenuChanged() = 0;
  virtual void FocusChanged(Unit* unit) = 0;
  virtual void Show() = 0;
  // Brings the window to the front (restoring it when minimised).
  virtual void Activate() = 0;
};

// Where a window lies on the screen and how large it is, kept between runs
// for a window that can be resized: its client area (menu bar included) in
// screen pixels, as it is when not maximised, and whether it is maximised.
struct WindowPlacement {
  int left = 0, top = 0, width = 0, height = 0;
  bool maximised = false;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// Where a window was left the last time: `load` gives it when its view is
// made (nullopt: as designed), `save` is handed the placement when the
// window closes, if it moved or changed size.
struct PlacementKeeping {
  std::function<std::optional<WindowPlacement>()> load;
  std::function<void(const WindowPlacement&)> save;
};

struct PopupItem {
  std::uint32_t id = 0;
  std::string caption;  // GBK
  bool disabled = false;
  bool checked = false;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The view of a window whose units all exist; null when there is none.
  virtual std::unique_ptr<WindowView> CreateView(Window& window) = 0;
  // Shows a pop-up menu at a screen point. The user's choice comes back later
  // through FormRuntime::ChooseMenuItem.
  virtual void ShowPopupMenu(Window& window, const std::vector<PopupItem>& items, int x, int y) = 0;
  // Runs `task` once the running handler has returned to a message loop.
  virtual void Post(std::function<void()> task) = 0;
  // Delivers user actions and posted work until `done()` holds.
  virtual void RunLoop(const std::function<bool()>& done) = 0;
  // The state that `done` looks at may have changed.
  virtual void Wake() = 0;
};

}  // namespace forms
