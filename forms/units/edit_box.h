// An edit box: its content, input mode and display settings.
#pragma once

#include "forms/settings.h"
#include "forms/unit.h"

namespace forms {

class EditBox : public Unit {
 public:
  EditBox(Window& window, const UnitRecord& record);

  const Text& content() const { return content_; }
  const EditBoxSettings& settings() const { return settings_; }
  bool multi_line() const { return settings_.multi_line != 0; }
  int input_mode() const { return settings_.input_mode; }
  bool read_only() const;

  // The program sets the content: a single-line box raises ContentChanged
  // before this returns, a multi-line one raises nothing. Like what is typed,
  // it is cut to the box's maximum length, so the box never holds more than
  // the data field its text is stored in, and it ends before a NUL byte.
  void SetContent(Text content);

  // The user replaces the content by `typed`; characters the input mode
  // refuses are dropped. Raises ContentChanged once.
  void Type(const Text& typed);
  // Input-mode normalisation when the focus leaves: a text that changes
  // replaces the content and raises ContentChanged.
  void OnFocusLost() override;

 protected:
  int PropertyCount() const override { return 29; }
  std::optional<runtime::Value> ReadOwn(int number) const override;
  WriteResult WriteOwn(int number, const runtime::Value& value) override;

 private:
  Text WithinLimit(Text text) const;

  EditBoxSettings settings_;
  Text content_;
};

}  // namespace forms
