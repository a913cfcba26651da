#include "tests/forms/runtime_harness.h"

#include "forms/template_io.h"
#include "forms/units/edit_box.h"

namespace forms::testing {
namespace {

Harness* current = nullptr;

void LogContent(const char* name) {
  auto* box = dynamic_cast<EditBox*>(&current->UnitNamed(kMain, name));
  Log().push_back(std::string(name) + ":" + platform::GbkToUtf8(box->content()));
}
void SingleChanged() { LogContent("单行"); }
void MultiChanged() { LogContent("多行"); }
void IntChanged() { LogContent("整数"); }
void ButtonClicked() {
  if (ButtonRunsOutOfMemory()) throw std::bad_alloc();
  Log().push_back("按钮");
}
void TabClicked() { Log().push_back("页"); }
void MenuA() { Log().push_back("甲"); }
void MenuB() { Log().push_back("乙"); }
void CloseAtOnce() {
  current->forms().CloseWindow(kDialog, true);
  Log().push_back("closed");
}
void ClosePosted() {
  current->forms().CloseWindow(kDialog, false);
  Log().push_back(current->forms().FindWindow(kDialog) ? "still open" : "gone");
}
void MainCreated() { Log().push_back("created"); }

}  // namespace

bool& ButtonRunsOutOfMemory() {
  static bool out_of_memory = false;
  return out_of_memory;
}

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

std::vector<layout::Window> TestWindows() {
  layout::Window main;
  main.serial = 0x100;
  main.caption = "主";
  main.rect = {0, 0, 400, 300};
  main.on_created = &MainCreated;
  main.units = {
      layout::EditBox("单行", {0, 0, 50, 20}).OnContentChanged(&SingleChanged),
      layout::EditBox("多行", {0, 30, 50, 50}).MultiLine().OnContentChanged(&MultiChanged),
      layout::EditBox("整数", {0, 90, 50, 20})
          .InputMode(layout::input::kInt)
          .OnContentChanged(&IntChanged),
      layout::EditBox("小数", {0, 120, 50, 20}).InputMode(layout::input::kDouble),
      layout::Tab(
          "页", {100, 0, 200, 200},
          {{"一", {layout::Button("按钮", "按", {10, 30, 40, 20}).OnClicked(&ButtonClicked)}},
           {"二",
            {layout::GroupBox("框", "框", {10, 30, 100, 100},
                              {layout::Label("标签", "字", {5, 20, 30, 20})})}}})
          .OnClicked(&TabClicked),
      layout::ListView("列表", {0, 150, 100, 100}, {{"一", 40}, {"二", 40}}).CheckBoxes(),
      layout::Button("无", "无", {0, 260, 40, 20}).On(event::kClicked, nullptr),
  };
  main.menus = {layout::PopupMenu("弹出", {{"甲", &MenuA}, {"乙", &MenuB}})};
  main.tab_order = {"小数", "单行", "按钮"};
  main.enter_presses = {{"小数", "按钮"}};
  layout::Window dialog;
  dialog.serial = 0x200;
  dialog.caption = "对话";
  dialog.rect = {0, 0, 200, 100};
  dialog.units = {layout::Button("关", "关", {0, 0, 40, 20}).OnClicked(&CloseAtOnce),
                  layout::Button("迟关", "迟关", {50, 0, 40, 20}).OnClicked(&ClosePosted)};
  dialog.escape_closes = true;
  return {main, dialog};
}

std::vector<layout::Handler> TestHandlers() {
  return {&SingleChanged, &MultiChanged, &IntChanged,  &ButtonClicked, &TabClicked,
          &MenuA,         &MenuB,        &CloseAtOnce, &ClosePosted,   &MainCreated};
}

Harness::Harness()
    : desktop_([this] {
        if (actions_.empty()) return false;
        auto action = std::move(actions_.front());
        actions_.pop_front();
        action();
        return true;
      }) {
  Log().clear();
  auto handlers = TestHandlers();
  Bytes segment = WriteTemplate(layout::BuildTemplate(TestWindows(), handlers));
  forms_ = FormRuntime::FromSegment(segment, handlers, desktop_);
  current_ = std::make_unique<ScopedFormRuntime>(*forms_);
  desktop_.SetRuntime(forms_.get());
  current = this;
}

Harness::~Harness() { current = nullptr; }

Unit& Harness::UnitNamed(std::uint32_t window, const char* utf8) {
  Window* loaded = forms_->FindWindow(window);
  if (loaded == nullptr) throw std::logic_error("window not loaded");
  Unit* unit = loaded->FindUnitByName(platform::Utf8ToGbk(utf8));
  if (unit == nullptr) throw std::logic_error(std::string("no unit ") + utf8);
  return *unit;
}

runtime::UnitRef Harness::Ref(std::uint32_t window, const char* utf8) {
  const WindowBlock* block = forms_->tmpl().FindWindow(window);
  for (const TableEntry& entry : block->entries) {
    if (const auto* unit = std::get_if<UnitRecord>(&entry))
      if (unit->name == platform::Utf8ToGbk(utf8)) return {window, unit->id};
    if (const auto* item = std::get_if<MenuItemRecord>(&entry))
      if (item->caption == platform::Utf8ToGbk(utf8)) return {window, item->id};
  }
  throw std::logic_error(std::string("no unit ") + utf8);
}

std::uint32_t Harness::MenuItemId(const char* utf8) { return Ref(kMain, utf8).unit; }

}  // namespace forms::testing
