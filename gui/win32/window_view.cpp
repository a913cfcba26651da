#include "gui/win32/window_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "forms/form_runtime.h"
#include "forms/grown_layout.h"
#include "forms/keyboard.h"
#include "forms/units/captioned.h"
#include "forms/units/choosers.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/report_units.h"
#include "forms/units/tab.h"
#include "gui/win32/desktop.h"
#include "gui/win32/grid_view.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "platform/win32/wide.h"
#include "runtime/date_time.h"

namespace gui::win32 {
namespace {

using platform::win32::GbkToWide;

constexpr wchar_t kWindowClass[] = L"OrderDeskWindow";
// The grid's window: the view paints it and keeps its scroll bars.
constexpr wchar_t kGridClass[] = L"OrderDeskGrid";
// Marks the main window's status bar for the status-line service.
constexpr wchar_t kStatusLineProp[] = L"OrderDeskStatusLine";
constexpr UINT_PTR kSubclassId = 1;

}  // namespace

void WindowView::RegisterWindowClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClass, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  WNDCLASSEXW grid{};
  grid.cbSize = sizeof grid;
  grid.lpfnWndProc = &DefWindowProcW;
  grid.hInstance = wc.hInstance;
  grid.hCursor = wc.hCursor;
  grid.lpszClassName = kGridClass;
  RegisterClassExW(&grid);
}

namespace {

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

SYSTEMTIME SystemTimeOf(double days) {
  runtime::CivilTime time = runtime::BreakDown(days);
  SYSTEMTIME day{};
  day.wYear = static_cast<WORD>(time.year);
  day.wMonth = static_cast<WORD>(time.month);
  day.wDay = static_cast<WORD>(time.day);
  return day;
}

}  // namespace

WindowView::WindowView(forms::Window& window, Desktop& desktop)
    : window_(window), desktop_(desktop) {
  RegisterWindowClass();
  can_grow_ = forms::CanGrow(window);
  DWORD style =
      can_grow_ ? WS_OVERLAPPEDWINDOW : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  style |= WS_CLIPCHILDREN;
  main_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                      100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(main_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageW(main_, WM_SETFONT, reinterpret_cast<WPARAM>(desktop_.font()), FALSE);
  if (desktop_.big_icon() != nullptr)
    SendMessageW(main_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(desktop_.big_icon()));
  if (desktop_.small_icon() != nullptr)
    SendMessageW(main_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(desktop_.small_icon()));

  for (const auto& unit : window.units()) {
    if (unit->type() == forms::unit_type::kWindow) continue;
    if (HWND control = CreateControl(*unit)) {
      controls_[unit.get()] = control;
      units_[control] = unit.get();
      if (dynamic_cast<forms::Grid*>(unit.get()) != nullptr)
        grids_[unit.get()] = std::make_unique<GridView>(control);
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(desktop_.font()), FALSE);
      SetWindowSubclass(control, &ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
  }
  int right = 0, bottom = 0;
  for (const auto& unit : window.units())
    if (unit->container() == nullptr && unit->type() != forms::unit_type::kWindow) {
      right = std::max(right, unit->rect().left + unit->rect().width);
      bottom = std::max(bottom, unit->rect().top + unit->rect().height);
    }
  MenuChanged();
  // The layout's sizes include a frame of 8 and a title of 31 pixels.
  forms::Rect rect = window.own_unit().rect();
  design_width_ = std::max(right, rect.width - 8);
  design_height_ = std::max(bottom, rect.height - 31 - (menu_ != nullptr ? 20 : 0));
  int status_height = 0;
  if (window.id() == window.runtime().start_window_id()) {
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(desktop_.font()), FALSE);
    SetPropW(main_, kStatusLineProp, status_);
    RECT bar{};
    GetWindowRect(status_, &bar);
    status_height = bar.bottom - bar.top;
  }
  RECT outer{0, 0, design_width_, design_height_ + status_height};
  AdjustWindowRectEx(&outer, style, menu_ != nullptr, WS_EX_CONTROLPARENT);
  SetWindowPos(main_, nullptr, rect.left, rect.top, outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);

  for (auto& [unit, control] : controls_) {
    auto& model = *const_cast<forms::Unit*>(unit);
    Place(model);
    for (auto what : {forms::Change::kText, forms::Change::kPage, forms::Change::kDate,
                      forms::Change::kSelection, forms::Change::kRows})
      UnitChanged(model, what, -1);
  }
  // A caption grown downwards may end below the layout's window: the window
  // grows with it rather than cut its last lines.
  int placed_bottom = 0;
  for (auto& [unit, control] : controls_) {
    if (unit->container() != nullptr || dynamic_cast<const forms::Label*>(unit) == nullptr)
      continue;
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&box), 2);
    placed_bottom = std::max<int>(placed_bottom, box.bottom + 4);
  }
  if (placed_bottom > design_height_) {
    design_height_ = placed_bottom;
    RECT grown{0, 0, design_width_, design_height_ + status_height};
    AdjustWindowRectEx(&grown, style, menu_ != nullptr, WS_EX_CONTROLPARENT);
    SetWindowPos(main_, nullptr, 0, 0, grown.right - grown.left, grown.bottom - grown.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  if (!controls_.empty()) {
    auto& first = *const_cast<forms::Unit*>(controls_.begin()->first);
    Refresh(first, forms::Change::kVisibility);
    Refresh(first, forms::Change::kEnabled);
  }
  StackControls();
  auto keeping = desktop_.placements_.find(window.id());
  if (can_grow_ && keeping != desktop_.placements_.end() && keeping->second.load)
    if (std::optional<forms::WindowPlacement> placed = keeping->second.load())
      RestorePlacement(*placed);
  opened_at_ = Placement();
  Refresh(window.own_unit(), forms::Change::kText);
  Refresh(window.own_unit(), forms::Change::kEnabled);
  desktop_.views_[window.instance()] = this;
}

forms::WindowPlacement WindowView::Placement() const {
  WINDOWPLACEMENT now{};
  now.length = sizeof now;
  if (main_ == nullptr || !GetWindowPlacement(main_, &now)) return {};
  // The normal place is in workspace coordinates; without a taskbar at the
  // top or left they are the screen's.
  const RECT& normal = now.rcNormalPosition;
  const bool maximised =
      now.showCmd == SW_SHOWMAXIMIZED || (open_maximised_ && !IsWindowVisible(main_));
  return {normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
          maximised};
}

void WindowView::RestorePlacement(const forms::WindowPlacement& placement) {
  RECT designed{};
  GetWindowRect(main_, &designed);
  // Never smaller than designed; a place on a screen that is no longer
  // there keeps the designed place.
  const int width = std::max<int>(placement.width, designed.right - designed.left);
  const int height = std::max<int>(placement.height, designed.bottom - designed.top);
  POINT corner{placement.left + 8, placement.top + 8};
  const bool on_a_screen = MonitorFromPoint(corner, MONITOR_DEFAULTTONULL) != nullptr;
  SetWindowPos(main_, nullptr, on_a_screen ? placement.left : designed.left,
               on_a_screen ? placement.top : designed.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  open_maximised_ = placement.maximised;
}

WindowView::~WindowView() {
  desktop_.views_.erase(window_.instance());
  auto keeping = desktop_.placements_.find(window_.id());
  if (can_grow_ && main_ != nullptr && keeping != desktop_.placements_.end() &&
      keeping->second.save) {
    const forms::WindowPlacement now = Placement();
    if (!opened_at_ || !(now == *opened_at_)) keeping->second.save(now);
  }
  for (auto& [control, unit] : units_) RemoveWindowSubclass(control, &ControlProc, kSubclassId);
  if (main_ != nullptr) {
    SetWindowLongPtrW(main_, GWLP_USERDATA, 0);
    RemovePropW(main_, kStatusLineProp);
    DestroyWindow(main_);
  }
  if (menu_ != nullptr && !IsMenu(menu_)) menu_ = nullptr;
}

HWND WindowView::CreateControl(forms::Unit& unit) {
  const wchar_t* type = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex_style = 0;
  if (unit.takes_focus()) style |= WS_TABSTOP;
  if (dynamic_cast<forms::Button*>(&unit) != nullptr) {
    type = WC_BUTTONW;
    style |= BS_PUSHBUTTON | BS_MULTILINE;
  } else if (dynamic_cast<forms::GroupBox*>(&unit) != nullptr) {
    type = WC_BUTTONW;
    style |= BS_GROUPBOX;
  } else if (auto* label = dynamic_cast<forms::Label*>(&unit)) {
    type = WC_STATICW;
    style |= label->settings().alignment == 1   ? SS_CENTER
             : label->settings().alignment == 2 ? SS_RIGHT
                                                : SS_LEFT;
  } else if (auto* box = dynamic_cast<forms::EditBox*>(&unit)) {
    type = WC_EDITW;
    ex_style = WS_EX_CLIENTEDGE;
    if (box->multi_line())
      style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL |
               (box->settings().scroll_bars == 2 ? WS_VSCROLL : 0u);
    else
      style |= ES_AUTOHSCROLL;
    if (box->read_only()) style |= ES_READONLY;
  } else if (dynamic_cast<forms::ComboBox*>(&unit) != nullptr) {
    type = WC_COMBOBOXW;
    style |= CBS_DROPDOWNLIST | WS_VSCROLL;
  } else if (dynamic_cast<forms::DatePicker*>(&unit) != nullptr) {
    type = DATETIMEPICK_CLASSW;
    style |= DTS_SHORTDATEFORMAT;
  } else if (dynamic_cast<forms::Tab*>(&unit) != nullptr) {
    type = WC_TABCONTROLW;
    style |= TCS_FOCUSNEVER;
  } else if (auto* list = dynamic_cast<forms::ListView*>(&unit)) {
    type = WC_LISTVIEWW;
    ex_style = WS_EX_CLIENTEDGE;
    style |= LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
    (void)list;
  } else if (dynamic_cast<forms::Grid*>(&unit) != nullptr) {
    type = kGridClass;
    ex_style = WS_EX_CLIENTEDGE;
  }
  if (type == nullptr) return nullptr;
  HWND control = CreateWindowExW(ex_style, type, L"", style, 0, 0, 0, 0, main_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  if (auto* combo = dynamic_cast<forms::ComboBox*>(&unit)) {
    for (const forms::Text& item : combo->items())
      SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GbkToWide(item).c_str()));
  } else if (dynamic_cast<forms::DatePicker*>(&unit) != nullptr) {
    SendMessageW(control, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"yyyy-MM-dd"));
  } else if (auto* tab = dynamic_cast<forms::Tab*>(&unit)) {
    int index = 0;
    for (const forms::Text& caption : tab->page_captions()) {
      std::wstring wide = GbkToWide(caption);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = wide.data();
      SendMessageW(control, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
  } else if (auto* list = dynamic_cast<forms::ListView*>(&unit)) {
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    if ((list->settings().style & forms::ListViewSettings::kGridLines) != 0)
      extended |= LVS_EX_GRIDLINES;
    if (list->check_boxes()) extended |= LVS_EX_CHECKBOXES;
    ListView_SetExtendedListViewStyle(control, extended);
    // The rows' check boxes are asked for with their texts.
    ListView_SetCallbackMask(control, LVIS_STATEIMAGEMASK);
    for (int column = 0; column < list->column_count(); ++column) {
      const auto& settings = list->settings().columns[static_cast<std::size_t>(column)];
      std::wstring caption = GbkToWide(settings.title);
      LVCOLUMNW header{};
      header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      header.pszText = caption.data();
      header.cx = settings.width;
      header.iSubItem = column;
      SendMessageW(control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&header));
    }
  }
  return control;
}

HWND WindowView::HandleOf(const forms::Unit& unit) const {
  auto it = controls_.find(&unit);
  return it == controls_.end() ? nullptr : it->second;
}

forms::Unit* WindowView::UnitOf(HWND control) const {
  auto it = units_.find(control);
  return it == units_.end() ? nullptr : it->second;
}

forms::Rect WindowView::RectOf(const forms::Unit& unit) const {
  auto it = grown_.find(&unit);
  return it == grown_.end() ? unit.rect() : it->second;
}

forms::Rect WindowView::ClientRectOf(const forms::Unit& unit) const {
  forms::Rect rect = RectOf(unit);
  for (const forms::Unit* outer = unit.container(); outer != nullptr; outer = outer->container()) {
    if (outer->type() == forms::unit_type::kWindow) break;
    forms::Rect corner = RectOf(*outer);
    rect.left += corner.left;
    rect.top += corner.top;
  }
  return rect;
}

void WindowView::Place(forms::Unit& unit) {
  HWND control = HandleOf(unit);
  if (control == nullptr) return;
  forms::Rect rect = ClientRectOf(unit);
  // A combo box's height includes its drop-down list.
  if (dynamic_cast<forms::ComboBox*>(&unit) != nullptr) rect.height += 200;
  // The font may run wider than the desktop's the layout was drawn for: a
  // one-line caption that would be cut grows its label to the right.
  if (auto* label = dynamic_cast<forms::Label*>(&unit)) {
    std::wstring caption = GbkToWide(label->caption());
    // Trailing blanks draw nothing, but measured they would grow the label
    // over a neighbour on its right (a static control paints its whole box).
    caption.erase(caption.find_last_not_of(L" \t\u3000") + 1);
    if (caption.find(L'\n') == std::wstring::npos && !caption.empty()) {
      HDC dc = GetDC(control);
      HGDIOBJ old = SelectObject(dc, desktop_.font());
      SIZE size{};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      // A left-aligned caption is also no wider than its text: the forms
      // lay captions over the start of the value beside them, which a
      // static control's painted box would hide.
      if (label->settings().alignment == 0)
        rect.width = size.cx + 2;
      else
        rect.width = std::max<int>(rect.width, size.cx + 2);
      rect.width = std::min(rect.width, RoomRightOf(unit, rect));
    } else if (!caption.empty()) {
      // A caption of several lines grows downwards, wrapped at its width.
      HDC dc = GetDC(control);
      HGDIOBJ old = SelectObject(dc, desktop_.font());
      RECT needed{0, 0, rect.width, 0};
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      rect.height = std::max<int>(rect.height, needed.bottom);
    }
  }
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int WindowView::RoomRightOf(const forms::Unit& label, const forms::Rect& grown) const {
  // A static control paints its whole box: grown over the value shown to
  // its right, it would hide the value's first characters. It stops short
  // of the nearest unit of its row instead, never below its own width.
  const forms::Rect own = ClientRectOf(label);
  int room = grown.width;
  for (const auto& other : window_.units()) {
    if (other.get() == &label || other->container() != label.container()) continue;
    if (HandleOf(*other) == nullptr) continue;
    const forms::Rect rect = ClientRectOf(*other);
    const bool same_row = rect.top < own.top + own.height && own.top < rect.top + rect.height;
    if (same_row && rect.left >= own.left + own.width && rect.left < own.left + room)
      room = rect.left - own.left;
  }
  return std::max(room, own.width);
}

void WindowView::StackControls() {
  // Later units lie over earlier ones (a tab under its pages' units).
  for (const auto& unit : window_.units())
    if (HWND control = HandleOf(*unit))
      SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowView::Regrow() {
  if (!can_grow_) return;
  RECT client{};
  GetClientRect(main_, &client);
  int status_height = 0;
  if (status_ != nullptr) {
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(status_, &bar);
    status_height = bar.bottom - bar.top;
  }
  const int extra_width = std::max(0, static_cast<int>(client.right) - design_width_);
  const int extra_height =
      std::max(0, static_cast<int>(client.bottom) - status_height - design_height_);
  grown_ = forms::GrownRects(window_, extra_width, extra_height);
  for (auto& [unit, control] : controls_) Place(*const_cast<forms::Unit*>(unit));
}

void WindowView::ShowSortOrder(const forms::Unit& unit) {
  const auto* list = dynamic_cast<const forms::ListView*>(&unit);
  HWND control = HandleOf(unit);
  if (list == nullptr || control == nullptr) return;
  HWND header = ListView_GetHeader(control);
  for (int column = 0; column < list->column_count(); ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, column, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == list->sort_column())
      item.fmt |= list->sort_descending() ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, column, &item);
  }
}

void WindowView::UnitChanged(forms::Unit& unit, forms::Change what, int row) {
  if (what == forms::Change::kRows || what == forms::Change::kRow) {
    auto* list = dynamic_cast<forms::ListView*>(&unit);
    HWND control = HandleOf(unit);
    if (list == nullptr || control == nullptr) return;
    if (what == forms::Change::kRows) {
      // A virtual list: only the count is handed over, the rows are asked for
      // as they are drawn.
      ListView_SetItemCountEx(control, list->row_count(), LVSICF_NOSCROLL);
      InvalidateRect(control, nullptr, FALSE);
      ShowSortOrder(unit);
    } else if (row >= 0) {
      ListView_RedrawItems(control, row, row);
    }
    return;
  }
  if (what == forms::Change::kGeometry) {
    if (can_grow_) return Regrow();
    return Place(unit);
  }
  Refresh(unit, what);
}

void WindowView::Refresh(forms::Unit& unit, forms::Change what) {
  if (unit.type() == forms::unit_type::kWindow) {
    if (what == forms::Change::kText) SetWindowTextW(main_, GbkToWide(window_.caption()).c_str());
    if (what == forms::Change::kEnabled) EnableWindow(main_, window_.enabled());
    return;
  }
  HWND control = HandleOf(unit);
  if (control == nullptr) return;
  mirroring_ = true;
  switch (what) {
    case forms::Change::kVisibility:
    case forms::Change::kEnabled:
      // The controls all lie in the window: what a container hides or
      // disables, the view hides or disables in each unit it holds.
      for (auto& [held, handle] : controls_) {
        bool shown = true, enabled = true;
        for (const forms::Unit* at = held; at != nullptr && at->type() != forms::unit_type::kWindow;
             at = at->container()) {
          shown = shown && at->visible_flag() && at->page_shown();
          enabled = enabled && !at->disabled_flag();
        }
        if (what == forms::Change::kVisibility) {
          if ((IsWindowVisible(handle) != FALSE) != shown)
            ShowWindow(handle, shown ? SW_SHOWNA : SW_HIDE);
        } else if ((IsWindowEnabled(handle) != FALSE) != enabled) {
          EnableWindow(handle, enabled);
        }
      }
      break;
    case forms::Change::kText:
      if (auto* box = dynamic_cast<forms::EditBox*>(&unit)) {
        std::wstring text = GbkToWide(box->content());
        if (WindowText(control) != text) {
          DWORD start = 0, end = 0;
          SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
          SetWindowTextW(control, text.c_str());
          // A text cut to the box's length keeps the cursor where typing goes on.
          DWORD at = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
          SendMessageW(control, EM_SETSEL, at, at);
        }
      } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&unit)) {
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(combo->selected()), 0);
      } else if (auto* captioned = dynamic_cast<forms::CaptionedUnit*>(&unit)) {
        SetWindowTextW(control, GbkToWide(captioned->caption()).c_str());
        if (dynamic_cast<forms::Label*>(&unit) != nullptr) {
          mirroring_ = false;
          Place(unit);
        }
      } else if (auto* grid = dynamic_cast<forms::Grid*>(&unit)) {
        // The table it shows has changed.
        if (auto it = grids_.find(&unit); it != grids_.end()) it->second->SetTable(grid->table());
      }
      break;
    case forms::Change::kPage:
      if (auto* tab = dynamic_cast<forms::Tab*>(&unit))
        SendMessageW(control, TCM_SETCURSEL, static_cast<WPARAM>(tab->current_page()), 0);
      break;
    case forms::Change::kDate:
      if (auto* picker = dynamic_cast<forms::DatePicker*>(&unit)) {
        SYSTEMTIME day = SystemTimeOf(picker->date());
        SendMessageW(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
      }
      break;
    case forms::Change::kSelection:
      if (auto* list = dynamic_cast<forms::ListView*>(&unit)) {
        ListView_SetItemState(control, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (list->selected_row() >= 0) {
          ListView_SetItemState(control, list->selected_row(), LVIS_SELECTED | LVIS_FOCUSED,
                                LVIS_SELECTED | LVIS_FOCUSED);
          ListView_EnsureVisible(control, list->selected_row(), FALSE);
        }
      } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&unit)) {
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(combo->selected()), 0);
      }
      break;
    default:
      break;
  }
  mirroring_ = false;
}

void WindowView::MenuChanged() {
  HMENU old = menu_;
  HMENU bar = CreateMenu();
  HMENU popup = nullptr;
  bool any = false;
  menu_ids_.clear();
  for (const forms::MenuItemState& item : window_.menu()) {
    bool hidden = (item.flags & forms::menu_flag::kHidden) != 0;
    if (item.level == 0) {
      popup = nullptr;
      if (hidden) continue;
      popup = CreatePopupMenu();
      AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                  GbkToWide(item.caption).c_str());
      any = true;
      continue;
    }
    if (popup == nullptr || hidden) continue;
    menu_ids_.push_back(item.id);
    UINT flags = MF_STRING | ((item.flags & forms::menu_flag::kDisabled) != 0 ? MF_GRAYED : 0u) |
                 ((item.flags & forms::menu_flag::kChecked) != 0 ? MF_CHECKED : 0u);
    AppendMenuW(popup, flags, menu_ids_.size(), GbkToWide(item.caption).c_str());
  }
  if (!any) {
    DestroyMenu(bar);
    bar = nullptr;
  }
  SetMenu(main_, bar);
  menu_ = bar;
  if (old != nullptr) DestroyMenu(old);
}

void WindowView::FocusChanged(forms::Unit* unit) {
  if (unit == nullptr) return;
  if (HWND control = HandleOf(*unit))
    if (GetFocus() != control) SetFocus(control);
}

void WindowView::Show() {
  const bool first = !IsWindowVisible(main_);
  ShowWindow(main_, first && open_maximised_ ? SW_SHOWMAXIMIZED : SW_SHOW);
  UpdateWindow(main_);
}

void WindowView::Activate() {
  if (IsIconic(main_)) ShowWindow(main_, SW_RESTORE);
  SetForegroundWindow(main_);
}

void WindowView::TypeInto(forms::EditBox& box, HWND edit) {
  bool dropped = false;
  box.Type(platform::Utf8ToGbkTyped(platform::win32::WideToUtf8(WindowText(edit)), &dropped));
  // The box shows what it kept; the status line says why the rest went.
  if (dropped) platform::Current().dialogs->ShowStatus(platform::LeftOutCharactersNote());
}

bool WindowView::KeyPressed(forms::Unit& unit, WPARAM key) {
  forms::FormRuntime& runtime = window_.runtime();
  if (key == VK_RETURN && forms::EnterButton(unit) != nullptr) {
    forms::PressKey(runtime, unit, forms::Key::kEnter);
    return true;
  }
  if (key == VK_ESCAPE && window_.own_unit().settings().escape_closes != 0) {
    forms::PressKey(runtime, unit, forms::Key::kEscape);
    return true;
  }
  if (key == VK_TAB) {
    bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    forms::PressKey(runtime, unit, back ? forms::Key::kShiftTab : forms::Key::kTab);
    return true;
  }
  return false;
}

LRESULT CALLBACK WindowView::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* view = reinterpret_cast<WindowView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (view == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return view->Handle(message, wparam, lparam);
}

LRESULT WindowView::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  forms::FormRuntime* runtime = &window_.runtime();
  std::uint64_t instance = window_.instance();
  switch (message) {
    case WM_CLOSE:
      if (IsWindowEnabled(main_))
        if (forms::Window* open = runtime->FindInstance(instance)) runtime->UserClose(*open);
      return 0;
    case WM_SIZE:
      Regrow();
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // Labels, group boxes and buttons lie on the window's face colour.
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) {
        forms::PressKey(*runtime, window_.own_unit(), forms::Key::kEscape);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (lparam == 0 && HIWORD(wparam) == 0) {
        std::size_t index = LOWORD(wparam);
        if (index == 0 || index > menu_ids_.size()) return 0;
        std::uint32_t id = menu_ids_[index - 1];
        if (forms::Window* open = runtime->FindInstance(instance))
          runtime->ChooseMenuItem(*open, id);
        return 0;
      }
      if (forms::Unit* unit = UnitOf(reinterpret_cast<HWND>(lparam)))
        Command(*unit, HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (forms::Unit* unit = UnitOf(header.hwndFrom)) return Notify(*unit, header);
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(main_, message, wparam, lparam);
}

void WindowView::Command(forms::Unit& unit, int code, HWND control) {
  if (mirroring_) return;
  if (auto* button = dynamic_cast<forms::Button*>(&unit)) {
    if (code == BN_CLICKED) button->Click();
  } else if (auto* box = dynamic_cast<forms::EditBox*>(&unit)) {
    if (code == EN_CHANGE) TypeInto(*box, control);
  } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&unit)) {
    if (code == CBN_SELCHANGE)
      combo->Pick(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
  }
}

LRESULT WindowView::Notify(forms::Unit& unit, const NMHDR& header) {
  if (mirroring_) return 0;
  if (auto* tab = dynamic_cast<forms::Tab*>(&unit)) {
    if (header.code == TCN_SELCHANGE) {
      int index = static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0));
      page_changed_by_click_ = true;
      // The model decides the page: the strip shows it again until then.
      mirroring_ = true;
      SendMessageW(header.hwndFrom, TCM_SETCURSEL, static_cast<WPARAM>(tab->current_page()), 0);
      mirroring_ = false;
      if (index >= 0 && index != tab->current_page()) tab->ChoosePage(index);
    } else if (header.code == NM_CLICK) {
      if (!page_changed_by_click_) tab->Click();
      page_changed_by_click_ = false;
    }
    return 0;
  }
  if (auto* picker = dynamic_cast<forms::DatePicker*>(&unit)) {
    if (header.code == DTN_DATETIMECHANGE) {
      const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
      if (change.dwFlags == GDT_VALID)
        picker->Pick(
            runtime::MakeDateTime({change.st.wYear, change.st.wMonth, change.st.wDay, 0, 0, 0}));
    }
    return 0;
  }
  auto* list = dynamic_cast<forms::ListView*>(&unit);
  if (list == nullptr) return 0;
  HWND control = header.hwndFrom;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
      int row = info.item.iItem;
      if (row < 0 || row >= list->row_count()) return 0;
      if ((info.item.mask & LVIF_TEXT) != 0 && info.item.cchTextMax > 0) {
        cell_text_ = GbkToWide(list->CellView(row, info.item.iSubItem));
        std::size_t length = std::min<std::size_t>(
            cell_text_.size(), static_cast<std::size_t>(info.item.cchTextMax) - 1);
        std::copy_n(cell_text_.data(), length, info.item.pszText);
        info.item.pszText[length] = L'\0';
      }
      if ((info.item.mask & LVIF_STATE) != 0 && list->check_boxes()) {
        info.item.state = INDEXTOSTATEIMAGEMASK(list->StateImage(row) == 2 ? 2 : 1);
        info.item.stateMask = LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
          change.iItem >= 0 && change.iItem != list->selected_row())
        list->Select(change.iItem);
      return 0;
    }
    case LVN_COLUMNCLICK:
      list->SortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE && list->check_boxes() &&
          list->selected_row() >= 0)
        list->SetChecked(list->selected_row(), list->StateImage(list->selected_row()) != 2);
      return 0;
    case NM_CLICK:
    case NM_RCLICK:
    case NM_DBLCLK: {
      // Where the click was, as the list reports it with the notice.
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      LVHITTESTINFO hit{};
      hit.pt = activate.ptAction;
      int row = ListView_SubItemHitTest(control, &hit);
      std::weak_ptr<const bool> alive = list->alive();
      if (header.code == NM_CLICK) {
        if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0 && list->check_boxes())
          list->SetChecked(row, list->StateImage(row) != 2);
        return 0;
      }
      if (row >= 0) list->Select(row);
      if (alive.expired()) return 0;
      if (header.code == NM_RCLICK)
        list->RightClick();
      else if (row >= 0)
        list->DoubleClick();
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK WindowView::ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR, DWORD_PTR data) {
  auto* view = reinterpret_cast<WindowView*>(data);
  forms::Unit* unit = view->UnitOf(hwnd);
  LRESULT result = 0;
  if (unit != nullptr && view->ControlMessage(*unit, message, wparam, result)) return result;
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

bool WindowView::ControlMessage(forms::Unit& unit, UINT message, WPARAM wparam, LRESULT& result) {
  result = 0;
  if (auto grid = grids_.find(&unit); grid != grids_.end())
    if (grid->second->Message(message, wparam, result)) return true;
  if (message == WM_ERASEBKGND && dynamic_cast<forms::GroupBox*>(&unit) != nullptr) {
    // A group box draws only its frame and caption, and the window does not
    // paint under its controls: the face colour fills what lies inside.
    RECT inside{};
    GetClientRect(HandleOf(unit), &inside);
    FillRect(reinterpret_cast<HDC>(wparam), &inside, GetSysColorBrush(COLOR_BTNFACE));
    result = 1;
    return true;
  }
  forms::FormRuntime& runtime = window_.runtime();
  switch (message) {
    case WM_KEYDOWN:
      if (wparam == VK_RETURN || wparam == VK_ESCAPE || wparam == VK_TAB) {
        HWND control = HandleOf(unit);
        if (!KeyPressed(unit, wparam)) return false;
        // The character the key makes would beep or land in the box.
        MSG pending;
        PeekMessageW(&pending, control, WM_CHAR, WM_CHAR, PM_REMOVE);
        return true;
      }
      return false;
    case WM_CHAR:
      return wparam == L'\t';
    case WM_SETFOCUS:
      if (runtime.focus() != &unit) runtime.UserFocus(&unit);
      return false;
    case WM_KILLFOCUS: {
      HWND next = reinterpret_cast<HWND>(wparam);
      // Leaving for another program or a pop-up is no change of focus.
      if (next != nullptr && GetAncestor(next, GA_ROOT) == main_ && runtime.focus() == &unit)
        runtime.UserFocus(nullptr);
      return false;
    }
    default:
      return false;
  }
}

}  // namespace gui::win32
