// The form runtime: the template read at start-up with its bindings
// relocated to the order desk's handlers, the loaded windows, property
// access, event delivery, the keyboard focus, menus and the message loop.
//
// One runtime serves the run; commands reach it through Current().
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "forms/template.h"
#include "forms/view.h"
#include "forms/window.h"
#include "runtime/value.h"

namespace forms {

// Watches what a person would notice of the windows (the headless driver
// writes it to its transcript).
class RuntimeObserver {
 public:
  virtual ~RuntimeObserver() = default;
  virtual void WindowOpened(const Window& /*window*/) {}
  virtual void WindowClosed(const Window& /*window*/) {}
  virtual void FocusMovedByProgram(const Unit& /*unit*/) {}
  virtual void PopupShown(const Window& /*window*/, const std::vector<PopupItem>& /*items*/) {}
};

class FormRuntime {
 public:
  // A runtime for `tmpl` whose handler offsets index `handlers`; null when an
  // offset lies outside the table.
  static std::unique_ptr<FormRuntime> Create(Template tmpl, std::span<const Handler> handlers,
                                             Desktop& desktop);
  // Reads the template segment and relocates its bindings; a segment that
  // cannot be read ends in the runtime error report "载入窗口模板数据段出错!".
  static std::unique_ptr<FormRuntime> FromSegment(std::span<const std::uint8_t> segment,
                                                  std::span<const Handler> handlers,
                                                  Desktop& desktop);
  ~FormRuntime();
  FormRuntime(const FormRuntime&) = delete;
  FormRuntime& operator=(const FormRuntime&) = delete;

  // The runtime of this run, or null (see ScopedFormRuntime).
  static FormRuntime* Current();

  const Template& tmpl() const { return tmpl_; }
  Desktop& desktop() const { return desktop_; }
  void SetObserver(RuntimeObserver* observer) { observer_ = observer; }

  // --- Windows ---------------------------------------------------------------
  // Loads a window from its template, or only activates it when it is open.
  // `parent` (0 = none) must be loaded for a modeless load. A modal load
  // disables the other windows, runs the message loop until the window is
  // closed, then gives them back their enabled state. False when the window
  // cannot be created.
  bool LoadWindow(std::uint32_t window_id, std::uint32_t parent_id, bool modal);
  // Shows a window that is still loading (its start-up handlers running)
  // as its load will show it, so that long work in those handlers runs
  // under the window instead of before it.
  void ShowLoadingWindow(std::uint32_t window_id);
  // Loads the start-up window; failing, reports "载入启动窗口失败".
  void LoadStartWindow(std::uint32_t window_id);
  // The start-up window's id (0 before LoadStartWindow): the main window,
  // the one with the status line.
  std::uint32_t start_window_id() const { return start_window_id_; }
  // Runs until no window is loaded.
  void RunMessageLoop();
  // Closes a loaded window now, or once the running handler has returned.
  // A window that is not loaded ends in the runtime error report.
  void CloseWindow(std::uint32_t window_id, bool at_once);
  // The user clicks the window's close box.
  void UserClose(Window& window);
  // Closes every window, newest first, as the user would.
  void CloseAll();

  Window* FindWindow(std::uint32_t window_id) const;
  Window* FindInstance(std::uint64_t instance) const;
  bool IsLoaded(std::uint64_t instance) const { return FindInstance(instance) != nullptr; }
  // The loaded windows, oldest first.
  const std::vector<std::unique_ptr<Window>>& windows() const { return windows_; }

  // --- Units -----------------------------------------------------------------
  // The live unit (or window's own unit for unit 0), or null.
  Unit* FindUnit(runtime::UnitRef ref) const;
  template <typename T>
  T* FindUnitAs(runtime::UnitRef ref) const {
    return dynamic_cast<T*>(FindUnit(ref));
  }
  // The unit a command is given: a window that is not loaded ends in the
  // runtime error report "指定窗口或窗口组件不存在或尚未载入"; a unit missing
  // from a loaded window gives null.
  Unit* UnitForCommand(const runtime::Value& argument);

  // --- Properties (ends in the runtime error report on any misuse) ----------
  runtime::Value ReadProperty(runtime::UnitRef ref, int number, int element = -1);
  void WriteProperty(runtime::UnitRef ref, int number, const runtime::Value& value,
                     int element = -1);

  // --- Events ----------------------------------------------------------------
  // Delivers event `event` of `unit` to its handler, if one is bound. Dropped
  // once a runtime error report has started.
  void Raise(Unit& unit, int event);
  // The unit whose event is being delivered, if any.
  std::optional<runtime::UnitRef> current_event() const { return current_event_; }

  // --- Keyboard focus --------------------------------------------------------
  Unit* focus() const;
  // The program moves the focus (SetFocus).
  void SetFocus(Unit& unit);
  // The user moves the focus; null leaves it nowhere.
  void UserFocus(Unit* unit);
  // The user leaves an edit box: it loses the focus and normalises its text.
  void UserLeave(Unit& unit);

  // --- Menus -----------------------------------------------------------------
  std::vector<MenuItemState>& MenuOf(std::uint32_t window_id);
  // Shows the items of the top-level menu `menu` of `window` as a pop-up, at
  // (x, y) or beside the mouse pointer. Menus of other windows are ignored.
  void PopupMenu(runtime::UnitRef window, runtime::UnitRef menu, std::optional<int> x,
                 std::optional<int> y);
  // The visible items of the window's menu bar (menus not hidden).
  std::vector<const MenuItemState*> MenuBarItems(const Window& window);
  // The user chooses a menu item: its handler runs unless it is disabled or
  // hidden. False when nothing ran for that reason.
  bool ChooseMenuItem(Window& window, std::uint32_t item_id);

  // Runs `task` once the running handler has returned.
  void Post(std::function<void()> task) { desktop_.Post(std::move(task)); }

 private:
  FormRuntime(Template tmpl, Desktop& desktop);
  void ShowView(Window& window);
  void Destroy(Window& window);
  void MoveFocus(Unit* to, bool by_program);
  Handler FindHandler(const Window& window, const UnitRecord& record, int event) const;
  MenuItemState* FindMenuItem(std::uint32_t window_id, std::uint32_t item_id);
  runtime::Value ReadMenuProperty(MenuItemState& item, int number);
  void WriteMenuProperty(Window& window, MenuItemState& item, int number,
                         const runtime::Value& value);
  Unit& PropertyUnit(runtime::UnitRef ref);

  Template tmpl_;
  Desktop& desktop_;
  RuntimeObserver* observer_ = nullptr;
  // Relocated bindings: (window id << 32 | unit id) -> (event, handler).
  std::map<std::uint64_t, std::vector<std::pair<int, Handler>>> bindings_;
  std::map<std::uint32_t, std::vector<MenuItemState>> menus_;
  std::vector<std::unique_ptr<Window>> windows_;
  std::uint64_t next_instance_ = 0;
  struct FocusRef {
    std::uint64_t instance = 0;
    std::uint32_t unit = 0;
  };
  std::optional<FocusRef> focus_;
  std::optional<runtime::UnitRef> current_event_;
  std::uint32_t start_window_id_ = 0;
};

// Makes `runtime` the run's current runtime for as long as it lives.
class ScopedFormRuntime {
 public:
  explicit ScopedFormRuntime(FormRuntime& runtime);
  ~ScopedFormRuntime();
  ScopedFormRuntime(const ScopedFormRuntime&) = delete;
  ScopedFormRuntime& operator=(const ScopedFormRuntime&) = delete;

 private:
  FormRuntime* previous_;
};

}  // namespace forms
