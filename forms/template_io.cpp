#include "forms/template_io.h"

#include <algorithm>
#include <map>
#include <set>

#include "forms/ids.h"
#include "forms/settings.h"

namespace forms {
namespace {

constexpr std::size_t kUnitTailReserved = 20;
constexpr std::size_t kMenuTailReserved = 16;

void WriteUnitRecord(ByteWriter& out, const UnitRecord& unit) {
  out.U32(unit.type);
  out.U32(unit.copy_of);
  out.Zeros(16);
  out.String(unit.name);
  out.String(unit.remark);
  out.U32(0);  // object slot
  out.I32(unit.rect.left);
  out.I32(unit.rect.top);
  out.I32(unit.rect.width);
  out.I32(unit.rect.height);
  out.U32(0);
  out.U32(unit.container);
  out.U32(static_cast<std::uint32_t>(unit.children.size()));
  for (std::uint32_t child : unit.children) out.U32(child);
  out.U32(static_cast<std::uint32_t>(unit.auxiliary.size()));
  out.Raw(unit.auxiliary);
  out.String(unit.third_name);
  out.U32(0);
  out.U32(unit.flags);
  out.U32(0);
  out.U32(static_cast<std::uint32_t>(unit.events.size()));
  for (const EventBinding& binding : unit.events) {
    out.I32(binding.event);
    out.I32(binding.handler);
  }
  out.Zeros(kUnitTailReserved);
  out.Raw(unit.settings);
}

void WriteMenuItemRecord(ByteWriter& out, const MenuItemRecord& item) {
  out.U32(unit_type::kMenu);
  out.U32(0);
  out.Zeros(16);
  out.String(item.name);
  out.String(item.remark);
  out.U32(0);
  out.I32(item.level);
  out.U32(item.flags);
  out.String(item.caption);
  out.I32(item.handler);
  out.Zeros(kMenuTailReserved);
}

Bytes WriteUnitTable(const WindowBlock& window) {
  ByteWriter area;
  std::vector<std::uint32_t> offsets;
  for (const TableEntry& entry : window.entries) {
    offsets.push_back(static_cast<std::uint32_t>(area.size()));
    ByteWriter record;
    if (const auto* unit = std::get_if<UnitRecord>(&entry))
      WriteUnitRecord(record, *unit);
    else
      WriteMenuItemRecord(record, std::get<MenuItemRecord>(entry));
    area.U32(static_cast<std::uint32_t>(record.size()));
    area.Raw(record.bytes());
  }
  ByteWriter table;
  for (const TableEntry& entry : window.entries) table.U32(EntryId(entry));
  for (std::uint32_t offset : offsets) table.U32(offset);
  table.Raw(area.bytes());
  return table.Take();
}

std::optional<UnitRecord> ReadUnitRecord(ByteReader& in, std::uint32_t type) {
  UnitRecord unit;
  unit.type = type;
  unit.copy_of = in.U32();
  in.Skip(16);
  unit.name = in.String();
  unit.remark = in.String();
  in.Skip(4);
  unit.rect = {in.I32(), in.I32(), in.I32(), in.I32()};
  in.Skip(4);
  unit.container = in.U32();
  std::uint32_t child_count = in.U32();
  if (child_count > in.remaining() / 4) return std::nullopt;
  unit.children.resize(child_count);
  for (std::uint32_t& child : unit.children) child = in.U32();
  auto auxiliary = in.Raw(in.U32());
  unit.auxiliary.assign(auxiliary.begin(), auxiliary.end());
  unit.third_name = in.String();
  in.Skip(4);
  unit.flags = in.U32();
  in.Skip(4);
  std::uint32_t event_count = in.U32();
  if (event_count > in.remaining() / 8) return std::nullopt;
  unit.events.resize(event_count);
  for (EventBinding& binding : unit.events) binding = {in.I32(), in.I32()};
  in.Skip(kUnitTailReserved);
  if (!in.ok()) return std::nullopt;
  auto settings = in.Raw(in.remaining());
  unit.settings.assign(settings.begin(), settings.end());
  if (unit.rect.width < 0 || unit.rect.height < 0) return std::nullopt;
  for (const EventBinding& binding : unit.events)
    if (binding.handler < kNoHandler) return std::nullopt;
  if (!SettingsAreValid(type, unit.settings)) return std::nullopt;
  return unit;
}

std::optional<MenuItemRecord> ReadMenuItemRecord(ByteReader& in) {
  MenuItemRecord item;
  in.Skip(4 + 16);
  item.name = in.String();
  item.remark = in.String();
  in.Skip(4);
  item.level = in.I32();
  item.flags = in.U32();
  item.caption = in.String();
  item.handler = in.I32();
  in.Skip(kMenuTailReserved);
  if (!in.AtEnd() || (item.level != 0 && item.level != 1) || item.handler < kNoHandler)
    return std::nullopt;
  return item;
}

std::optional<TableEntry> ReadRecord(std::span<const std::uint8_t> bytes, std::uint32_t id) {
  ByteReader in(bytes);
  std::uint32_t type = in.U32();
  if (!in.ok()) return std::nullopt;
  if (type == unit_type::kMenu) {
    if (IdKind(id) != id_kind::kMenuItem) return std::nullopt;
    auto item = ReadMenuItemRecord(in);
    if (!item) return std::nullopt;
    item->id = id;
    return TableEntry(std::move(*item));
  }
  if (!unit_type::IsKnown(type)) return std::nullopt;
  auto unit = ReadUnitRecord(in, type);
  if (!unit) return std::nullopt;
  unit->id = id;
  return TableEntry(std::move(*unit));
}

std::optional<std::vector<TableEntry>> ReadUnitTable(std::span<const std::uint8_t> table,
                                                     std::uint32_t count) {
  ByteReader in(table);
  if (count == 0 || count > in.remaining() / 12) return std::nullopt;
  std::vector<std::uint32_t> ids(count), offsets(count);
  for (std::uint32_t& id : ids) id = in.U32();
  for (std::uint32_t& offset : offsets) offset = in.U32();
  if (!in.ok()) return std::nullopt;
  auto area = table.subspan(in.position());
  std::vector<TableEntry> entries;
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (offsets[i] > area.size()) return std::nullopt;
    ByteReader at(area.subspan(offsets[i]));
    std::uint32_t length = at.U32();
    auto record = at.Raw(length);
    if (!at.ok()) return std::nullopt;
    auto entry = ReadRecord(record, ids[i]);
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return entries;
}

// The rules that tie the records of one window together.
bool WindowIsConsistent(const WindowBlock& window) {
  const auto* own = std::get_if<UnitRecord>(&window.entries.front());
  if (own == nullptr || own->type != unit_type::kWindow ||
      IdKind(own->id) != id_kind::kWindowUnit || own->container != 0)
    return false;
  std::map<std::uint32_t, const UnitRecord*> units;
  std::set<std::uint32_t> ids;
  std::set<Text> names;
  bool menu_open = false;
  for (std::size_t i = 0; i < window.entries.size(); ++i) {
    const TableEntry& entry = window.entries[i];
    std::uint32_t id = EntryId(entry);
    if (!IsValidId(id) || !ids.insert(id).second) return false;
    if (const auto* item = std::get_if<MenuItemRecord>(&entry)) {
      if (item->level == 0) menu_open = true;
      if (item->level == 1 && !menu_open) return false;
      continue;
    }
    const auto& unit = std::get<UnitRecord>(entry);
    if (i > 0 && (unit.type == unit_type::kWindow || IdKind(id) != id_kind::kUnit)) return false;
    if (!unit.name.empty() && !names.insert(unit.name).second) return false;
    units[id] = &unit;
  }
  // The tab order names units of this window.
  if (auto settings = DecodeWindow(own->settings))
    for (std::uint32_t id : settings->tab_order)
      if (units.count(id) == 0 || id == own->id) return false;
  for (const auto& [id, unit] : units) {
    if (unit->container != 0) {
      auto it = units.find(unit->container);
      if (it == units.end() ||
          (it->second->type != unit_type::kGroupBox && it->second->type != unit_type::kTab))
        return false;
      // The container must list the unit among its children.
      const auto& siblings = it->second->children;
      if (std::find(siblings.begin(), siblings.end(), id) == siblings.end()) return false;
    }
    // Every child names a unit of this window that names this container.
    std::size_t pages = 1;
    for (std::uint32_t child : unit->children) {
      if (child == 0 && unit->type == unit_type::kTab) {
        ++pages;
        continue;
      }
      auto it = units.find(child);
      if (it == units.end() || it->second->container != id) return false;
    }
    if (unit->type == unit_type::kTab && pages != DecodeTab(unit->settings)->pages.size())
      return false;
    if (unit->type != unit_type::kTab && unit->type != unit_type::kGroupBox &&
        !unit->children.empty() && unit->type != unit_type::kWindow)
      return false;
    // No unit may be its own container, however far up.
    std::uint32_t up = unit->container;
    for (std::size_t steps = 0; up != 0; ++steps) {
      if (steps > units.size() || up == id) return false;
      up = units.at(up)->container;
    }
  }
  return true;
}

}  // namespace

const WindowBlock* Template::FindWindow(std::uint32_t window_id) const {
  for (const WindowBlock& window : windows)
    if (window.id == window_id) return &window;
  return nullptr;
}

std::uint32_t EntryId(const TableEntry& entry) {
  return std::visit([](const auto& record) { return record.id; }, entry);
}

Bytes WriteTemplate(const Template& tmpl) {
  ByteWriter out;
  out.U32(static_cast<std::uint32_t>(8 * tmpl.windows.size()));
  for (const WindowBlock& window : tmpl.windows) out.U32(window.id);
  for (std::size_t i = 0; i < tmpl.windows.size(); ++i) out.U32(0);
  for (const WindowBlock& window : tmpl.windows) {
    out.U32(0);
    out.U32(window.module_id);
    out.Counted(window.first_name);
    out.Counted(window.second_name);
    out.U32(static_cast<std::uint32_t>(window.entries.size()));
    Bytes table = WriteUnitTable(window);
    out.U32(static_cast<std::uint32_t>(table.size()));
    out.Raw(table);
  }
  return out.Take();
}

std::optional<Template> ReadTemplate(std::span<const std::uint8_t> segment) {
  ByteReader in(segment);
  std::uint32_t list_length = in.U32();
  if (!in.ok() || list_length == 0 || list_length % 8 != 0 || list_length > in.remaining())
    return std::nullopt;
  Template tmpl;
  tmpl.windows.resize(list_length / 8);
  std::set<std::uint32_t> window_ids;
  for (WindowBlock& window : tmpl.windows) {
    window.id = in.U32();
    if (!IsValidId(window.id) || IdKind(window.id) != id_kind::kWindow ||
        !window_ids.insert(window.id).second)
      return std::nullopt;
  }
  in.Skip(4 * tmpl.windows.size());
  for (WindowBlock& window : tmpl.windows) {
    in.Skip(4);
    window.module_id = in.U32();
    window.first_name = in.Counted();
    window.second_name = in.Counted();
    std::uint32_t count = in.U32();
    auto table = in.Raw(in.U32());
    if (!in.ok()) return std::nullopt;
    auto entries = ReadUnitTable(table, count);
    if (!entries) return std::nullopt;
    window.entries = std::move(*entries);
    if (!WindowIsConsistent(window)) return std::nullopt;
  }
  if (!in.AtEnd()) return std::nullopt;
  return tmpl;
}

}  // namespace forms
