#include "forms/window.h"

#include "forms/form_runtime.h"
#include "forms/units/choosers.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/report_units.h"
#include "forms/units/tab.h"

namespace forms {
namespace {

std::unique_ptr<Unit> CreateUnit(Window& window, const UnitRecord& record) {
  switch (record.type) {
    case unit_type::kWindow:
      return std::make_unique<WindowUnit>(window, record);
    case unit_type::kLabel:
      return std::make_unique<Label>(window, record);
    case unit_type::kButton:
      return std::make_unique<Button>(window, record);
    case unit_type::kGroupBox:
      return std::make_unique<GroupBox>(window, record);
    case unit_type::kEditBox:
      return std::make_unique<EditBox>(window, record);
    case unit_type::kComboBox:
      return std::make_unique<ComboBox>(window, record);
    case unit_type::kDatePicker:
      return std::make_unique<DatePicker>(window, record);
    case unit_type::kTab:
      return std::make_unique<Tab>(window, record);
    case unit_type::kListView:
      return std::make_unique<ListView>(window, record);
    case unit_type::kGrid:
      return std::make_unique<Grid>(window, record);
    case unit_type::kDataSrc:
      return std::make_unique<DataSrc>(window, record);
    case unit_type::kNProvider:
      return std::make_unique<NProvider>(window, record);
    default:
      return nullptr;  // the template reader admits no other type
  }
}

}  // namespace

Window::Window(FormRuntime& runtime, const WindowBlock& block, std::uint64_t instance)
    : runtime_(runtime), block_(block), instance_(instance) {
  for (const TableEntry& entry : block.entries) {
    const auto* record = std::get_if<UnitRecord>(&entry);
    if (record == nullptr) continue;
    auto unit = CreateUnit(*this, *record);
    if (unit == nullptr) continue;
    by_id_[record->id] = unit.get();
    if (!record->name.empty()) by_name_[record->name] = unit.get();
    if (own_unit_ == nullptr) own_unit_ = static_cast<WindowUnit*>(unit.get());
    units_.push_back(std::move(unit));
  }
  for (const auto& unit : units_) {
    if (unit->record().container != 0) unit->set_container(FindUnit(unit->record().container));
    if (auto* tab = dynamic_cast<Tab*>(unit.get())) {
      std::vector<std::vector<Unit*>> pages(1);
      for (std::uint32_t child : unit->record().children) {
        if (child == 0)
          pages.emplace_back();
        else if (Unit* page_unit = FindUnit(child))
          pages.back().push_back(page_unit);
      }
      tab->SetPageUnits(std::move(pages));
    }
  }
}

Window::~Window() {
  // The view looks at the units until it is gone.
  view_.reset();
}

Unit* Window::FindUnit(std::uint32_t unit_id) const {
  if (unit_id == 0) return own_unit_;
  auto it = by_id_.find(unit_id);
  return it == by_id_.end() ? nullptr : it->second;
}

Unit* Window::FindUnitByName(const Text& name) const {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : it->second;
}

void Window::SetEnabled(bool enabled) {
  own_unit_->WriteProperty(property::kDisabled, runtime::Value::Bool(!enabled));
}

std::vector<MenuItemState>& Window::menu() const { return runtime_.MenuOf(id()); }

}  // namespace forms
