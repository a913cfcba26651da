#include "forms/units/captioned.h"

namespace forms {

using runtime::Value;

CaptionedUnit::CaptionedUnit(Window& window, const UnitRecord& record, Text caption,
                             int property_count)
    : Unit(window, record), caption_(std::move(caption)), property_count_(property_count) {}

void CaptionedUnit::SetCaption(Text caption) {
  caption_ = std::move(caption);
  Notify(Change::kText);
}

std::optional<Value> CaptionedUnit::ReadOwn(int number) const {
  if (number == property::kCaption) return Value::OfText(caption_);
  return Unit::ReadOwn(number);
}

Unit::WriteResult CaptionedUnit::WriteOwn(int number, const Value& value) {
  if (number != property::kCaption) return Unit::WriteOwn(number, value);
  auto text = TextOf(value);
  if (!text) return WriteResult::kTypeMismatch;
  SetCaption(std::move(*text));
  return WriteResult::kDone;
}

WindowUnit::WindowUnit(Window& window, const UnitRecord& record)
    : CaptionedUnit(window, record, DecodeWindow(record.settings)->caption, 32),
      settings_(*DecodeWindow(record.settings)) {}

Label::Label(Window& window, const UnitRecord& record)
    : CaptionedUnit(window, record, DecodeLabel(record.settings)->caption, 29),
      settings_(*DecodeLabel(record.settings)) {}

Button::Button(Window& window, const UnitRecord& record)
    : CaptionedUnit(window, record, DecodeButton(record.settings)->caption, 14) {}

GroupBox::GroupBox(Window& window, const UnitRecord& record)
    : CaptionedUnit(window, record, DecodeGroupBox(record.settings)->caption, 13) {}

}  // namespace forms
