// Units whose one type-specific state is a caption: the window's own unit,
// labels, buttons and group boxes.
#pragma once

#include "forms/settings.h"
#include "forms/unit.h"

namespace forms {

class CaptionedUnit : public Unit {
 public:
  CaptionedUnit(Window& window, const UnitRecord& record, Text caption, int property_count);

  const Text& caption() const { return caption_; }
  void SetCaption(Text caption);

 protected:
  int PropertyCount() const override { return property_count_; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  Text caption_;
  int property_count_;
};

class WindowUnit : public CaptionedUnit {
 public:
  WindowUnit(Window& window, const UnitRecord& record);
  const WindowSettings& settings() const { return settings_; }

 private:
  WindowSettings settings_;
};

class Label : public CaptionedUnit {
 public:
  Label(Window& window, const UnitRecord& record);
  const LabelSettings& settings() const { return settings_; }

 private:
  LabelSettings settings_;
};

class Button : public CaptionedUnit {
 public:
  Button(Window& window, const UnitRecord& record);
  // The user clicks the button.
  void Click() { Raise(event::kClicked); }
};

class GroupBox : public CaptionedUnit {
 public:
  GroupBox(Window& window, const UnitRecord& record);
};

}  // namespace forms
