#include "forms/form_runtime.h"

#include <algorithm>

#include "forms/ids.h"
#include "forms/template_io.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "runtime/error_report.h"

namespace forms {
namespace {

using platform::operator""_gbk;
using runtime::UnitRef;
using runtime::Value;

FormRuntime*& CurrentSlot() {
  static FormRuntime* current = nullptr;
  return current;
}

std::uint64_t BindingKey(std::uint32_t window_id, std::uint32_t unit_id) {
  return std::uint64_t{window_id} << 32 | unit_id;
}

// Data sources and providers only hold data; they raise nothing.
bool DeliversEvents(std::uint32_t type) {
  return type != unit_type::kDataSrc && type != unit_type::kNProvider;
}

[[noreturn]] void Report(const std::string& message) { runtime::ReportRuntimeError(message); }

}  // namespace

FormRuntime::FormRuntime(Template tmpl, Desktop& desktop)
    : tmpl_(std::move(tmpl)), desktop_(desktop) {}

FormRuntime::~FormRuntime() {
  // Views go before the desktop that made them.
  windows_.clear();
  if (CurrentSlot() == this) CurrentSlot() = nullptr;
}

std::unique_ptr<FormRuntime> FormRuntime::Create(Template tmpl, std::span<const Handler> handlers,
                                                 Desktop& desktop) {
  std::unique_ptr<FormRuntime> runtime(new FormRuntime(std::move(tmpl), desktop));
  auto relocate = [&](std::int32_t offset, Handler& handler) {
    if (offset == kNoHandler) return true;
    if (offset < 0 || static_cast<std::size_t>(offset) >= handlers.size()) return false;
    handler = handlers[static_cast<std::size_t>(offset)];
    return true;
  };
  for (const WindowBlock& window : runtime->tmpl_.windows) {
    auto& menu = runtime->menus_[window.id];
    for (const TableEntry& entry : window.entries) {
      if (const auto* item = std::get_if<MenuItemRecord>(&entry)) {
        MenuItemState state{item->id, item->level, item->flags, item->caption, nullptr};
        if (!relocate(item->handler, state.handler)) return nullptr;
        menu.push_back(std::move(state));
        continue;
      }
      const auto& unit = std::get<UnitRecord>(entry);
      auto& bindings = runtime->bindings_[BindingKey(window.id, unit.id)];
      for (const EventBinding& binding : unit.events) {
        Handler handler = nullptr;
        if (!relocate(binding.handler, handler)) return nullptr;
        bindings.emplace_back(binding.event, handler);
      }
    }
  }
  return runtime;
}

std::unique_ptr<FormRuntime> FormRuntime::FromSegment(std::span<const std::uint8_t> segment,
                                                      std::span<const Handler> handlers,
                                                      Desktop& desktop) {
  auto tmpl = ReadTemplate(segment);
  std::unique_ptr<FormRuntime> runtime;
  if (tmpl) runtime = Create(std::move(*tmpl), handlers, desktop);
  if (runtime == nullptr) Report("载入窗口模板数据段出错!"_gbk);
  return runtime;
}

FormRuntime* FormRuntime::Current() { return CurrentSlot(); }

ScopedFormRuntime::ScopedFormRuntime(FormRuntime& runtime) : previous_(CurrentSlot()) {
  CurrentSlot() = &runtime;
}

ScopedFormRuntime::~ScopedFormRuntime() { CurrentSlot() = previous_; }

// --- Windows -----------------------------------------------------------------

bool FormRuntime::LoadWindow(std::uint32_t window_id, std::uint32_t parent_id, bool modal) {
  if (Window* open = FindWindow(window_id)) {
    if (open->view() != nullptr) open->view()->Activate();
    return true;
  }
  if (!modal && parent_id != 0 && FindWindow(parent_id) == nullptr) return false;
  const WindowBlock* block = tmpl_.FindWindow(window_id);
  if (block == nullptr) return false;

  std::uint64_t instance = ++next_instance_;
  windows_.push_back(std::make_unique<Window>(*this, *block, instance));
  Window& window = *windows_.back();
  window.SetView(desktop_.CreateView(window));

  for (int event : {event::kCreated, event::kWindowShown, event::kWindowReady}) {
    Raise(window.own_unit(), event);
    // A handler may have closed the window already.
    if (!IsLoaded(instance)) return true;
  }
  std::vector<std::pair<std::uint64_t, bool>> remembered;
  if (modal) {
    for (const auto& other : windows_) {
      if (other.get() == &window) continue;
      remembered.emplace_back(other->instance(), other->enabled());
      other->SetEnabled(false);
    }
  }
  ShowView(window);
  if (observer_ != nullptr) observer_->WindowOpened(window);
  if (modal) {
    desktop_.RunLoop([this, instance] { return !IsLoaded(instance); });
    for (const auto& [other, enabled] : remembered)
      if (Window* still_open = FindInstance(other)) still_open->SetEnabled(enabled);
  }
  return true;
}

void FormRuntime::ShowView(Window& window) {
  if (window.own_unit().visible_flag() && window.view() != nullptr) window.view()->Show();
}

void FormRuntime::ShowLoadingWindow(std::uint32_t window_id) {
  if (Window* window = FindWindow(window_id)) ShowView(*window);
}

void FormRuntime::LoadStartWindow(std::uint32_t window_id) {
  start_window_id_ = window_id;
  if (!LoadWindow(window_id, 0, false)) Report("载入启动窗口失败"_gbk);
}

void FormRuntime::RunMessageLoop() {
  desktop_.RunLoop([this] { return windows_.empty(); });
}

void FormRuntime::CloseWindow(std::uint32_t window_id, bool at_once) {
  Window* window = FindWindow(window_id);
  if (window == nullptr) Report("指定窗口或窗口组件不存在或尚未载入"_gbk);
  if (at_once) {
    Destroy(*window);
    return;
  }
  std::uint64_t instance = window->instance();
  Post([this, instance] {
    if (Window* still_open = FindInstance(instance)) Destroy(*still_open);
  });
}

void FormRuntime::UserClose(Window& window) { Destroy(window); }

void FormRuntime::CloseAll() {
  while (!windows_.empty()) Destroy(*windows_.back());
}

void FormRuntime::Destroy(Window& window) {
  if (focus_ && focus_->instance == window.instance()) focus_.reset();
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [&](const auto& loaded) { return loaded.get() == &window; });
  if (it == windows_.end()) return;
  std::unique_ptr<Window> closing = std::move(*it);
  windows_.erase(it);
  if (observer_ != nullptr) observer_->WindowClosed(*closing);
  closing.reset();
  desktop_.Wake();
}

Window* FormRuntime::FindWindow(std::uint32_t window_id) const {
  for (const auto& window : windows_)
    if (window->id() == window_id) return window.get();
  return nullptr;
}

Window* FormRuntime::FindInstance(std::uint64_t instance) const {
  for (const auto& window : windows_)
    if (window->instance() == instance) return window.get();
  return nullptr;
}

// --- Units -------------------------------------------------------------------

Unit* FormRuntime::FindUnit(UnitRef ref) const {
  Window* window = FindWindow(ref.window);
  return window == nullptr ? nullptr : window->FindUnit(ref.unit);
}

Unit* FormRuntime::UnitForCommand(const Value& argument) {
  if (!argument.IsUnit()) return nullptr;
  UnitRef ref = argument.AsUnit();
  Window* window = FindWindow(ref.window);
  if (window == nullptr) Report("指定窗口或窗口组件不存在或尚未载入"_gbk);
  return window->FindUnit(ref.unit);
}

// --- Properties --------------------------------------------------------------

Unit& FormRuntime::PropertyUnit(UnitRef ref) {
  Window* window = FindWindow(ref.window);
  if (window == nullptr) Report("未载入欲访问窗口组件所在的窗口"_gbk);
  Unit* unit = window->FindUnit(ref.unit);
  if (unit == nullptr) Report("指定窗口或窗口组件不存在或尚未载入"_gbk);
  return *unit;
}

Value FormRuntime::ReadProperty(UnitRef ref, int number, int /*element*/) {
  if (IdKind(ref.unit) == id_kind::kMenuItem) {
    if (FindWindow(ref.window) == nullptr) Report("未载入欲访问窗口组件所在的窗口"_gbk);
    MenuItemState* item = FindMenuItem(ref.window, ref.unit);
    if (item == nullptr) Report("指定窗口或窗口组件不存在或尚未载入"_gbk);
    return ReadMenuProperty(*item, number);
  }
  auto value = PropertyUnit(ref).ReadProperty(number);
  if (!value) runtime::RaiseRuntimeError(11);
  return *value;
}

void FormRuntime::WriteProperty(UnitRef ref, int number, const Value& value, int /*element*/) {
  if (IdKind(ref.unit) == id_kind::kMenuItem) {
    Window* window = FindWindow(ref.window);
    if (window == nullptr) Report("未载入欲访问窗口组件所在的窗口"_gbk);
    MenuItemState* item = FindMenuItem(ref.window, ref.unit);
    if (item == nullptr) Report("指定窗口或窗口组件不存在或尚未载入"_gbk);
    WriteMenuProperty(*window, *item, number, value);
    return;
  }
  switch (PropertyUnit(ref).WriteProperty(number, value)) {
    case Unit::WriteResult::kDone:
      return;
    case Unit::WriteResult::kNoSuchProperty:
      runtime::RaiseRuntimeError(11);
    case Unit::WriteResult::kTypeMismatch:
      runtime::RaiseRuntimeError(5);
  }
}

Value FormRuntime::ReadMenuProperty(MenuItemState& item, int number) {
  switch (number) {
    case property::kMenuCaption:
      return Value::OfText(item.caption);
    case property::kMenuChecked:
      return Value::Bool((item.flags & menu_flag::kChecked) != 0);
    case property::kMenuDisabled:
      return Value::Bool((item.flags & menu_flag::kDisabled) != 0);
    case property::kMenuVisible:
      return Value::Bool((item.flags & menu_flag::kHidden) == 0);
    default:
      runtime::RaiseRuntimeError(11);
  }
}

void FormRuntime::WriteMenuProperty(Window& window, MenuItemState& item, int number,
                                    const Value& value) {
  MenuItemState before = item;
  if (number == property::kMenuCaption) {
    auto text = TextOf(value);
    if (!text) runtime::RaiseRuntimeError(5);
    item.caption = std::move(*text);
  } else {
    auto logical = LogicalOf(value);
    if (!logical) runtime::RaiseRuntimeError(5);
    auto set = [&](std::uint32_t flag, bool on) {
      item.flags = on ? item.flags | flag : item.flags & ~flag;
    };
    switch (number) {
      case property::kMenuChecked:
        set(menu_flag::kChecked, *logical);
        break;
      case property::kMenuDisabled:
        set(menu_flag::kDisabled, *logical);
        break;
      case property::kMenuVisible:
        set(menu_flag::kHidden, !*logical);
        break;
      default:
        runtime::RaiseRuntimeError(11);
    }
  }
  bool changed = before.caption != item.caption || before.flags != item.flags;
  if (changed && window.view() != nullptr) window.view()->MenuChanged();
}

// --- Events ------------------------------------------------------------------

Handler FormRuntime::FindHandler(const Window& window, const UnitRecord& record, int event) const {
  auto it = bindings_.find(BindingKey(window.id(), record.id));
  if (it == bindings_.end()) return nullptr;
  for (const auto& [number, handler] : it->second)
    if (number == event) return handler;
  return nullptr;
}

void FormRuntime::Raise(Unit& unit, int event) {
  if (runtime::RuntimeErrorReported()) return;
  Window& window = unit.window();
  if (FindInstance(window.instance()) != &window) Report("未找到引发事件的窗口"_gbk);
  const UnitRecord* record = &unit.record();
  if (window.FindUnit(record->id) != &unit && record->type != unit_type::kWindow)
    Report("未找到引发事件的窗口组件"_gbk);
  if (record->copy_of != 0) {
    // A copy made at run time answers with the bindings of its source.
    const UnitRecord* source = nullptr;
    for (const TableEntry& entry : window.block().entries)
      if (const auto* candidate = std::get_if<UnitRecord>(&entry))
        if (candidate->id == record->copy_of && candidate->type == record->type) source = candidate;
    if (source == nullptr) Report("引发事件的窗口组件无效"_gbk);
    record = source;
  }
  if (!DeliversEvents(record->type)) Report("引发事件的窗口组件无效"_gbk);
  Handler handler = FindHandler(window, *record, event);
  if (handler == nullptr) return;
  auto outer = current_event_;
  current_event_ = unit.ref();
  // A memory shortage inside a handler must end in the report, never escape
  // through the message loop.
  runtime::GuardAllocation(handler);
  current_event_ = outer;
}

// --- Focus -------------------------------------------------------------------

Unit* FormRuntime::focus() const {
  if (!focus_) return nullptr;
  Window* window = FindInstance(focus_->instance);
  return window == nullptr ? nullptr : window->FindUnit(focus_->unit);
}

void FormRuntime::SetFocus(Unit& unit) { MoveFocus(&unit, true); }

void FormRuntime::UserFocus(Unit* unit) { MoveFocus(unit, false); }

void FormRuntime::UserLeave(Unit& unit) {
  if (focus() == &unit) {
    MoveFocus(nullptr, false);
    return;
  }
  std::weak_ptr<const bool> alive = unit.alive();
  unit.OnFocusLost();
  if (!alive.expired()) Raise(unit, event::kLostFocus);
}

void FormRuntime::MoveFocus(Unit* to, bool by_program) {
  Unit* from = focus();
  if (to != nullptr)
    focus_ = FocusRef{to->window().instance(), to->type() == unit_type::kWindow ? 0 : to->id()};
  else
    focus_.reset();
  if (by_program && to != nullptr && observer_ != nullptr) observer_->FocusMovedByProgram(*to);
  if (from == to) return;
  std::weak_ptr<const bool> to_alive = to != nullptr ? to->alive() : std::weak_ptr<const bool>();
  if (to != nullptr && to->window().view() != nullptr) to->window().view()->FocusChanged(to);
  if (from != nullptr) {
    std::weak_ptr<const bool> from_alive = from->alive();
    from->OnFocusLost();
    if (!from_alive.expired()) Raise(*from, event::kLostFocus);
  }
  if (to != nullptr && !to_alive.expired() && focus() == to) Raise(*to, event::kGotFocus);
}

// --- Menus -------------------------------------------------------------------

std::vector<MenuItemState>& FormRuntime::MenuOf(std::uint32_t window_id) {
  return menus_[window_id];
}

MenuItemState* FormRuntime::FindMenuItem(std::uint32_t window_id, std::uint32_t item_id) {
  for (MenuItemState& item : MenuOf(window_id))
    if (item.id == item_id) return &item;
  return nullptr;
}

void FormRuntime::PopupMenu(UnitRef window_ref, UnitRef menu_ref, std::optional<int> x,
                            std::optional<int> y) {
  Window* window = FindWindow(window_ref.window);
  if (window == nullptr) Report("指定窗口或窗口组件不存在或尚未载入"_gbk);
  if (menu_ref.window != window_ref.window) return;
  auto& menu = window->menu();
  auto it = std::find_if(menu.begin(), menu.end(), [&](const MenuItemState& item) {
    return item.id == menu_ref.unit && item.level == 0;
  });
  if (it == menu.end()) return;
  std::vector<PopupItem> items;
  for (++it; it != menu.end() && it->level != 0; ++it) {
    if ((it->flags & menu_flag::kHidden) != 0) continue;
    items.push_back({it->id, it->caption, (it->flags & menu_flag::kDisabled) != 0,
                     (it->flags & menu_flag::kChecked) != 0});
  }
  auto& dialogs = *platform::Current().dialogs;
  int at_x = x ? *x : dialogs.CursorX() + 3;
  int at_y = y ? *y : dialogs.CursorY() + 3;
  if (observer_ != nullptr) observer_->PopupShown(*window, items);
  desktop_.ShowPopupMenu(*window, items, at_x, at_y);
}

std::vector<const MenuItemState*> FormRuntime::MenuBarItems(const Window& window) {
  std::vector<const MenuItemState*> items;
  bool in_bar = false;
  for (const MenuItemState& item : MenuOf(window.id())) {
    if (item.level == 0)
      in_bar = (item.flags & menu_flag::kHidden) == 0;
    else if (in_bar && (item.flags & menu_flag::kHidden) == 0)
      items.push_back(&item);
  }
  return items;
}

bool FormRuntime::ChooseMenuItem(Window& window, std::uint32_t item_id) {
  MenuItemState* item = FindMenuItem(window.id(), item_id);
  if (item == nullptr || (item->flags & (menu_flag::kHidden | menu_flag::kDisabled)) != 0)
    return false;
  if (runtime::RuntimeErrorReported() || item->handler == nullptr) return true;
  Handler handler = item->handler;
  auto outer = current_event_;
  current_event_ = UnitRef{window.id(), item_id};
  runtime::GuardAllocation(handler);
  current_event_ = outer;
  return true;
}

}  // namespace forms
