// Units for picking a value: combo boxes (a fixed list of items) and date
// pickers.
#pragma once

#include <vector>

#include "forms/settings.h"
#include "forms/unit.h"

namespace forms {

class ComboBox : public Unit {
 public:
  ComboBox(Window& window, const UnitRecord& record);

  const Text& text() const { return text_; }
  const std::vector<Text>& items() const { return settings_.items; }
  // The index of the item equal to the text, or -1.
  int selected() const;

  // The user picks item `index`; raises the selection event.
  void Pick(int index);

 protected:
  int PropertyCount() const override { return 25; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  ComboBoxSettings settings_;
  Text text_;
};

class DatePicker : public Unit {
 public:
  // Starts at the current date and time.
  DatePicker(Window& window, const UnitRecord& record);

  double date() const { return date_; }
  // The user picks the day `date` (its time of day is kept from before);
  // raises the selection event.
  void Pick(double date);

 protected:
  int PropertyCount() const override { return 17; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  double date_;
};

}  // namespace forms
