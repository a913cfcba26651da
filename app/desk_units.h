// What every handler of the order desk needs to reach its windows: the units
// by their layout names, their texts, enabled state and the focus, the tab
// page, message boxes, the built-in commands by name, and the one message
// that reports a record-store write that failed.
//
// Unit names are the layout's (UTF-8 in the source, as in app/layout/), so
// `grep 添加 app/` finds both the binding and every handler that uses it.
// All of this acts on the current form runtime (forms::FormRuntime::Current()).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "app/layout/windows.h"
#include "runtime/value.h"

namespace desk {

// A unit of one of the desk's windows, by its layout name (UTF-8); an empty
// name stands for the window itself.
struct UnitName {
  std::uint32_t window = 0;
  std::string_view name;
};

constexpr UnitName Main(std::string_view name) { return {layout::kMainWindow, name}; }
constexpr UnitName Settings(std::string_view name) { return {layout::kSettingsWindow, name}; }
constexpr UnitName Cancellation(std::string_view name) {
  return {layout::kCancellationWindow, name};
}

// The windows themselves.
constexpr UnitName kMainWindowUnit = Main({});
constexpr UnitName kSettingsWindowUnit = Settings({});
constexpr UnitName kCancellationWindowUnit = Cancellation({});
constexpr UnitName kRestoreWindowUnit = {layout::kRestoreWindow, {}};

// The tab that holds every page of the main window, and its pages (0-based).
constexpr UnitName kPages = Main("选择夹1");
namespace page {
constexpr std::int32_t kOrderForm = 0;
constexpr std::int32_t kQueries = 1;
constexpr std::int32_t kArrival = 2;
constexpr std::int32_t kPickup = 3;
constexpr std::int32_t kAfterSales = 4;
constexpr std::int32_t kReports = 5;
constexpr std::int32_t kCustomers = 6;
constexpr std::int32_t kFunds = 7;
}  // namespace page

// The unit as a command argument (a unit reference of the unit's type). A
// name the window template does not hold is a fault of the program and ends
// in the runtime error report.
runtime::Value UnitValue(UnitName unit);
runtime::UnitRef Ref(UnitName unit);

// An edit box's or combo box's content, or a label's, button's or window's
// caption, as text (GBK).
runtime::Text ReadText(UnitName unit);
// Replaces the content or caption; an edit box raises its ContentChanged
// before this returns.
void WriteText(UnitName unit, std::string_view gbk);

void Enable(UnitName unit, bool enabled = true);
inline void Disable(UnitName unit) { Enable(unit, false); }
bool IsEnabled(UnitName unit);

// The program moves the keyboard focus to the unit (SetFocus).
void Focus(UnitName unit);

// Shows a window whose start-up handler is still running, so that long work
// in it (the day's backup) runs under the window instead of before it.
void ShowLoadingWindow(std::uint32_t window_id);

// The current page of `tab` (0-based), and making a page current.
std::int32_t CurrentPage(UnitName tab = kPages);
void ShowPage(std::int32_t number, UnitName tab = kPages);

// Message-box styles and the answers the desk looks at.
namespace box {
constexpr std::uint32_t kOk = 0;
constexpr std::uint32_t kYesNo = 4;
constexpr std::uint32_t kStop = 0x10;
constexpr std::int32_t kYes = 5;
}  // namespace box

// Shows a message box (texts GBK) and returns the button pressed. Without a
// title the box has the default one, "信息：".
std::int32_t Ask(std::string_view text, std::uint32_t style, std::string_view title);
std::int32_t Ask(std::string_view text, std::uint32_t style = box::kOk);
inline void Tell(std::string_view text) { Ask(text); }

// Calls the built-in command `name` with `args`; a command the program does
// not have is a fault of the program and ends in the runtime error report.
runtime::Value Command(std::string_view name, std::span<const runtime::Value> args);
inline runtime::Value Command(std::string_view name, std::initializer_list<runtime::Value> args) {
  return Command(name, std::span<const runtime::Value>(args.begin(), args.size()));
}

// The selected row of a list view (0-based), -1 when none is selected.
std::int32_t SelectedRow(UnitName list);

// Reports that a record-store write failed: a stop box titled "保存失败"
// that names `what` was not saved (GBK, e.g. "订单") and gives the record
// store's text for `error` (its last error when omitted). The handler then
// stops.
void ReportFailedWrite(std::string_view what);
void ReportFailedWrite(std::string_view what, int error);

}  // namespace desk
