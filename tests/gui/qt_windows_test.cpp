// The real windows, offscreen: every window built, every page clicked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/entry.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/template_segment.h"
#include "forms/commands.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/tab.h"
#include "gui/qt_desktop.h"
#include "gui/qt_list_model.h"
#include "gui/qt_window_view.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_dialogs.h"
#include "tests/support/qt_desk.h"
#include "tests/support/temp_dir.h"

namespace {

using desk::layout::kCancellationWindow;
using desk::layout::kMainWindow;
using desk::layout::kRestoreWindow;
using desk::layout::kSettingsWindow;

class QtWindows : public ::testing::Test {
 protected:
  QtWindows() : services_({nullptr, nullptr, &dialogs_}) {
    testing_support::QtTestApplication();
    // The main window's start-up opens the desk's data files.
    testing_support::MakeDeskFolder(data_);
    desk::RegisterAllCommands();
    forms_ = forms::FormRuntime::FromSegment(desk::WindowTemplateSegment(), desk::HandlerTable(),
                                             desktop_);
    current_ = std::make_unique<forms::ScopedFormRuntime>(*forms_);
    desktop_.SetRuntime(forms_.get());
  }
  ~QtWindows() override {
    forms_->CloseAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  forms::Unit& Unit(std::uint32_t window, const char* name) {
    forms::Unit* unit = forms_->FindWindow(window)->FindUnitByName(platform::Utf8ToGbk(name));
    if (unit == nullptr) throw std::logic_error(name);
    return *unit;
  }
  gui::QtWindowView& View(std::uint32_t window) {
    return dynamic_cast<gui::QtWindowView&>(*forms_->FindWindow(window)->view());
  }
  QWidget* Widget(std::uint32_t window, const char* name) {
    return View(window).WidgetOf(Unit(window, name));
  }

  testing_support::TempDir data_;
  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
  gui::QtDesktop desktop_;
  std::unique_ptr<forms::FormRuntime> forms_;
  std::unique_ptr<forms::ScopedFormRuntime> current_;
};

TEST_F(QtWindows, EveryWindowIsBuiltAndEveryPageClickedThrough) {
  ASSERT_TRUE(forms_->LoadWindow(kMainWindow, 0, false));
  QWidget* main = desktop_.WidgetOf(*forms_->FindWindow(kMainWindow));
  ASSERT_NE(main, nullptr);
  main->show();
  auto& tab = dynamic_cast<forms::Tab&>(Unit(kMainWindow, "选择夹1"));
  QTabBar* bar = View(kMainWindow).TabBarOf(tab);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->count(), 8);
  // One unit of each page, placed where the layout puts it.
  const char* on_page[] = {"添加",           "查询超级列表框1", "到货查找",       "提货查找",
                           "售后超级列表框", "表格2",           "客户超级列表框", "分组框9"};
  for (int page = 0; page < 8; ++page) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    EXPECT_EQ(tab.current_page(), page);
    EXPECT_EQ(bar->currentIndex(), page);
    for (int other = 0; other < 8; ++other) {
      QWidget* widget = Widget(kMainWindow, on_page[other]);
      EXPECT_EQ(widget->isVisibleTo(main), other == page) << on_page[other] << " on page " << page;
    }
    forms::Rect rect = Unit(kMainWindow, on_page[page]).rect();
    EXPECT_EQ(Widget(kMainWindow, on_page[page])->geometry(),
              QRect(rect.left, rect.top, rect.width, rect.height));
  }
  // Only the menu-bar menu shows; the pop-up menus stay out of the bar.
  auto* window = qobject_cast<QMainWindow*>(main);
  ASSERT_EQ(window->menuBar()->actions().size(), 1);
  EXPECT_EQ(window->menuBar()->actions()[0]->text(), QString::fromUtf8("系统设置"));
  EXPECT_FALSE(Widget(kMainWindow, "全选")->isEnabled());
  auto* checked_list = qobject_cast<QTableView*>(Widget(kMainWindow, "到货超级列表框"));
  EXPECT_EQ(checked_list->columnWidth(0), 170) << "a 16-digit number beside the check box";
  EXPECT_EQ(checked_list->model()->columnCount(), 9);

  // The date pickers' calendars speak Chinese whatever the system's language.
  const QList<QDateEdit*> dates = main->findChildren<QDateEdit*>();
  EXPECT_FALSE(dates.isEmpty());
  for (QDateEdit* date : dates) {
    EXPECT_EQ(date->locale().language(), QLocale::Chinese);
    EXPECT_EQ(date->calendarWidget()->locale().language(), QLocale::Chinese);
  }

  for (std::uint32_t id : {kSettingsWindow, kCancellationWindow, kRestoreWindow}) {
    ASSERT_TRUE(forms_->LoadWindow(id, 0, false));
    EXPECT_NE(desktop_.WidgetOf(*forms_->FindWindow(id)), nullptr);
  }
  auto* apply = qobject_cast<QPushButton*>(Widget(kSettingsWindow, "修改店名"));
  EXPECT_EQ(apply->text(), QString::fromUtf8("确定修改"));
  EXPECT_EQ(apply->geometry(), QRect(240, 128, 80, 32));
  EXPECT_EQ(desktop_.WidgetOf(*forms_->FindWindow(kSettingsWindow))->windowTitle(),
            QString::fromUtf8("系统设定"));
}

TEST_F(QtWindows, TypingGoesThroughTheInputModeAndProgramWritesShow) {
  forms_->LoadWindow(kMainWindow, 0, false);
  desktop_.WidgetOf(*forms_->FindWindow(kMainWindow))->show();
  auto* quantity = qobject_cast<QLineEdit*>(Widget(kMainWindow, "商品数量"));
  quantity->selectAll();
  QTest::keyClicks(quantity, "12a3");
  auto& box = dynamic_cast<forms::EditBox&>(Unit(kMainWindow, "商品数量"));
  EXPECT_EQ(box.content(), "123");
  EXPECT_EQ(quantity->text(), QStringLiteral("123"));
  auto& goods = dynamic_cast<forms::EditBox&>(Unit(kMainWindow, "商品名称"));
  forms_->WriteProperty(goods.ref(), forms::property::kContent,
                        runtime::Value::OfText(platform::Utf8ToGbk("七")));
  EXPECT_EQ(qobject_cast<QLineEdit*>(Widget(kMainWindow, "商品名称"))->text(),
            QString::fromUtf8("七"));
  forms_->WriteProperty(Unit(kMainWindow, "全选").ref(), forms::property::kDisabled,
                        runtime::Value::Bool(false));
  EXPECT_TRUE(Widget(kMainWindow, "全选")->isEnabled());
}

TEST_F(QtWindows, AHundredThousandRowsReachTheViewInOneReset) {
  forms_->LoadWindow(kMainWindow, 0, false);
  auto& list = dynamic_cast<forms::ListView&>(Unit(kMainWindow, "查询超级列表框1"));
  auto* table = qobject_cast<QTableView*>(Widget(kMainWindow, "查询超级列表框1"));
  QSignalSpy resets(table->model(), &QAbstractItemModel::modelReset);
  for (int row = 0; row < 100000; ++row) {
    list.InsertRow(-1, std::to_string(row), -1, 1, 0, 0);
    list.SetCellText(row, 1, "x");
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(table->model()->rowCount(), 100000);
  EXPECT_EQ(table->model()->index(99999, 0).data().toString(), QStringLiteral("99999"));
}

TEST_F(QtWindows, AModalWindowDisablesTheMainWindowUntilItCloses) {
  forms_->LoadWindow(kMainWindow, 0, false);
  QWidget* main = desktop_.WidgetOf(*forms_->FindWindow(kMainWindow));
  bool main_enabled_meanwhile = true;
  QTimer::singleShot(0, [&] {
    main_enabled_meanwhile = main->isEnabled();
    forms_->UserClose(*forms_->FindWindow(kSettingsWindow));
  });
  EXPECT_TRUE(forms_->LoadWindow(kSettingsWindow, 0, true));
  EXPECT_FALSE(main_enabled_meanwhile);
  EXPECT_TRUE(main->isEnabled());
  EXPECT_EQ(forms_->FindWindow(kSettingsWindow), nullptr);
}

}  // namespace

TEST_F(QtWindows, TheStatusLineIsTheMainWindowsStatusBar) {
  forms_->LoadStartWindow(kMainWindow);
  ASSERT_TRUE(forms_->LoadWindow(kSettingsWindow, 0, false));
  auto* main = qobject_cast<QMainWindow*>(desktop_.WidgetOf(*forms_->FindWindow(kMainWindow)));
  auto* settings =
      qobject_cast<QMainWindow*>(desktop_.WidgetOf(*forms_->FindWindow(kSettingsWindow)));
  main->show();
  settings->show();
  platform::QtDialogs().ShowStatus(platform::Utf8ToGbk("已确认到货 2 个订单"));
  EXPECT_EQ(main->statusBar()->currentMessage(), QString::fromUtf8("已确认到货 2 个订单"));
  EXPECT_EQ(settings->findChild<QStatusBar*>(), nullptr);
}
