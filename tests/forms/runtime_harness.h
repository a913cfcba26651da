// A form runtime over a small test template, driven by queued actions.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/form_runtime.h"
#include "forms/headless_desktop.h"
#include "forms/layout.h"
#include "platform/gbk.h"

namespace forms::testing {

// What the test handlers saw, in order.
std::vector<std::string>& Log();
// When set, the handler of 按钮 runs out of memory.
bool& ButtonRunsOutOfMemory();

constexpr std::uint32_t kMain = MakeId(id_kind::kWindow, 0x101);
constexpr std::uint32_t kDialog = MakeId(id_kind::kWindow, 0x201);

// Main window "主": edit boxes 单行 (logs its content on change), 多行
// (multi-line), 整数 (mode 7), 小数 (mode 10); a tab 页 with page 一 holding
// button 按钮 and page 二 holding group box 框 with label 标签; a list 列表
// with check boxes; a pop-up menu 弹出 with items 甲 and 乙; a button 无 bound
// to -1. Tab visits 小数, 单行 and 按钮 first; Enter in 小数 presses 按钮.
// Dialog "对话": buttons 关 (closes the dialog at once) and 迟关 (posts the
// close); Esc closes it.
std::vector<layout::Window> TestWindows();
std::vector<layout::Handler> TestHandlers();

class Harness {
 public:
  Harness();
  ~Harness();
  FormRuntime& forms() { return *forms_; }
  HeadlessDesktop& desktop() { return desktop_; }
  // Queues a user action for the message loop.
  void Then(std::function<void()> action) { actions_.push_back(std::move(action)); }
  Unit& UnitNamed(std::uint32_t window, const char* utf8);
  runtime::UnitRef Ref(std::uint32_t window, const char* utf8);
  std::uint32_t MenuItemId(const char* utf8);

 private:
  std::deque<std::function<void()>> actions_;
  HeadlessDesktop desktop_;
  std::unique_ptr<FormRuntime> forms_;
  std::unique_ptr<ScopedFormRuntime> current_;
};

}  // namespace forms::testing
