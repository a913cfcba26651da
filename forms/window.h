// A loaded window: its units, created from its block of the template, the
// view that mirrors it, and its place among the loaded windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "forms/template.h"
#include "forms/unit.h"
#include "forms/units/captioned.h"
#include "forms/view.h"

namespace forms {

class FormRuntime;
using Handler = void (*)();

// A menu item as the window's menu holds it. Its properties live here, not
// in a unit, and outlast the window: they are the template's, changed by
// the writes of the program.
struct MenuItemState {
  std::uint32_t id = 0;
  std::int32_t level = 0;
  std::uint32_t flags = 0;  // menu_flag bits
  Text caption;
  Handler handler = nullptr;
};

class Window {
 public:
  // Creates every unit of `block`; `instance` tells this load apart from
  // earlier and later loads of the same window.
  Window(FormRuntime& runtime, const WindowBlock& block, std::uint64_t instance);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  FormRuntime& runtime() const { return runtime_; }
  std::uint32_t id() const { return block_.id; }
  std::uint64_t instance() const { return instance_; }
  const WindowBlock& block() const { return block_; }

  WindowUnit& own_unit() const { return *own_unit_; }
  const Text& caption() const { return own_unit_->caption(); }
  // The window's own unit for 0 or its id; else the unit with `unit_id`.
  Unit* FindUnit(std::uint32_t unit_id) const;
  Unit* FindUnitByName(const Text& name) const;
  // The window's own unit first, then the others in table order.
  const std::vector<std::unique_ptr<Unit>>& units() const { return units_; }

  bool enabled() const { return !own_unit_->disabled_flag(); }
  void SetEnabled(bool enabled);

  WindowView* view() const { return view_.get(); }
  void SetView(std::unique_ptr<WindowView> view) { view_ = std::move(view); }

  // The menu items of this window, in table order.
  std::vector<MenuItemState>& menu() const;

 private:
  FormRuntime& runtime_;
  const WindowBlock& block_;
  std::uint64_t instance_;
  std::vector<std::unique_ptr<Unit>> units_;
  std::map<std::uint32_t, Unit*> by_id_;
  std::map<Text, Unit*> by_name_;
  WindowUnit* own_unit_ = nullptr;
  std::unique_ptr<WindowView> view_;
};

}  // namespace forms
