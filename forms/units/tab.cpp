#include "forms/units/tab.h"

namespace forms {

using runtime::Value;

Tab::Tab(Window& window, const UnitRecord& record)
    : Unit(window, record), settings_(*DecodeTab(record.settings)) {}

void Tab::SetPageUnits(std::vector<std::vector<Unit*>> pages) {
  pages_ = std::move(pages);
  for (std::size_t page = 0; page < pages_.size(); ++page)
    for (Unit* unit : pages_[page]) unit->SetPageShown(static_cast<int>(page) == current_);
}

void Tab::SelectPage(int page) {
  if (page < 0 || page >= page_count()) return;
  current_ = page;
  // Hide first, so no two pages ever show at once.
  for (std::size_t other = 0; other < pages_.size(); ++other)
    if (static_cast<int>(other) != page)
      for (Unit* unit : pages_[other]) unit->SetPageShown(false);
  if (static_cast<std::size_t>(page) < pages_.size())
    for (Unit* unit : pages_[static_cast<std::size_t>(page)]) unit->SetPageShown(true);
  Notify(Change::kPage);
}

void Tab::ChoosePage(int page) {
  if (page < 0 || page >= page_count()) return;
  if (page != current_) {
    if (!Raise(event::kPageChanging)) return;
    SelectPage(page);
    if (!Raise(event::kPageChanged)) return;
  }
  Raise(event::kClicked);
}

std::optional<Value> Tab::ReadOwn(int number) const {
  if (number == property::kCurrentPage) return Value::Int(current_);
  return Unit::ReadOwn(number);
}

Unit::WriteResult Tab::WriteOwn(int number, const Value& value) {
  if (number != property::kCurrentPage) return Unit::WriteOwn(number, value);
  auto page = IntegerOf(value);
  if (!page) return WriteResult::kTypeMismatch;
  SelectPage(*page);
  return WriteResult::kDone;
}

}  // namespace forms
