#include "forms/layout.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "platform/gbk.h"

namespace forms::layout {
namespace {

bool TakesFocus(std::uint32_t type) {
  switch (type) {
    case unit_type::kLabel:
    case unit_type::kGroupBox:
    case unit_type::kTab:
    case unit_type::kDataSrc:
    case unit_type::kNProvider:
      return false;
    default:
      return true;
  }
}

Text Gbk(const std::string& utf8) { return platform::Utf8ToGbk(utf8); }

}  // namespace

Unit::Unit(std::uint32_t type, const char* name, Rect rect)
    : type_(type),
      name_(name),
      rect_(rect),
      flags_(unit_flag::kVisible | (TakesFocus(type) ? unit_flag::kTabStop : 0)) {}

Unit& Unit::Hidden() {
  flags_ &= ~unit_flag::kVisible;
  return *this;
}
Unit& Unit::Disabled() {
  flags_ |= unit_flag::kDisabled;
  return *this;
}
Unit& Unit::On(int event, Handler handler) {
  events_.emplace_back(event, handler);
  return *this;
}
Unit& Unit::MultiLine() {
  edit_.multi_line = 1;
  return *this;
}
Unit& Unit::VerticalScrollBar() {
  edit_.scroll_bars = 2;
  return *this;
}
Unit& Unit::InputMode(int mode) {
  edit_.input_mode = mode;
  return *this;
}
Unit& Unit::MaxLength(int bytes) {
  edit_.max_length = bytes;
  return *this;
}
Unit& Unit::TextColour(std::int32_t colour) {
  edit_.text_colour = colour;
  return *this;
}
Unit& Unit::Background(std::int32_t colour) {
  edit_.background = colour;
  return *this;
}
Unit& Unit::CheckBoxes() {
  list_.style |= ListViewSettings::kCheckBoxes;
  return *this;
}

Unit Label(const char* name, const char* caption, Rect rect) {
  Unit unit(unit_type::kLabel, name, rect);
  unit.caption_ = caption;
  return unit;
}
Unit Button(const char* name, const char* caption, Rect rect) {
  Unit unit(unit_type::kButton, name, rect);
  unit.caption_ = caption;
  return unit;
}
Unit EditBox(const char* name, Rect rect) { return Unit(unit_type::kEditBox, name, rect); }
Unit GroupBox(const char* name, const char* caption, Rect rect, std::vector<Unit> units) {
  Unit unit(unit_type::kGroupBox, name, rect);
  unit.caption_ = caption;
  unit.children_ = std::move(units);
  return unit;
}
Unit ComboBox(const char* name, Rect rect, std::vector<const char*> items, const char* text) {
  Unit unit(unit_type::kComboBox, name, rect);
  unit.items_.assign(items.begin(), items.end());
  unit.caption_ = text;
  return unit;
}
Unit DatePicker(const char* name, Rect rect) { return Unit(unit_type::kDatePicker, name, rect); }
Unit ListView(const char* name, Rect rect, std::vector<Column> columns) {
  Unit unit(unit_type::kListView, name, rect);
  unit.columns_ = std::move(columns);
  return unit;
}
Unit Grid(const char* name, Rect rect, const char* data_source) {
  Unit unit(unit_type::kGrid, name, rect);
  unit.caption_ = data_source;
  return unit;
}
Unit DataSource(const char* name, Rect rect, const char* provider) {
  Unit unit(unit_type::kDataSrc, name, rect);
  unit.caption_ = provider;
  return unit;
}
Unit Provider(const char* name, Rect rect) { return Unit(unit_type::kNProvider, name, rect); }
Unit Tab(const char* name, Rect rect, std::vector<Page> pages) {
  Unit unit(unit_type::kTab, name, rect);
  for (Page& page : pages) {
    unit.page_captions_.emplace_back(page.caption);
    unit.pages_.push_back(std::move(page.units));
  }
  return unit;
}

// Turns the layout values of all windows into template records.
class Builder {
 public:
  explicit Builder(std::span<const Handler> handlers) : handlers_(handlers) {}

  WindowBlock BuildWindow(const Window& window) {
    WindowBlock block;
    next_serial_ = window.serial;
    UnitRecord own;
    own.id = MakeId(id_kind::kWindowUnit, TakeSerial());
    block.id = MakeId(id_kind::kWindow, TakeSerial());
    own.type = unit_type::kWindow;
    own.rect = window.rect;
    own.flags = unit_flag::kVisible;
    if (window.on_created != nullptr)
      own.events.push_back({event::kCreated, Offset(window.on_created)});
    WindowSettings settings;
    settings.caption = Gbk(window.caption);
    own.settings = EncodeWindow(settings);
    block.entries.emplace_back(std::move(own));

    names_.clear();
    for (const Unit& unit : window.units) AddUnit(block, unit, 0);
    if (!window.tab_order.empty() || window.escape_closes) {
      settings.escape_closes = window.escape_closes ? 1 : 0;
      for (const char* name : window.tab_order) {
        const UnitRecord* unit = FindNamed(block, Gbk(name));
        if (unit == nullptr || (unit->flags & unit_flag::kTabStop) == 0)
          throw std::invalid_argument(std::string("tab order names no focusable unit: ") + name);
        settings.tab_order.push_back(unit->id);
      }
      std::get<UnitRecord>(block.entries.front()).settings = EncodeWindow(settings);
    }
    for (const auto& [box, button] : window.enter_presses) {
      auto* unit = const_cast<UnitRecord*>(FindNamed(block, Gbk(box)));
      if (unit == nullptr || unit->type != unit_type::kEditBox)
        throw std::invalid_argument(std::string("Enter is given to no edit box: ") + box);
      EditBoxSettings edit = *DecodeEditBox(unit->settings);
      edit.enter_presses = Gbk(button);
      unit->settings = EncodeEditBox(edit);
    }
    for (const Menu& menu : window.menus) {
      MenuItemRecord title;
      title.id = MakeId(id_kind::kMenuItem, TakeSerial());
      title.level = 0;
      title.flags = menu.popup_only ? menu_flag::kHidden : 0;
      title.caption = Gbk(menu.caption);
      block.entries.emplace_back(std::move(title));
      for (const MenuItem& item : menu.items) {
        MenuItemRecord record;
        record.id = MakeId(id_kind::kMenuItem, TakeSerial());
        record.level = 1;
        record.caption = Gbk(item.caption);
        record.handler = item.handler == nullptr ? kNoHandler : Offset(item.handler);
        block.entries.emplace_back(std::move(record));
      }
    }
    block.module_id = MakeId(id_kind::kModule, TakeSerial());
    CheckLinks(block);
    return block;
  }

 private:
  std::uint16_t TakeSerial() {
    std::uint16_t serial = next_serial_++;
    if (serial == 0xFFFF || !used_serials_.insert(serial).second)
      throw std::invalid_argument("serial used twice: " + std::to_string(serial));
    return serial;
  }

  std::int32_t Offset(Handler handler) {
    auto it = std::find(handlers_.begin(), handlers_.end(), handler);
    if (it == handlers_.end()) throw std::invalid_argument("a handler is not in the table");
    return static_cast<std::int32_t>(it - handlers_.begin());
  }

  Bytes Settings(const Unit& unit) {
    switch (unit.type_) {
      case unit_type::kLabel: {
        LabelSettings s;
        s.caption = Gbk(unit.caption_);
        return EncodeLabel(s);
      }
      case unit_type::kButton:
        return EncodeButton({Gbk(unit.caption_)});
      case unit_type::kGroupBox:
        return EncodeGroupBox({Gbk(unit.caption_)});
      case unit_type::kEditBox:
        return EncodeEditBox(unit.edit_);
      case unit_type::kComboBox: {
        ComboBoxSettings s;
        s.text = Gbk(unit.caption_);
        for (const std::string& item : unit.items_) s.items.push_back(Gbk(item));
        return EncodeComboBox(s);
      }
      case unit_type::kTab: {
        TabSettings s;
        for (const std::string& page : unit.page_captions_) s.pages.push_back(Gbk(page));
        return EncodeTab(s);
      }
      case unit_type::kListView: {
        ListViewSettings s = unit.list_;
        s.font_face = Gbk("宋体");
        for (const Column& column : unit.columns_)
          s.columns.push_back({-1, 0, column.width, Gbk(column.title)});
        return EncodeListView(s);
      }
      case unit_type::kGrid:
      case unit_type::kDataSrc:
        return EncodeLink({Gbk(unit.caption_)});
      default:
        return {};
    }
  }

  // Adds `unit` and what it holds; returns its id.
  std::uint32_t AddUnit(WindowBlock& block, const Unit& unit, std::uint32_t container) {
    UnitRecord record;
    record.id = MakeId(id_kind::kUnit, TakeSerial());
    record.type = unit.type_;
    record.name = Gbk(unit.name_);
    if (record.name.empty() || !names_.insert(record.name).second)
      throw std::invalid_argument("unit name empty or used twice: " + unit.name_);
    record.rect = unit.rect_;
    record.container = container;
    record.flags = unit.flags_;
    for (const auto& [number, handler] : unit.events_)
      record.events.push_back({number, handler == nullptr ? kNoHandler : Offset(handler)});
    record.settings = Settings(unit);
    std::size_t index = block.entries.size();
    block.entries.emplace_back(std::move(record));
    std::vector<std::uint32_t> children;
    for (const Unit& child : unit.children_)
      children.push_back(AddUnit(block, child, IdAt(block, index)));
    for (std::size_t page = 0; page < unit.pages_.size(); ++page) {
      if (page > 0) children.push_back(0);
      for (const Unit& child : unit.pages_[page])
        children.push_back(AddUnit(block, child, IdAt(block, index)));
    }
    std::get<UnitRecord>(block.entries[index]).children = std::move(children);
    return IdAt(block, index);
  }

  static std::uint32_t IdAt(const WindowBlock& block, std::size_t index) {
    return EntryId(block.entries[index]);
  }

  static const UnitRecord* FindNamed(const WindowBlock& block, const Text& name) {
    for (const TableEntry& entry : block.entries)
      if (const auto* unit = std::get_if<UnitRecord>(&entry); unit != nullptr && unit->name == name)
        return unit;
    return nullptr;
  }

  // A grid must name a data source of its window, a data source a provider,
  // and Enter in an edit box a button.
  void CheckLinks(const WindowBlock& block) {
    std::map<Text, std::uint32_t> types;
    for (const TableEntry& entry : block.entries)
      if (const auto* unit = std::get_if<UnitRecord>(&entry)) types[unit->name] = unit->type;
    for (const TableEntry& entry : block.entries) {
      const auto* unit = std::get_if<UnitRecord>(&entry);
      if (unit == nullptr) continue;
      std::uint32_t wanted = unit->type == unit_type::kGrid      ? unit_type::kDataSrc
                             : unit->type == unit_type::kDataSrc ? unit_type::kNProvider
                                                                 : 0;
      if (unit->type == unit_type::kEditBox) {
        Text target = DecodeEditBox(unit->settings)->enter_presses;
        auto it = types.find(target);
        if (!target.empty() && (it == types.end() || it->second != unit_type::kButton))
          throw std::invalid_argument("Enter presses no button: " +
                                      platform::GbkToUtf8(unit->name));
      }
      if (wanted == 0) continue;
      auto it = types.find(DecodeLink(unit->settings)->linked_unit);
      if (it == types.end() || it->second != wanted)
        throw std::invalid_argument("unit links to a missing unit: " +
                                    platform::GbkToUtf8(unit->name));
    }
  }

  std::span<const Handler> handlers_;
  std::uint16_t next_serial_ = 0;
  std::set<std::uint16_t> used_serials_;
  std::set<Text> names_;
};

Template BuildTemplate(const std::vector<Window>& windows, std::span<const Handler> handlers) {
  // Two entries with one address would bind every event to the first.
  std::set<Handler> distinct(handlers.begin(), handlers.end());
  if (distinct.size() != handlers.size() || distinct.count(nullptr) != 0)
    throw std::invalid_argument("the handler table holds a handler twice or a null one");
  Builder builder(handlers);
  Template tmpl;
  for (const Window& window : windows) tmpl.windows.push_back(builder.BuildWindow(window));
  return tmpl;
}

}  // namespace forms::layout
