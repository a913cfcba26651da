#include "forms/unit.h"

#include <algorithm>
#include <cmath>

#include "forms/form_runtime.h"
#include "forms/window.h"
#include "runtime/convert.h"

namespace forms {

using runtime::Value;

std::optional<std::int32_t> IntegerOf(const Value& value) {
  if (!value.IsNumeric() && value.type() != runtime::type::kBool) return std::nullopt;
  double number =
      value.type() == runtime::type::kBool ? (value.AsBool() ? 1 : 0) : value.NumericValue();
  if (std::isnan(number)) return 0;
  if (number >= 2147483647.0) return 2147483647;
  if (number <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(number);
}

std::optional<bool> LogicalOf(const Value& value) {
  if (value.type() == runtime::type::kBool) return value.AsBool();
  if (value.IsNumeric()) return value.NumericValue() != 0;
  return std::nullopt;
}

std::optional<Text> TextOf(const Value& value) {
  if (value.IsText()) return value.AsText();
  if (value.IsNumeric() || value.type() == runtime::type::kBool ||
      value.type() == runtime::type::kDateTime)
    return runtime::ToText(value);
  return std::nullopt;
}

std::optional<double> DateOf(const Value& value) {
  if (value.type() == runtime::type::kDateTime) return value.AsDouble();
  return std::nullopt;
}

Unit::Unit(Window& window, const UnitRecord& record)
    : window_(window),
      record_(record),
      rect_(record.rect),
      visible_((record.flags & unit_flag::kVisible) != 0),
      disabled_((record.flags & unit_flag::kDisabled) != 0) {}

Unit::~Unit() = default;

runtime::UnitRef Unit::ref() const {
  return {window_.id(), type() == unit_type::kWindow ? 0u : id()};
}

Value Unit::AsValue() const { return Value::Unit(ref(), type()); }

void Unit::SetPageShown(bool shown) {
  if (shown == page_shown_) return;
  page_shown_ = shown;
  Notify(Change::kVisibility);
}

bool Unit::IsShown() const {
  if (!visible_ || !page_shown_) return false;
  if (container_ != nullptr) return container_->IsShown();
  if (type() == unit_type::kWindow) return true;
  return window_.own_unit().IsShown();
}

bool Unit::IsEnabled() const {
  if (disabled_) return false;
  if (container_ != nullptr) return container_->IsEnabled();
  if (type() == unit_type::kWindow) return true;
  return window_.own_unit().IsEnabled();
}

std::optional<Value> Unit::ReadProperty(int number) const {
  switch (number) {
    case property::kLeft:
      return Value::Int(rect_.left);
    case property::kTop:
      return Value::Int(rect_.top);
    case property::kWidth:
      return Value::Int(rect_.width);
    case property::kHeight:
      return Value::Int(rect_.height);
    case property::kTag:
      return Value::OfText(tag_);
    case property::kVisible:
      return Value::Bool(visible_);
    case property::kDisabled:
      return Value::Bool(disabled_);
    case property::kMousePointer:
      return Value::Int(mouse_pointer_);
    default:
      if (number < 0 || number >= PropertyCount()) return std::nullopt;
      return ReadOwn(number);
  }
}

Unit::WriteResult Unit::WriteProperty(int number, const Value& value) {
  if (number >= property::kLeft && number <= property::kHeight) {
    auto integer = IntegerOf(value);
    if (!integer) return WriteResult::kTypeMismatch;
    std::int32_t* fields[] = {&rect_.left, &rect_.top, &rect_.width, &rect_.height};
    // Sizes below zero make no window; they are taken as zero.
    *fields[number] = number >= property::kWidth ? std::max(*integer, 0) : *integer;
    Notify(Change::kGeometry);
    return WriteResult::kDone;
  }
  switch (number) {
    case property::kTag: {
      auto text = TextOf(value);
      if (!text) return WriteResult::kTypeMismatch;
      tag_ = *text;
      return WriteResult::kDone;
    }
    case property::kVisible:
    case property::kDisabled: {
      auto logical = LogicalOf(value);
      if (!logical) return WriteResult::kTypeMismatch;
      bool& field = number == property::kVisible ? visible_ : disabled_;
      if (field != *logical) {
        field = *logical;
        Notify(number == property::kVisible ? Change::kVisibility : Change::kEnabled);
      }
      return WriteResult::kDone;
    }
    case property::kMousePointer: {
      auto integer = IntegerOf(value);
      if (!integer) return WriteResult::kTypeMismatch;
      mouse_pointer_ = *integer;
      return WriteResult::kDone;
    }
    default:
      if (number < 0 || number >= PropertyCount()) return WriteResult::kNoSuchProperty;
      return WriteOwn(number, value);
  }
}

std::optional<Value> Unit::ReadOwn(int) const { return Value(); }

Unit::WriteResult Unit::WriteOwn(int, const Value&) { return WriteResult::kDone; }

void Unit::Notify(Change what, int row) {
  if (WindowView* view = window_.view()) view->UnitChanged(*this, what, row);
}

bool Unit::Raise(int number) {
  std::weak_ptr<const bool> still_here = alive_;
  window_.runtime().Raise(*this, number);
  return !still_here.expired();
}

}  // namespace forms
