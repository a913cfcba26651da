// The window template in memory: every window of the program with its units,
// menu items, positions, captions, settings and event bindings, exactly as
// the template segment stores them (template_io.h reads and writes it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "forms/byte_io.h"

namespace forms {

using Text = std::string;  // GBK bytes

// Position and size in pixels, relative to the client area of the container.
struct Rect {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A handler offset: the index into the order desk's handler table, or
// kNoHandler.
constexpr std::int32_t kNoHandler = -1;

struct EventBinding {
  std::int32_t event = 0;
  std::int32_t handler = kNoHandler;
  friend bool operator==(const EventBinding&, const EventBinding&) = default;
};

// One unit (every unit but menu items), the window's own unit included.
struct UnitRecord {
  std::uint32_t id = 0;
  std::uint32_t type = 0;
  // For a unit created as a copy at run time: the unit whose bindings it
  // shares. 0 in the template.
  std::uint32_t copy_of = 0;
  Text name;  // unique in the window; empty for the window's own unit
  Text remark;
  Rect rect;
  std::uint32_t container = 0;  // group box or tab holding it; 0 = the window
  // Group box: the units it holds. Tab: the units of each page in page
  // order, pages separated by a 0 entry.
  std::vector<std::uint32_t> children;
  Bytes auxiliary;
  Text third_name;
  std::uint32_t flags = 0;  // unit_flag bits
  std::vector<EventBinding> events;
  Bytes settings;  // the type's own settings (settings.h)
  friend bool operator==(const UnitRecord&, const UnitRecord&) = default;
};

// One menu item; the menu of a window is the sequence of its menu items in
// table order. Level 0 is a menu (a menu-bar title, or a pop-up menu when
// hidden); level 1 an item of the nearest preceding level-0 menu.
struct MenuItemRecord {
  std::uint32_t id = 0;
  Text name;
  Text remark;
  std::int32_t level = 0;
  std::uint32_t flags = 0;  // menu_flag bits
  Text caption;
  std::int32_t handler = kNoHandler;
  friend bool operator==(const MenuItemRecord&, const MenuItemRecord&) = default;
};

using TableEntry = std::variant<UnitRecord, MenuItemRecord>;

struct WindowBlock {
  std::uint32_t id = 0;
  std::uint32_t module_id = 0;
  Text first_name, second_name;
  // Entry 0 is the window's own unit.
  std::vector<TableEntry> entries;
  friend bool operator==(const WindowBlock&, const WindowBlock&) = default;

  const UnitRecord& own_unit() const { return std::get<UnitRecord>(entries.front()); }
};

struct Template {
  std::vector<WindowBlock> windows;
  friend bool operator==(const Template&, const Template&) = default;

  const WindowBlock* FindWindow(std::uint32_t window_id) const;
};

// The id of a table entry.
std::uint32_t EntryId(const TableEntry& entry);

}  // namespace forms
