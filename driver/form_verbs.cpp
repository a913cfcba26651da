// The window verbs of the driver: the user's actions on windows and units,
// and the dumps of what they show.
#include <cstdio>

#include "driver/script_text.h"
#include "driver/verbs.h"
#include "driver/window_names.h"
#include "driver/window_transcript.h"
#include "forms/headless_desktop.h"
#include "forms/units/choosers.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/tab.h"
#include "platform/gbk.h"
#include "runtime/date_time.h"

namespace driver {
namespace {

using forms::FormRuntime;

FormRuntime& Forms() {
  FormRuntime* forms = FormRuntime::Current();
  if (forms == nullptr) throw ScriptError{"no windows in this run"};
  return *forms;
}

// "WORD REST": the first word and the rest of the line.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view rest) {
  std::size_t space = rest.find(' ');
  if (space == std::string_view::npos) return {rest, {}};
  return {rest.substr(0, space), rest.substr(space + 1)};
}

int ParseRow(std::string_view word) {
  int row = 0;
  std::string text(word);
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d%c", &row, &tail) != 1) throw ScriptError{"bad number " + text};
  return row;
}

// The live unit of type T named `word`, or null when the user cannot reach
// it (its window is not open, it is hidden or disabled, or its window is
// behind a modal one). A unit of another type is a script error.
template <typename T>
T* Reachable(std::string_view word, const char* kind) {
  Named named = Resolve(Forms(), word);
  if (named.type == forms::unit_type::kMenu) throw ScriptError{std::string(word) + " is a menu"};
  if (named.unit == nullptr) return nullptr;
  T* unit = dynamic_cast<T*>(named.unit);
  if (unit == nullptr) throw ScriptError{std::string(word) + " is not " + kind};
  if (!unit->IsShown() || !unit->IsEnabled()) return nullptr;
  return unit;
}

template <typename T>
T& Existing(std::string_view word, const char* kind) {
  Named named = Resolve(Forms(), word);
  T* unit = dynamic_cast<T*>(named.unit);
  if (named.unit != nullptr && unit == nullptr)
    throw ScriptError{std::string(word) + " is not " + kind};
  if (unit == nullptr) throw ScriptError{std::string(word) + " is not open"};
  return *unit;
}

// Enabled as far as the unit and its containers go (the window's own state
// shows in the window's line).
bool EnabledInWindow(const forms::Unit& unit) {
  for (const forms::Unit* at = &unit; at != nullptr; at = at->container())
    if (at->disabled_flag()) return false;
  return true;
}

std::string DateText(double date) {
  runtime::CivilTime time = runtime::BreakDown(date);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
  return text;
}

std::string DumpLine(std::string_view word, const forms::Unit& unit) {
  std::string line(word);
  const forms::Text* text = nullptr;
  if (const auto* edit = dynamic_cast<const forms::EditBox*>(&unit)) text = &edit->content();
  if (const auto* captioned = dynamic_cast<const forms::CaptionedUnit*>(&unit))
    text = &captioned->caption();
  if (const auto* combo = dynamic_cast<const forms::ComboBox*>(&unit)) text = &combo->text();
  if (text != nullptr) line += " text=" + Quoted(*text);
  bool enabled =
      unit.type() == forms::unit_type::kWindow ? unit.window().enabled() : EnabledInWindow(unit);
  line += std::string(" enabled=") + (enabled ? "1" : "0");
  line += std::string(" visible=") + (unit.IsShown() ? "1" : "0");
  if (const auto* tab = dynamic_cast<const forms::Tab*>(&unit))
    line += " page=" + std::to_string(tab->current_page());
  if (const auto* picker = dynamic_cast<const forms::DatePicker*>(&unit))
    line += " date=" + DateText(picker->date());
  return line;
}

forms::HeadlessDesktop* Headless() {
  return dynamic_cast<forms::HeadlessDesktop*>(&Forms().desktop());
}

// The user chooses the menu item `caption`: from the pop-up menu shown by
// the previous action, else from a menu bar.
void ChooseMenu(Driver& driver, std::string_view caption_utf8) {
  FormRuntime& forms = Forms();
  std::string caption = platform::Utf8ToGbk(caption_utf8);
  if (auto* desktop = Headless()) {
    if (const auto* popup = desktop->popup()) {
      for (const forms::PopupItem& item : popup->items) {
        if (item.caption != caption) continue;
        forms::Window* window = forms.FindWindow(popup->window_id);
        if (item.disabled || window == nullptr || !forms.ChooseMenuItem(*window, item.id))
          driver.PrintIgnored();
        return;
      }
    }
  }
  for (auto it = forms.windows().rbegin(); it != forms.windows().rend(); ++it) {
    forms::Window& window = **it;
    for (const forms::MenuItemState* item : forms.MenuBarItems(window)) {
      if (item->caption != caption) continue;
      if (!window.enabled() || !forms.ChooseMenuItem(window, item->id)) driver.PrintIgnored();
      return;
    }
  }
  // A hidden or pop-up-only item exists but cannot be chosen now.
  for (const auto& window : forms.windows())
    for (const forms::MenuItemState& item : window->menu())
      if (item.level == 1 && item.caption == caption) return driver.PrintIgnored();
  throw ScriptError{"unknown menu caption " + std::string(caption_utf8)};
}

}  // namespace

void AddFormVerbs(Driver& driver) {
  driver.AddVerb("type", [&driver](std::string_view rest) {
    auto [word, text] = SplitWord(rest);
    auto* box = Reachable<forms::EditBox>(word, "an edit box");
    if (box == nullptr || box->read_only()) return driver.PrintIgnored();
    box->Type(ScriptTextToGbk(text));
  });
  driver.AddVerb("leave", [&driver](std::string_view rest) {
    auto* unit = Reachable<forms::Unit>(rest, "a unit");
    if (unit == nullptr) return driver.PrintIgnored();
    Forms().UserLeave(*unit);
  });
  driver.AddVerb("click", [&driver](std::string_view rest) {
    Named named = Resolve(Forms(), rest);
    if (named.type != forms::unit_type::kButton && named.type != forms::unit_type::kTab)
      throw ScriptError{std::string(rest) + " is not a button or tab"};
    auto* unit = Reachable<forms::Unit>(rest, "a unit");
    if (unit == nullptr) return driver.PrintIgnored();
    if (auto* button = dynamic_cast<forms::Button*>(unit)) button->Click();
    if (auto* tab = dynamic_cast<forms::Tab*>(unit)) tab->Click();
  });
  driver.AddVerb("page", [&driver](std::string_view rest) {
    auto [word, number] = SplitWord(rest);
    int page = ParseRow(number);
    auto& tab = Existing<forms::Tab>(word, "a tab");
    if (page < 0 || page >= tab.page_count()) throw ScriptError{"no page " + std::string(number)};
    auto* reachable = Reachable<forms::Tab>(word, "a tab");
    if (reachable == nullptr) return driver.PrintIgnored();
    reachable->ChoosePage(page);
  });
  driver.AddVerb("combo", [&driver](std::string_view rest) {
    auto [word, text] = SplitWord(rest);
    auto& combo = Existing<forms::ComboBox>(word, "a combo box");
    std::string item = ScriptTextToGbk(text);
    int index = -1;
    for (std::size_t i = 0; i < combo.items().size(); ++i)
      if (combo.items()[i] == item) index = static_cast<int>(i);
    if (index < 0) throw ScriptError{"no item " + std::string(text) + " in " + std::string(word)};
    auto* reachable = Reachable<forms::ComboBox>(word, "a combo box");
    if (reachable == nullptr) return driver.PrintIgnored();
    reachable->Pick(index);
  });
  driver.AddVerb("date", [&driver](std::string_view rest) {
    auto [word, text] = SplitWord(rest);
    int y = 0, m = 0, d = 0, used = 0;
    std::string date(text);
    if (std::sscanf(date.c_str(), "%d-%d-%d%n", &y, &m, &d, &used) != 3 ||
        static_cast<std::size_t>(used) != date.size() || m < 1 || m > 12 || d < 1 || y < 100 ||
        y > 9999 || d > runtime::DaysInMonth(y, m))
      throw ScriptError{"bad date " + date};
    auto* picker = Reachable<forms::DatePicker>(word, "a date picker");
    if (picker == nullptr) return driver.PrintIgnored();
    picker->Pick(runtime::MakeDateTime({y, m, d, 0, 0, 0}));
  });
  auto row_verb = [&driver](std::string_view rest, auto action) {
    auto [word, number] = SplitWord(rest);
    int row = ParseRow(number);
    auto& list = Existing<forms::ListView>(word, "a list view");
    if (row < 0 || row >= list.row_count())
      throw ScriptError{"no row " + std::string(number) + " in " + std::string(word)};
    auto* reachable = Reachable<forms::ListView>(word, "a list view");
    if (reachable == nullptr) return driver.PrintIgnored();
    action(*reachable, row);
  };
  driver.AddVerb("tick", [&driver, row_verb](std::string_view rest) {
    row_verb(rest, [&driver](forms::ListView& list, int row) {
      if (!list.check_boxes()) return driver.PrintIgnored();
      list.SetChecked(row, true);
    });
  });
  driver.AddVerb("untick", [&driver, row_verb](std::string_view rest) {
    row_verb(rest, [&driver](forms::ListView& list, int row) {
      if (!list.check_boxes()) return driver.PrintIgnored();
      list.SetChecked(row, false);
    });
  });
  driver.AddVerb("select", [row_verb](std::string_view rest) {
    row_verb(rest, [](forms::ListView& list, int row) { list.Select(row); });
  });
  driver.AddVerb("sort", [&driver](std::string_view rest) {
    auto [word, number] = SplitWord(rest);
    int column = ParseRow(number);
    auto& list = Existing<forms::ListView>(word, "a list view");
    if (column < 0 || column >= list.column_count())
      throw ScriptError{"no column " + std::string(number) + " in " + std::string(word)};
    auto* reachable = Reachable<forms::ListView>(word, "a list view");
    if (reachable == nullptr) return driver.PrintIgnored();
    reachable->SortBy(column);
  });
  driver.AddVerb("rightclick", [&driver](std::string_view rest) {
    auto* list = Reachable<forms::ListView>(rest, "a list view");
    if (list == nullptr) return driver.PrintIgnored();
    list->RightClick();
  });
  driver.AddVerb("menu", [&driver](std::string_view rest) { ChooseMenu(driver, rest); });
  driver.AddVerb("close", [&driver](std::string_view rest) {
    Named named = Resolve(Forms(), rest);
    if (!named.is_window) throw ScriptError{std::string(rest) + " is not a window"};
    if (named.window == nullptr || !named.window->enabled()) return driver.PrintIgnored();
    Forms().UserClose(*named.window);
  });
  driver.AddVerb("dump", [&driver](std::string_view rest) {
    Named named = Resolve(Forms(), rest);
    if (named.type == forms::unit_type::kMenu) throw ScriptError{std::string(rest) + " is a menu"};
    if (named.unit == nullptr) return driver.Print(std::string(rest) + " not loaded");
    driver.Print(DumpLine(rest, *named.unit));
  });
  driver.AddVerb("dump-list", [&driver](std::string_view rest) {
    Named named = Resolve(Forms(), rest);
    auto* list = dynamic_cast<forms::ListView*>(named.unit);
    if (named.unit == nullptr) return driver.Print(std::string(rest) + " not loaded");
    if (list == nullptr) throw ScriptError{std::string(rest) + " is not a list view"};
    driver.Print(std::string(rest) + " rows=" + std::to_string(list->row_count()));
    for (int row = 0; row < list->row_count(); ++row) {
      std::string line;
      if (list->check_boxes()) line = list->StateImage(row) == 2 ? "[x]" : "[ ]";
      for (const forms::Text& cell : list->row(row).cells) {
        if (!line.empty()) line += ' ';
        line += Quoted(cell);
      }
      driver.Print(line);
    }
  });
  driver.AddVerb("dump-title", [&driver](std::string_view) {
    FormRuntime& forms = Forms();
    forms::Window* main = forms.FindWindow(MainBlock(forms).id);
    driver.Print("title " + Quoted(main == nullptr ? forms::Text() : main->caption()));
  });
  driver.AddVerb("dump-focus", [&driver](std::string_view) {
    forms::Unit* focus = Forms().focus();
    driver.Print(focus == nullptr ? "focus none" : "focus " + UnitLabel(*focus));
  });
}

WindowTranscript::WindowTranscript(Driver& driver, forms::FormRuntime& forms)
    : driver_(driver), forms_(forms) {
  forms_.SetObserver(this);
  driver_.SetUnitResolver([this](std::string_view name) -> std::optional<runtime::Value> {
    try {
      Named named = Resolve(forms_, name);
      std::uint32_t unit = named.is_window ? 0 : named.unit_id;
      return runtime::Value::Unit({named.block->id, unit}, named.type);
    } catch (const ScriptError&) {
      return std::nullopt;
    }
  });
}

WindowTranscript::~WindowTranscript() {
  forms_.SetObserver(nullptr);
  driver_.SetUnitResolver(nullptr);
}

void WindowTranscript::WindowOpened(const forms::Window& window) {
  driver_.Print("WINDOW open " + Quoted(window.caption()));
}

void WindowTranscript::WindowClosed(const forms::Window& window) {
  driver_.Print("WINDOW close " + Quoted(window.caption()));
}

void WindowTranscript::FocusMovedByProgram(const forms::Unit& unit) {
  driver_.Print("FOCUS " + UnitLabel(unit));
}

void WindowTranscript::PopupShown(const forms::Window&,
                                  const std::vector<forms::PopupItem>& items) {
  std::string line = "POPUP MENU:";
  for (const forms::PopupItem& item : items) line += " " + Quoted(item.caption);
  driver_.Print(line);
}

}  // namespace driver
