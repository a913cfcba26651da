// The keyboard in the real windows, offscreen: Tab walks the order page as a
// person fills it, Enter presses a page's action, Esc closes the settings and
// cancellation windows, a double click chooses a customer, and characters
// GBK cannot hold are refused where they are typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/tab.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "store/record_store.h"
#include "tests/support/qt_desk.h"

namespace {

using desk::layout::kCancellationWindow;
using desk::layout::kMainWindow;
using desk::layout::kSettingsWindow;
using platform::operator""_gbk;

class QtKeyboard : public ::testing::Test {
 protected:
  QtKeyboard() : services_({nullptr, nullptr, &dialogs_}) {}

  QWidget* Widget(const char* name, std::uint32_t window = kMainWindow) {
    return desk_.Widget(name, window);
  }
  const forms::Text& Content(const char* name) {
    return dynamic_cast<const forms::EditBox&>(desk_.Unit(name)).content();
  }
  void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(widget, key, modifiers);
    QCoreApplication::processEvents();
  }
  int LedgerRecords() {
    EXPECT_TRUE(store::SelectDatabase("流水账"_gbk));
    return store::GetRecordCount();
  }

  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
  testing_support::QtDesk desk_;
};

TEST_F(QtKeyboard, TabWalksTheOrderPageAsAPersonFillsIt) {
  const char* order[] = {"代购单号_编辑框", "客户姓名", "联系方法", "淘宝单号",
                         "商品名称",        "商品单价", "商品数量", "运费",
                         "商品链接",        "手续费",   "实收款",   "添加"};
  QTest::mouseClick(Widget(order[0]), Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), Widget(order[0]));
  for (std::size_t i = 1; i < std::size(order); ++i) {
    Press(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Widget(order[i])) << order[i];
    EXPECT_EQ(desk_.forms().focus(), &desk_.Unit(order[i]));
  }
  Press(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Widget("实收款"));

  // Tab in the remark box moves on and leaves no tab character behind.
  auto* remark = qobject_cast<QPlainTextEdit*>(Widget("备注编辑框"));
  QTest::mouseClick(remark->viewport(), Qt::LeftButton);
  QTest::keyClicks(remark, "ab");
  Press(remark, Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), remark);
  EXPECT_EQ(Content("备注编辑框"), "ab");
}

TEST_F(QtKeyboard, EnterInTheLastBoxPressesThePagesAction) {
  desk_.Type("代购单号_编辑框", "A001");
  desk_.Type("客户姓名", "张三");
  desk_.Type("联系方法", "13800000000");
  desk_.Type("淘宝单号", "T1");
  desk_.Type("商品单价", "12.5");
  desk_.Type("商品链接", "https://item.example/1");
  desk_.Type("实收款", "12.5");
  dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
  Press(Widget("实收款"), Qt::Key_Return);
  EXPECT_EQ(LedgerRecords(), 1);
  // Enter in a box with no action of its own adds nothing.
  desk_.Type("淘宝单号", "T2");
  Press(Widget("淘宝单号"), Qt::Key_Return);
  EXPECT_EQ(LedgerRecords(), 1);

  desk_.ShowPage(1);
  desk_.Type("查询购订单号", "A001");
  Press(Widget("查询购订单号"), Qt::Key_Enter);
  EXPECT_EQ(dynamic_cast<forms::ListView&>(desk_.Unit("查询超级列表框1")).row_count(), 1);
}

TEST_F(QtKeyboard, EnterAppliesAndEscapeClosesTheSettingsWindow) {
  forms::FormRuntime& forms = desk_.forms();
  QTimer::singleShot(0, [&] {
    desk_.Type("店名编辑框", "小王代购", kSettingsWindow);
    Press(Widget("查询号码编辑框", kSettingsWindow), Qt::Key_Return);
  });
  EXPECT_TRUE(forms.LoadWindow(kSettingsWindow, 0, true));
  EXPECT_EQ(desk_.MainWindow()->windowTitle(), QString::fromUtf8("小王代购"));

  bool open_before_escape = false;
  QTimer::singleShot(0, [&] {
    open_before_escape = forms.FindWindow(kSettingsWindow) != nullptr;
    Press(Widget("店名编辑框", kSettingsWindow), Qt::Key_Escape);
  });
  EXPECT_TRUE(forms.LoadWindow(kSettingsWindow, 0, true));
  EXPECT_TRUE(open_before_escape);
  EXPECT_EQ(forms.FindWindow(kSettingsWindow), nullptr);
}

TEST_F(QtKeyboard, EscapeClosesTheCancellationWindowButNotTheMainWindow) {
  forms::FormRuntime& forms = desk_.forms();
  Press(Widget("商品名称"), Qt::Key_Escape);
  EXPECT_NE(forms.FindWindow(kMainWindow), nullptr);
  ASSERT_TRUE(forms.LoadWindow(kCancellationWindow, kMainWindow, false));
  Press(Widget("编辑框2", kCancellationWindow), Qt::Key_Escape);
  EXPECT_EQ(forms.FindWindow(kCancellationWindow), nullptr);
}

TEST_F(QtKeyboard, DoubleClickingACustomerChoosesIt) {
  desk_.ShowPage(6);
  desk_.Type("客户管理姓名编辑框", "张三");
  desk_.Type("客户管理联系编辑框", "13800000001");
  dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
  ASSERT_TRUE(desk_.Click("添加客户"));
  auto* list = qobject_cast<QTableView*>(Widget("客户超级列表框"));
  ASSERT_EQ(list->model()->rowCount(), 1);
  QPoint row = list->visualRect(list->model()->index(0, 0)).center();
  // What the window system sends for a double click: a click, then the
  // second press as a double click, and its release.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row);
  QCoreApplication::processEvents();
  EXPECT_EQ(dynamic_cast<forms::Tab&>(desk_.Unit("选择夹1")).current_page(), 0);
  EXPECT_EQ(Content("客户姓名"), "张三"_gbk);
  EXPECT_EQ(Content("联系方法"), "13800000001");
}

TEST_F(QtKeyboard, CharactersGbkCannotHoldAreRefusedWhereTheyAreTyped) {
  auto* name = qobject_cast<QLineEdit*>(Widget("商品名称"));
  QTest::mouseClick(name, Qt::LeftButton);
  // An emoji, a Korean and a Thai character between Chinese ones.
  testing_support::TypeIntoFocus(QString::fromUtf8("好\xF0\x9F\x98\x80\xEA\xB0\x80\xE0\xB8\x81货"));
  EXPECT_EQ(Content("商品名称"), "好货"_gbk);
  EXPECT_EQ(name->text(), QString::fromUtf8("好货"));
  EXPECT_EQ(dialogs_.status(), platform::LeftOutCharactersNote());
}

}  // namespace
