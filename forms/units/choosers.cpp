#include "forms/units/choosers.h"

#include <algorithm>
#include <cmath>

#include "platform/services.h"
#include "runtime/date_time.h"

namespace forms {

using runtime::Value;

ComboBox::ComboBox(Window& window, const UnitRecord& record)
    : Unit(window, record), settings_(*DecodeComboBox(record.settings)), text_(settings_.text) {}

int ComboBox::selected() const {
  auto it = std::find(settings_.items.begin(), settings_.items.end(), text_);
  return it == settings_.items.end() ? -1 : static_cast<int>(it - settings_.items.begin());
}

void ComboBox::Pick(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= settings_.items.size()) return;
  text_ = settings_.items[static_cast<std::size_t>(index)];
  Notify(Change::kText);
  Raise(event::kSelectionChanged);
}

std::optional<Value> ComboBox::ReadOwn(int number) const {
  if (number == property::kContent) return Value::OfText(text_);
  return Unit::ReadOwn(number);
}

Unit::WriteResult ComboBox::WriteOwn(int number, const Value& value) {
  if (number != property::kContent) return Unit::WriteOwn(number, value);
  auto text = TextOf(value);
  if (!text) return WriteResult::kTypeMismatch;
  text_ = std::move(*text);
  Notify(Change::kText);
  return WriteResult::kDone;
}

DatePicker::DatePicker(Window& window, const UnitRecord& record)
    : Unit(window, record), date_(runtime::FromLocalTime(platform::Current().clock->Now())) {}

void DatePicker::Pick(double date) {
  double time_of_day = std::abs(date_ - std::trunc(date_));
  date_ = std::trunc(date) + (date < 0 ? -time_of_day : time_of_day);
  Notify(Change::kDate);
  Raise(event::kSelectionChanged);
}

std::optional<Value> DatePicker::ReadOwn(int number) const {
  if (number == property::kSelectedDate) return Value::DateTime(date_);
  return Unit::ReadOwn(number);
}

Unit::WriteResult DatePicker::WriteOwn(int number, const Value& value) {
  if (number != property::kSelectedDate) return Unit::WriteOwn(number, value);
  auto date = DateOf(value);
  if (!date) return WriteResult::kTypeMismatch;
  date_ = runtime::ClampDate(*date);
  Notify(Change::kDate);
  return WriteResult::kDone;
}

}  // namespace forms
