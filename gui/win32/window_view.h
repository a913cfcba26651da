// One loaded window shown with the system's own controls: every unit at its
// pixel position and size, the menu bar, the status line of the main window,
// and the user's input (clicks, typing, ticks, menus, Tab, Enter, Esc) turned
// into the units' user actions, as the Qt view does.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/view.h"
#include "forms/window.h"

namespace forms {
class EditBox;
}

namespace gui::win32 {

class Desktop;
class GridView;

class WindowView : public forms::WindowView {
 public:
  WindowView(forms::Window& window, Desktop& desktop);
  ~WindowView() override;
  WindowView(const WindowView&) = delete;
  WindowView& operator=(const WindowView&) = delete;

  void UnitChanged(forms::Unit& unit, forms::Change what, int row) override;
  void MenuChanged() override;
  void FocusChanged(forms::Unit* unit) override;
  void Show() override;
  void Activate() override;

  HWND handle() const { return main_; }
  // The control of a unit, or null (data sources and providers have none).
  HWND HandleOf(const forms::Unit& unit) const;

 private:
  static void RegisterWindowClass();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR data);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // A control's message; true when the view took it (`result` is then the answer).
  bool ControlMessage(forms::Unit& unit, UINT message, WPARAM wparam, LRESULT& result);
  void Command(forms::Unit& unit, int code, HWND control);
  LRESULT Notify(forms::Unit& unit, const NMHDR& header);

  HWND CreateControl(forms::Unit& unit);
  void Refresh(forms::Unit& unit, forms::Change what);
  void Place(forms::Unit& unit);
  forms::Rect RectOf(const forms::Unit& unit) const;
  // The unit's rectangle in the client area: containers add their corners.
  forms::Rect ClientRectOf(const forms::Unit& unit) const;
  void Regrow();
  void ShowSortOrder(const forms::Unit& unit);
  int RoomRightOf(const forms::Unit& label, const forms::Rect& grown) const;
  forms::WindowPlacement Placement() const;
  void RestorePlacement(const forms::WindowPlacement& placement);
  void StackControls();
  forms::Unit* UnitOf(HWND control) const;
  void TypeInto(forms::EditBox& box, HWND edit);
  // Enter and Esc as the window's keyboard says, and Tab along the tab
  // order; true when taken.
  bool KeyPressed(forms::Unit& unit, WPARAM key);

  forms::Window& window_;
  Desktop& desktop_;
  HWND main_ = nullptr;
  HWND status_ = nullptr;
  HMENU menu_ = nullptr;
  std::vector<std::uint32_t> menu_ids_;  // command id - 1 -> menu item id
  std::map<const forms::Unit*, HWND> controls_;
  std::map<HWND, forms::Unit*> units_;
  std::map<const forms::Unit*, std::unique_ptr<GridView>> grids_;
  bool can_grow_ = false;
  // A kept placement that was maximised opens maximised.
  bool open_maximised_ = false;
  // The placement the window opened with; a close that finds it unchanged
  // keeps nothing.
  std::optional<forms::WindowPlacement> opened_at_;
  int design_width_ = 0, design_height_ = 0;
  std::map<const forms::Unit*, forms::Rect> grown_;
  // Set while the view copies the model into a control, so that the
  // control's notifications are not taken for the user's input.
  bool mirroring_ = false;
  // The text a list view's cell hands the control lives until the next ask.
  std::wstring cell_text_;
  // A click on a tab's strip that changed its page is not also a click on the
  // current page.
  bool page_changed_by_click_ = false;
};

}  // namespace gui::win32
