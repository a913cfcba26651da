#include "driver/window_names.h"

#include "driver/driver.h"
#include "forms/ids.h"
#include "forms/settings.h"
#include "platform/gbk.h"

namespace driver {
namespace {

using forms::MenuItemRecord;
using forms::UnitRecord;
using forms::WindowBlock;

forms::Text LayoutCaption(const WindowBlock& block) {
  auto decoded = forms::DecodeWindow(block.own_unit().settings);
  return decoded ? decoded->caption : forms::Text();
}

// The window called `gbk` ("main" or a layout caption), or null.
const WindowBlock* WindowNamed(const forms::FormRuntime& forms, const std::string& gbk) {
  if (gbk == "main") return &MainBlock(forms);
  for (const WindowBlock& block : forms.tmpl().windows)
    if (!LayoutCaption(block).empty() && LayoutCaption(block) == gbk) return &block;
  return nullptr;
}

Named ForWindow(const forms::FormRuntime& forms, const WindowBlock& block) {
  Named named;
  named.block = &block;
  named.window = forms.FindWindow(block.id);
  named.is_window = true;
  named.type = forms::unit_type::kWindow;
  if (named.window != nullptr) named.unit = &named.window->own_unit();
  return named;
}

// The unit or menu called `gbk` in `block`; false when there is none.
bool FindIn(const forms::FormRuntime& forms, const WindowBlock& block, const std::string& gbk,
            bool menus, Named& named) {
  for (const forms::TableEntry& entry : block.entries) {
    if (const auto* unit = std::get_if<UnitRecord>(&entry)) {
      if (menus || unit->name.empty() || unit->name != gbk) continue;
      named.unit_id = unit->id;
      named.type = unit->type;
    } else {
      const auto& item = std::get<MenuItemRecord>(entry);
      if (!menus || item.caption != gbk) continue;
      named.unit_id = item.id;
      named.type = forms::unit_type::kMenu;
    }
    named.block = &block;
    named.window = forms.FindWindow(block.id);
    if (named.window != nullptr && named.type != forms::unit_type::kMenu)
      named.unit = named.window->FindUnit(named.unit_id);
    return true;
  }
  return false;
}

}  // namespace

const WindowBlock& MainBlock(const forms::FormRuntime& forms) {
  return forms.tmpl().windows.front();
}

Named Resolve(const forms::FormRuntime& forms, std::string_view utf8_name) {
  std::string gbk = platform::Utf8ToGbk(utf8_name);
  if (const WindowBlock* block = WindowNamed(forms, gbk)) return ForWindow(forms, *block);
  Named named;
  std::size_t dot = gbk.find('.');
  if (dot != std::string::npos) {
    if (const WindowBlock* block = WindowNamed(forms, gbk.substr(0, dot))) {
      std::string rest = gbk.substr(dot + 1);
      if (FindIn(forms, *block, rest, false, named) || FindIn(forms, *block, rest, true, named))
        return named;
      throw ScriptError{"unknown unit " + std::string(utf8_name)};
    }
  }
  // Open windows newest first, then the others in template order; names
  // before menu captions.
  std::vector<const WindowBlock*> order;
  for (auto it = forms.windows().rbegin(); it != forms.windows().rend(); ++it)
    order.push_back(&(*it)->block());
  for (const WindowBlock& block : forms.tmpl().windows)
    if (forms.FindWindow(block.id) == nullptr) order.push_back(&block);
  for (bool menus : {false, true})
    for (const WindowBlock* block : order)
      if (FindIn(forms, *block, gbk, menus, named)) return named;
  throw ScriptError{"unknown unit " + std::string(utf8_name)};
}

std::string UnitLabel(const forms::Unit& unit) {
  const forms::Window& window = unit.window();
  std::string name = platform::GbkToUtf8(unit.name());
  if (&window.block() == &MainBlock(window.runtime())) return name;
  return platform::GbkToUtf8(LayoutCaption(window.block())) + "." + name;
}

}  // namespace driver
