#include "forms/keyboard.h"

#include <algorithm>
#include <memory>

#include "forms/form_runtime.h"
#include "forms/units/captioned.h"
#include "forms/units/edit_box.h"
#include "forms/window.h"

namespace forms {

std::vector<Unit*> TabOrder(const Window& window) {
  std::vector<Unit*> order;
  for (std::uint32_t id : window.own_unit().settings().tab_order) {
    Unit* unit = window.FindUnit(id);
    if (unit != nullptr && unit != &window.own_unit() && unit->takes_focus() &&
        std::find(order.begin(), order.end(), unit) == order.end())
      order.push_back(unit);
  }
  for (const auto& unit : window.units())
    if (unit->type() != unit_type::kWindow && unit->takes_focus() &&
        std::find(order.begin(), order.end(), unit.get()) == order.end())
      order.push_back(unit.get());
  return order;
}

Unit* NextInTabOrder(const Window& window, const Unit* from, bool backwards) {
  std::vector<Unit*> order = TabOrder(window);
  if (backwards) std::reverse(order.begin(), order.end());
  const auto n = order.size();
  auto at = std::find(order.begin(), order.end(), from);
  std::size_t start = at == order.end() ? n - 1 : static_cast<std::size_t>(at - order.begin());
  for (std::size_t step = 1; step <= n; ++step) {
    Unit* candidate = order[(start + step) % n];
    if (candidate != from && candidate->IsShown() && candidate->IsEnabled()) return candidate;
  }
  return nullptr;
}

Unit* EnterButton(const Unit& unit) {
  const Unit* button = &unit;
  if (const auto* box = dynamic_cast<const EditBox*>(&unit)) {
    if (box->settings().enter_presses.empty()) return nullptr;
    button = unit.window().FindUnitByName(box->settings().enter_presses);
  }
  auto* pressed = dynamic_cast<Button*>(const_cast<Unit*>(button));
  if (pressed == nullptr || !pressed->IsShown() || !pressed->IsEnabled()) return nullptr;
  return pressed;
}

void PressKey(FormRuntime& runtime, Unit& unit, Key key) {
  std::weak_ptr<const bool> alive = unit.alive();
  if (runtime.focus() != &unit && unit.takes_focus()) {
    runtime.UserFocus(&unit);
    if (alive.expired()) return;
  }
  Window& window = unit.window();
  switch (key) {
    case Key::kTab:
    case Key::kShiftTab:
      if (Unit* next = NextInTabOrder(window, &unit, key == Key::kShiftTab))
        runtime.UserFocus(next);
      break;
    case Key::kEnter:
      if (auto* button = dynamic_cast<Button*>(EnterButton(unit))) button->Click();
      break;
    case Key::kEscape:
      if (window.own_unit().settings().escape_closes != 0) runtime.UserClose(window);
      break;
  }
}

}  // namespace forms
