// One order's whole life in the native Windows windows, driven with the
// window messages a person's clicks, typing, ticks, keys and menu choices
// send to the real controls; the ledger on disk is checked afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// The form runtime's own FindWindow is declared before windows.h renames it.
// clang-format off
#include "forms/form_runtime.h"
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "app/desk_files.h"
#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "gui/win32/desktop.h"
#include "gui/win32/window_view.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/win32/desktop_services.h"
#include "platform/win32/wide.h"
#include "runtime/date_time.h"
#include "store/record_store.h"
#include "tests/gui_win32/native_desk.h"
#include "tests/support/temp_dir.h"

// windows.h renames FindWindow; the form runtime means its own.
#undef FindWindow

namespace {

using desk::layout::kCancellationWindow;
using desk::layout::kMainWindow;
using desk::layout::kRestoreWindow;
using desk::layout::kSettingsWindow;
using platform::operator""_gbk;

constexpr int kQueryPage = 1, kArrivalPage = 2, kPickupPage = 3, kReportPage = 5;

class NativeOrder : public NativeDesk {
 protected:
  NativeOrder() { Open(); }

  forms::Unit& Unit(const char* name, std::uint32_t window = kMainWindow) {
    forms::Window* open = forms_->FindWindow(window);
    if (open == nullptr) throw std::logic_error(name);
    forms::Unit* unit = open->FindUnitByName(platform::Utf8ToGbk(name));
    if (unit == nullptr) throw std::logic_error(name);
    return *unit;
  }
  HWND Control(const char* name, std::uint32_t window = kMainWindow) {
    auto& view = dynamic_cast<gui::win32::WindowView&>(*forms_->FindWindow(window)->view());
    HWND control = view.HandleOf(Unit(name, window));
    if (control == nullptr) throw std::logic_error(name);
    return control;
  }
  HWND Main(std::uint32_t window = kMainWindow) {
    return desktop_.HandleOf(*forms_->FindWindow(window));
  }
  // The text replaces the box's as a paste does: the box tells its window.
  void Type(const char* box, const char* utf8, std::uint32_t window = kMainWindow) {
    SendMessageW(Control(box, window), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(platform::win32::Utf8ToWide(utf8).c_str()));
  }
  std::string Text(const char* box) {
    return platform::GbkToUtf8(dynamic_cast<forms::EditBox&>(Unit(box)).content());
  }
  bool Click(const char* button, std::uint32_t window = kMainWindow) {
    HWND control = Control(button, window);
    if (!IsWindowEnabled(control) || !IsWindowVisible(control)) return false;
    SendMessageW(control, BM_CLICK, 0, 0);
    desktop_.Drain();
    return true;
  }
  void Key(const char* unit, WPARAM key) {
    SendMessageW(Control(unit), WM_KEYDOWN, key, 0);
    desktop_.Drain();
  }
  // A click on a page's tab: the strip changes its selection and says so.
  void ShowPage(int page) {
    HWND tab = Control("选择夹1");
    SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), TCN_SELCHANGE};
    SendMessageW(Main(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    desktop_.Drain();
  }
  forms::ListView& List(const char* name) { return dynamic_cast<forms::ListView&>(Unit(name)); }
  std::string Cell(const char* list, int row, int column) {
    return platform::GbkToUtf8(List(list).CellText(row, column));
  }
  // A mouse click on the row's check box.
  void TickRow(const char* list, int row) {
    HWND control = Control(list);
    RECT box{};
    ListView_GetItemRect(control, row, &box, LVIR_ICON);
    LVHITTESTINFO probe{};
    // The state icon lies left of the item's icon.
    probe.pt = {box.left - 8, (box.top + box.bottom) / 2};
    ListView_HitTest(control, &probe);
    LPARAM at = MAKELPARAM(probe.pt.x, probe.pt.y);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(control, WM_LBUTTONUP, 0, at);
    desktop_.Drain();
  }
  bool Ticked(const char* list, int row) { return List(list).StateImage(row) == 2; }
  void TakeOrder(const char* number, const char* customer, const char* marketplace,
                 const char* goods, const char* price, const char* paid) {
    Type("代购单号_编辑框", number);
    Type("客户姓名", customer);
    Type("联系方法", "13800000001");
    Type("淘宝单号", marketplace);
    Type("商品名称", goods);
    Type("商品单价", price);
    Type("手续费", "5");
    Type("实收款", paid);
    Type("商品链接", "http://shop.example/1");
    // Taking a deposit, and adding for good.
    dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
    dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
    ASSERT_TRUE(Click("添加"));
    ASSERT_TRUE(Click("保存报表"));
  }

  // A mouse click (left or right) in the middle of a list's row.
  void ClickRow(const char* list, int row, bool right, std::uint32_t window = kMainWindow) {
    HWND control = Control(list, window);
    RECT box{};
    ListView_GetItemRect(control, row, &box, LVIR_LABEL);
    LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    if (!right) {
      SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(control, WM_LBUTTONUP, 0, at);
      return;
    }
    // The list follows the pressed right button until it comes up: the
    // button is already up when it looks.
    PostMessageW(control, WM_RBUTTONUP, 0, at);
    SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, at);
  }
  // A click on a column's header, which the header hands the list.
  void ClickHeader(const char* list, int column) {
    HWND header = ListView_GetHeader(Control(list));
    RECT box{};
    Header_GetItemRect(header, column, &box);
    LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
    desktop_.Drain();
  }
  // Picks `caption` from the pop-up menu with the arrow keys and Enter, as a
  // person would, once the menu is open: the menu's own loop runs posted
  // work, so the pick waits there for the menu window. The captions the
  // menu offered are kept in popup_.
  void PickFromPopup(const std::wstring& caption, int tries = 200) {
    desktop_.Post([this, caption, tries] {
      HWND window = FindWindowW(L"#32768", nullptr);
      HMENU menu = window != nullptr && IsWindowVisible(window)
                       ? reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0))
                       : nullptr;
      if (menu == nullptr) {
        if (tries > 0) PickFromPopup(caption, tries - 1);
        return;
      }
      int wanted = -1, lit = -1;
      popup_.clear();
      for (int item = 0; item < GetMenuItemCount(menu); ++item) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(item), text, 64, MF_BYPOSITION);
        popup_.push_back(platform::win32::WideToUtf8(text));
        if (caption == text) wanted = item;
        if ((GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION) & MF_HILITE) != 0)
          lit = item;
      }
      WPARAM key = wanted < 0 ? VK_ESCAPE : lit == wanted ? VK_RETURN : VK_DOWN;
      PostMessageW(window, WM_KEYDOWN, key, 0);
      if (key == VK_DOWN && tries > 0) PickFromPopup(caption, tries - 1);
    });
  }
  // The menu bar's item `caption`, chosen with the keys: F10's menu loop on
  // the bar, the arrows to its heading, Down into its menu, the pick there.
  bool ChooseFromMenuBar(const char* caption) {
    std::wstring wanted = platform::win32::Utf8ToWide(caption);
    HMENU bar = GetMenu(Main());
    for (int top = 0; top < GetMenuItemCount(bar); ++top) {
      HMENU popup = GetSubMenu(bar, top);
      for (int item = 0; item < GetMenuItemCount(popup); ++item) {
        wchar_t text[64] = {};
        GetMenuStringW(popup, static_cast<UINT>(item), text, 64, MF_BYPOSITION);
        if (wanted != text) continue;
        PostMessageW(Main(), WM_SYSCOMMAND, SC_KEYMENU, 0);
        WalkMenuBar(top, wanted);
        return true;
      }
    }
    return false;
  }
  void WalkMenuBar(int top, const std::wstring& caption, int tries = 200) {
    desktop_.Post([this, top, caption, tries] {
      HMENU bar = GetMenu(Main());
      int lit = -1;
      for (int item = 0; item < GetMenuItemCount(bar); ++item)
        if ((GetMenuState(bar, static_cast<UINT>(item), MF_BYPOSITION) & MF_HILITE) != 0)
          lit = item;
      if (lit < 0) {
        if (tries > 0) WalkMenuBar(top, caption, tries - 1);
        return;
      }
      PostMessageW(Main(), WM_KEYDOWN, lit == top ? VK_DOWN : VK_RIGHT, 0);
      if (lit == top)
        PickFromPopup(caption);
      else if (tries > 0)
        WalkMenuBar(top, caption, tries - 1);
    });
  }
  // Runs `task` once `window` is open: a window opened from a menu opens
  // after the menu's loop has run the work posted before.
  void WhenOpen(std::uint32_t window, std::function<void()> task, int tries = 200) {
    desktop_.Post([this, window, task, tries] {
      if (forms_->FindWindow(window) != nullptr)
        task();
      else if (tries > 0)
        WhenOpen(window, task, tries - 1);
    });
  }
  static void AddOrder(const char* number, const char* marketplace, double total, int hour) {
    ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
    std::vector<runtime::Value> fields(20);
    fields[0] = runtime::Value::OfText(number);
    fields[1] = runtime::Value::OfText(marketplace);
    fields[2] = runtime::Value::OfText("毛衣,厚"_gbk);
    fields[3] = runtime::Value::Double(1);
    fields[4] = runtime::Value::Double(total);
    fields[5] = fields[6] = runtime::Value::Double(0);
    fields[7] = runtime::Value::OfText("张三"_gbk);
    fields[8] = runtime::Value::OfText("13800000001");
    fields[9] = runtime::Value::OfText("");
    fields[10] = runtime::Value::DateTime(runtime::MakeDateTime({2026, 12, 1, hour, 0, 0}));
    fields[17] = runtime::Value::OfText("没到货"_gbk);
    fields[19] = runtime::Value::OfText("http://shop.example/1");
    ASSERT_TRUE(store::AppendRecord(fields));
  }
  static std::optional<std::string> ClipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data)))
        text = platform::win32::WideToUtf8(wide);
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

  std::vector<std::string> popup_;
};

TEST_F(NativeOrder, AnOrderLivesItsLifeAndAnotherIsCancelledInTheNativeWindows) {
  // A wine server started without an X display makes no windows.
  if (Main() == nullptr) GTEST_SKIP() << "no display";
  wchar_t title[64];
  GetWindowTextW(Main(), title, 64);
  EXPECT_EQ(platform::win32::WideToUtf8(title), "代购店");

  TakeOrder("L001", "张三", "TB900", "毛衣", "100", "30");
  // The customer's boxes are closed while the order is open.
  EXPECT_FALSE(IsWindowEnabled(Control("客户姓名")));
  ASSERT_TRUE(Click("新订单"));
  clock_.Set({2026, 12, 1, 10, 0, 0});
  TakeOrder("L002", "王五", "TB901", "围巾", "80", "50");
  EXPECT_TRUE(dialogs_.errors().empty());

  // Arrival: both listed, the first ticked with a click on its check box.
  ShowPage(kArrivalPage);
  EXPECT_TRUE(IsWindowVisible(Control("到货超级列表框")));
  EXPECT_FALSE(IsWindowVisible(Control("添加")));
  ASSERT_TRUE(Click("到货查找"));
  ASSERT_EQ(List("到货超级列表框").row_count(), 2);
  EXPECT_EQ(ListView_GetItemCount(Control("到货超级列表框")), 2);
  TickRow("到货超级列表框", 0);
  EXPECT_TRUE(Ticked("到货超级列表框", 0));
  EXPECT_FALSE(Ticked("到货超级列表框", 1));
  clock_.Set({2026, 12, 3, 10, 0, 0});
  ASSERT_TRUE(Click("批量确认到货"));
  ASSERT_EQ(List("到货超级列表框").row_count(), 1);
  EXPECT_EQ(Cell("到货超级列表框", 0, 1), "L002");

  // Pickup of the order that arrived.
  ShowPage(kPickupPage);
  ASSERT_TRUE(Click("提货查找"));
  ASSERT_EQ(List("提货超级列表框").row_count(), 1);
  TickRow("提货超级列表框", 0);
  Type("提货人姓名", "张三");
  clock_.Set({2026, 12, 4, 11, 0, 0});
  dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
  ASSERT_TRUE(Click("提货"));
  EXPECT_EQ(List("提货超级列表框").row_count(), 0);
  EXPECT_EQ(Text("提货人姓名"), "");

  // The query: Enter in the number box presses its button. The list's
  // pop-up menu item 删除订单, picked from the menu a right click opens,
  // opens the cancellation window.
  ShowPage(kQueryPage);
  Type("查询购订单号", "L002");
  Key("查询购订单号", VK_RETURN);
  if (List("查询超级列表框1").row_count() == 0) {
    ASSERT_TRUE(Click("订单编号查询"));
  }
  ASSERT_EQ(List("查询超级列表框1").row_count(), 1);
  dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
  bool cancelled_in_window = false;
  // The cancellation window is modal: its part runs in its own loop.
  WhenOpen(kCancellationWindow, [&] {
    Type("编辑框1", "不要了", kCancellationWindow);
    Type("编辑框2", "50", kCancellationWindow);
    clock_.Set({2026, 12, 2, 15, 0, 0});
    dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
    cancelled_in_window = Click("按钮2", kCancellationWindow);
  });
  PickFromPopup(L"删除订单");
  ClickRow("查询超级列表框1", 0, true);
  desktop_.Drain();
  EXPECT_TRUE(cancelled_in_window);
  EXPECT_EQ(forms_->FindWindow(kCancellationWindow), nullptr);
  ASSERT_EQ(List("查询超级列表框1").row_count(), 1);
  EXPECT_EQ(Cell("查询超级列表框1", 0, 8), "悔单");

  // The report page finds the first order's receipt.
  ShowPage(kReportPage);
  Type("报表订单号", "L001");
  ASSERT_TRUE(Click("订单编号查询3"));

  // The menu bar opens the settings window; Esc closes it.
  bool settings_open = false;
  PostMessageW(Main(), WM_COMMAND, 1, 0);
  desktop_.Post([&] {
    forms::Window* settings = forms_->FindWindow(kSettingsWindow);
    settings_open = settings != nullptr;
    if (settings_open) SendMessageW(Main(kSettingsWindow), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  desktop_.Drain();
  EXPECT_TRUE(settings_open);
  EXPECT_EQ(forms_->FindWindow(kSettingsWindow), nullptr);
  EXPECT_TRUE(dialogs_.errors().empty());

  // The ledger on disk.
  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  ASSERT_EQ(store::GetRecordCount(), 2);
  store::GoTo(1);
  EXPECT_EQ(store::ReadField(1).AsText(), "L001");
  EXPECT_EQ(store::ReadField(3).AsText(), "毛衣"_gbk);
  EXPECT_EQ(store::ReadField(14).AsText(), "张三"_gbk);
  store::GoTo(2);
  EXPECT_EQ(store::ReadField(1).AsText(), "L002");
  EXPECT_EQ(store::ReadField(18).AsText(), "悔单"_gbk);
}

// The lists' pop-up menus: a right click on a row, the item picked from the
// real menu with the keys. 导出到Excel writes the rows in the order the
// list shows them after a header click; 复制订单号 fills the clipboard.
TEST_F(NativeOrder, ThePopUpMenuExportsTheSortedListAndCopiesTheOrderNumber) {
  if (Main() == nullptr) GTEST_SKIP() << "no display";
  AddOrder("S001", "TB9", 9, 9);
  AddOrder("S002", "TB10", 100, 8);
  AddOrder("S003", "TB8", 20.5, 10);
  clock_.Set({2026, 12, 1, 12, 0, 0});
  ShowPage(kArrivalPage);
  ASSERT_TRUE(Click("到货查找"));
  ASSERT_EQ(List("到货超级列表框").row_count(), 3);
  // 商品总价 falling, by two clicks on its header.
  ClickHeader("到货超级列表框", 4);
  ClickHeader("到货超级列表框", 4);
  ASSERT_EQ(Cell("到货超级列表框", 0, 1), "S002");

  const std::string path = folder_.File("到货.csv");
  dialogs_.QueueFileName(platform::Utf8ToGbk(path));
  PickFromPopup(L"导出到Excel");
  ClickRow("到货超级列表框", 1, true);
  desktop_.Drain();
  EXPECT_EQ(popup_, std::vector<std::string>({"导出到Excel"}));
  std::ifstream in(testing_support::Utf8Path(path), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(),
            "\xEF\xBB\xBF"
            "商品淘宝单号,代购订单号,商品名称,数量,商品总价,下单时间,客户姓名,联系电话,商品流通\r\n"
            "TB10,S002,\"毛衣,厚\",1,100,2026年12月1日8时,张三,13800000001,没到货\r\n"
            "TB8,S003,\"毛衣,厚\",1,20.5,2026年12月1日10时,张三,13800000001,没到货\r\n"
            "TB9,S001,\"毛衣,厚\",1,9,2026年12月1日9时,张三,13800000001,没到货\r\n");

  ShowPage(kQueryPage);
  Type("查询购订单号", "S003");
  ASSERT_TRUE(Click("订单编号查询"));
  ASSERT_EQ(List("查询超级列表框1").row_count(), 1);
  PickFromPopup(L"复制订单号");
  ClickRow("查询超级列表框1", 0, true);
  desktop_.Drain();
  EXPECT_EQ(popup_, std::vector<std::string>(
                        {"复制订单号", "复制淘宝号", "查看商品链接", "删除订单", "导出到Excel"}));
  EXPECT_EQ(ClipboardText(), "S003");
  EXPECT_TRUE(dialogs_.errors().empty());
}

// 备份数据 and 恢复数据 from the menu bar: the restore window lists the
// backup, and restoring it brings back the ledger it held, the replaced
// files kept aside.
TEST_F(NativeOrder, ABackupFromTheMenuBarIsRestoredFromItsWindow) {
  if (Main() == nullptr) GTEST_SKIP() << "no display";
  AddOrder("S001", "TB9", 9, 9);
  clock_.Set({2026, 12, 1, 10, 0, 0});
  ASSERT_TRUE(ChooseFromMenuBar("备份数据"));
  desktop_.Drain();
  ASSERT_FALSE(dialogs_.shown().empty());
  EXPECT_EQ(platform::GbkToUtf8(dialogs_.shown().back().text).rfind("备份完成", 0), 0u)
      << platform::GbkToUtf8(dialogs_.shown().back().text);
  const std::filesystem::path backups = folder_.path() / testing_support::Utf8Path("备份");
  ASSERT_TRUE(std::filesystem::is_directory(backups));

  clock_.Set({2026, 12, 1, 11, 0, 0});
  AddOrder("S002", "TB10", 100, 11);
  ASSERT_TRUE(ChooseFromMenuBar("恢复数据"));
  int listed = 0;
  std::string when;
  bool restored = false;
  // The restore window is modal: its part runs in its own loop.
  WhenOpen(kRestoreWindow, [&] {
    listed = ListView_GetItemCount(Control("备份列表", kRestoreWindow));
    ClickRow("备份列表", 0, false, kRestoreWindow);
    when = platform::GbkToUtf8(
        dynamic_cast<forms::ListView&>(Unit("备份列表", kRestoreWindow)).CellText(0, 0));
    dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
    restored = Click("恢复所选备份", kRestoreWindow);
  });
  desktop_.Drain();
  // The start of the day made one too, before the order.
  EXPECT_EQ(listed, 2);
  EXPECT_EQ(when, "2026-12-01 10:00:00");
  EXPECT_TRUE(restored);
  EXPECT_EQ(forms_->FindWindow(kRestoreWindow), nullptr);
  EXPECT_EQ(platform::GbkToUtf8(dialogs_.shown().back().text).rfind("数据已恢复为", 0), 0u)
      << platform::GbkToUtf8(dialogs_.shown().back().text);
  EXPECT_TRUE(dialogs_.errors().empty());

  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  ASSERT_EQ(store::GetRecordCount(), 1);
  store::GoTo(1);
  EXPECT_EQ(store::ReadField(1).AsText(), "S001");
  int replaced = 0;
  for (const auto& entry : std::filesystem::directory_iterator(backups))
    if (testing_support::Utf8Of(entry.path().filename()).rfind("replaced-", 0) == 0 &&
        !std::filesystem::is_empty(entry.path()))
      ++replaced;
  EXPECT_EQ(replaced, 1);
}

}  // namespace
