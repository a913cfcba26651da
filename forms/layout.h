// Builder for the readable layout source of the program's windows: each
// window is written once as nested C++ values, e.g.
//
//     Button("添加", "添加到清单↓", {528, 208, 80, 32}).OnClicked(&AddItem)
//
// and BuildTemplate turns the windows into the template (ids, records,
// settings, bindings as offsets into the handler table). Texts are UTF-8 here
// and become GBK in the template.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "forms/ids.h"
#include "forms/settings.h"
#include "forms/template.h"

namespace forms::layout {

// An order-desk event handler: no arguments, no result.
using Handler = void (*)();

// Colours 0x00BBGGRR.
constexpr std::int32_t kLightYellow = 0x00C0FFFF;
constexpr std::int32_t kGreen = 0x00008000;
constexpr std::int32_t kRed = 0x000000FF;
constexpr std::int32_t kBlue = 0x00FF0000;

// Edit-box input modes.
namespace input {
constexpr int kAnything = 0;
constexpr int kReadOnly = 1;
constexpr int kDigitsSignPoint = 4;
constexpr int kByte = 5;
constexpr int kShort = 6;
constexpr int kInt = 7;
constexpr int kLong = 8;
constexpr int kFloat = 9;
constexpr int kDouble = 10;
constexpr int kDateTime = 11;
}  // namespace input

struct Column {
  const char* title;
  int width;
};

class Unit;

struct Page {
  const char* caption;
  std::vector<Unit> units;
};

// One unit and, for a group box or tab, the units it holds.
class Unit {
 public:
  Unit(std::uint32_t type, const char* name, Rect rect);

  Unit& Hidden();
  Unit& Disabled();
  // Binds `handler` to event `event`; a null handler writes a binding of -1.
  Unit& On(int event, Handler handler);
  Unit& OnClicked(Handler handler) { return On(event::kClicked, handler); }
  Unit& OnContentChanged(Handler handler) { return On(event::kContentChanged, handler); }
  Unit& OnRightClicked(Handler handler) { return On(event::kRightClicked, handler); }

  // Edit boxes.
  Unit& MultiLine();
  Unit& VerticalScrollBar();
  Unit& InputMode(int mode);
  // The most bytes the box holds (0 = no limit).
  Unit& MaxLength(int bytes);
  Unit& TextColour(std::int32_t colour);
  Unit& Background(std::int32_t colour);
  // List views.
  Unit& CheckBoxes();

 private:
  friend class Builder;
  friend Unit Label(const char*, const char*, Rect);
  friend Unit Button(const char*, const char*, Rect);
  friend Unit EditBox(const char*, Rect);
  friend Unit GroupBox(const char*, const char*, Rect, std::vector<Unit>);
  friend Unit ComboBox(const char*, Rect, std::vector<const char*>, const char*);
  friend Unit DatePicker(const char*, Rect);
  friend Unit ListView(const char*, Rect, std::vector<Column>);
  friend Unit Grid(const char*, Rect, const char*);
  friend Unit DataSource(const char*, Rect, const char*);
  friend Unit Provider(const char*, Rect);
  friend Unit Tab(const char*, Rect, std::vector<Page>);

  std::uint32_t type_;
  std::string name_;
  Rect rect_;
  std::uint32_t flags_;
  std::vector<std::pair<int, Handler>> events_;
  // Settings, as far as the type uses them (UTF-8 texts).
  std::string caption_;
  EditBoxSettings edit_;
  std::vector<std::string> items_;
  ListViewSettings list_;
  std::vector<Column> columns_;
  std::vector<Unit> children_;
  std::vector<std::vector<Unit>> pages_;
  std::vector<std::string> page_captions_;
};

Unit Label(const char* name, const char* caption, Rect rect);
Unit Button(const char* name, const char* caption, Rect rect);
Unit EditBox(const char* name, Rect rect);
Unit GroupBox(const char* name, const char* caption, Rect rect, std::vector<Unit> units);
Unit ComboBox(const char* name, Rect rect, std::vector<const char*> items, const char* text);
Unit DatePicker(const char* name, Rect rect);
Unit ListView(const char* name, Rect rect, std::vector<Column> columns);
// A grid showing the table of the data source `data_source`.
Unit Grid(const char* name, Rect rect, const char* data_source);
// A data source keeping its cells in the provider `provider`.
Unit DataSource(const char* name, Rect rect, const char* provider);
Unit Provider(const char* name, Rect rect);
Unit Tab(const char* name, Rect rect, std::vector<Page> pages);

struct MenuItem {
  const char* caption;
  Handler handler = nullptr;
};

// A level-0 menu with its items. A pop-up menu is left out of the menu bar.
struct Menu {
  const char* caption;
  bool popup_only = false;
  std::vector<MenuItem> items;
};
inline Menu MenuBarMenu(const char* caption, std::vector<MenuItem> items) {
  return {caption, false, std::move(items)};
}
inline Menu PopupMenu(const char* caption, std::vector<MenuItem> items) {
  return {caption, true, std::move(items)};
}

struct Window {
  // The serial of the window's own unit (id 0x0601ssss); the window is
  // serial + 1 (0x5201ssss + 1), its units follow in source order, then its
  // menu items, then its module id.
  std::uint16_t serial = 0;
  const char* caption = "";
  Rect rect;
  Handler on_created = nullptr;
  std::vector<Unit> units;
  std::vector<Menu> menus;
  // The keyboard: the units Tab visits first, in order (the others follow
  // in source order); the button Enter presses in an edit box (edit box,
  // button); whether Esc closes the window.
  std::vector<const char*> tab_order;
  std::vector<std::pair<const char*, const char*>> enter_presses;
  bool escape_closes = false;
};

// Builds the template. Handler offsets index `handlers`. Throws
// std::invalid_argument naming the fault when a handler is not in the table,
// a name repeats in a window, a serial is used twice, a grid or data source
// names a unit the window lacks, or a tab order or Enter names a unit the
// window lacks (or one that takes no focus, or an Enter target no button).
Template BuildTemplate(const std::vector<Window>& windows, std::span<const Handler> handlers);

}  // namespace forms::layout
