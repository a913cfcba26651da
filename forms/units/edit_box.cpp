#include "forms/units/edit_box.h"

#include <algorithm>

#include "forms/units/input_mode.h"
#include "platform/gbk.h"

namespace forms {

using runtime::Value;

EditBox::EditBox(Window& window, const UnitRecord& record)
    : Unit(window, record), settings_(*DecodeEditBox(record.settings)) {}

bool EditBox::read_only() const { return settings_.input_mode == kReadOnlyMode; }

Text EditBox::WithinLimit(Text text) const {
  // The box holds C text, as the desktop's edit control does: it ends at a
  // NUL byte. So what a data field stores (also C text) is what it shows.
  text.resize(std::min(text.size(), text.find('\0')));
  if (settings_.max_length > 0)
    text.resize(
        platform::LeadingBytes(text, static_cast<std::size_t>(settings_.max_length)).size());
  return text;
}

void EditBox::SetContent(Text content) {
  content_ = WithinLimit(std::move(content));
  Notify(Change::kText);
  if (!multi_line()) Raise(event::kContentChanged);
}

void EditBox::Type(const Text& typed) {
  content_ = WithinLimit(FilterTyped(settings_.input_mode, typed));
  Notify(Change::kText);
  Raise(event::kContentChanged);
}

void EditBox::OnFocusLost() {
  Text normalised = NormaliseOnLeave(settings_.input_mode, content_);
  if (normalised == content_) return;
  content_ = std::move(normalised);
  Notify(Change::kText);
  Raise(event::kContentChanged);
}

std::optional<Value> EditBox::ReadOwn(int number) const {
  if (number == property::kContent) return Value::OfText(content_);
  return Unit::ReadOwn(number);
}

Unit::WriteResult EditBox::WriteOwn(int number, const Value& value) {
  if (number != property::kContent) return Unit::WriteOwn(number, value);
  auto text = TextOf(value);
  if (!text) return WriteResult::kTypeMismatch;
  SetContent(std::move(*text));
  return WriteResult::kDone;
}

}  // namespace forms
