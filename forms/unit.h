// A unit: one element of a loaded window (the window's own unit, an edit
// box, a button, a list view ...) as a model object. It holds the state a
// person sees, serves its numbered properties, tells the window's view what
// changed and raises its events through the runtime.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "forms/ids.h"
#include "forms/template.h"
#include "forms/view.h"
#include "runtime/value.h"

namespace forms {

class Window;

class Unit {
 public:
  Unit(Window& window, const UnitRecord& record);
  virtual ~Unit();
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  Window& window() const { return window_; }
  const UnitRecord& record() const { return record_; }
  std::uint32_t id() const { return record_.id; }
  std::uint32_t type() const { return record_.type; }
  const Text& name() const { return record_.name; }
  runtime::UnitRef ref() const;
  // The reference as a value of the unit's type (for command arguments).
  runtime::Value AsValue() const;

  Rect rect() const { return rect_; }
  const Text& tag() const { return tag_; }
  bool visible_flag() const { return visible_; }
  bool disabled_flag() const { return disabled_; }
  bool takes_focus() const { return (record_.flags & unit_flag::kTabStop) != 0; }

  Unit* container() const { return container_; }
  void set_container(Unit* container) { container_ = container; }
  // False while the tab page that holds the unit is not the current page.
  bool page_shown() const { return page_shown_; }
  void SetPageShown(bool shown);

  // What a person sees: the unit's own flag, its tab page, every container
  // and the window. Units that hold no others answer for themselves only.
  bool IsShown() const;
  // Whether it takes input: not disabled, nor any container, nor the window.
  bool IsEnabled() const;

  // Expires when the unit is destroyed: code that raised an event checks it
  // before touching the unit again (a handler may close the window).
  std::weak_ptr<const bool> alive() const { return alive_; }

  enum class WriteResult { kDone, kNoSuchProperty, kTypeMismatch };
  // Property `number`; nullopt when the type has no such property.
  std::optional<runtime::Value> ReadProperty(int number) const;
  WriteResult WriteProperty(int number, const runtime::Value& value);

  // The keyboard focus left the unit; edit boxes normalise their text here.
  // The runtime raises the lost-focus event afterwards.
  virtual void OnFocusLost() {}

 protected:
  // The number of properties of the type (0-7 included).
  virtual int PropertyCount() const = 0;
  // Type-specific properties (8 and up). The defaults: no value, writes ignored.
  virtual std::optional<runtime::Value> ReadOwn(int number) const;
  virtual WriteResult WriteOwn(int number, const runtime::Value& value);

  // Tells the window's view.
  void Notify(Change what, int row = -1);
  // Raises event `number`; false when the unit no longer exists afterwards.
  bool Raise(int number);

 private:
  Window& window_;
  const UnitRecord& record_;
  Rect rect_;
  Text tag_;
  bool visible_;
  bool disabled_;
  std::int32_t mouse_pointer_ = 0;
  Unit* container_ = nullptr;
  bool page_shown_ = true;
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

// Conversions of written values to property kinds; nullopt when the value
// does not fit the kind.
std::optional<std::int32_t> IntegerOf(const runtime::Value& value);
std::optional<bool> LogicalOf(const runtime::Value& value);
std::optional<Text> TextOf(const runtime::Value& value);
std::optional<double> DateOf(const runtime::Value& value);

}  // namespace forms
