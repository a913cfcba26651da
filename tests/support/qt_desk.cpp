#include "tests/support/qt_desk.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTest>
#include <cstdlib>
#include <sstream>

#include "app/entry.h"
#include "app/handlers.h"
#include "app/window_placement.h"
#include "forms/units/tab.h"
#include "platform/gbk.h"
#include "platform/qt/qt_application.h"
#include "platform/services.h"
#include "tools/ldgtool/ldgtool.h"

namespace testing_support {

using desk::layout::kMainWindow;

QApplication& QtTestApplication() {
  static int argc = 1;
  static char name[] = "orderdesk_qt_test";
  static char* argv[] = {name, nullptr};
  // Lives until the process ends, as the desk's own application object does.
  static QApplication* app = [] {
    auto* created = new QApplication(argc, argv);
    platform::SetUpApplication(*created);
    return created;
  }();
  return *app;
}

void MakeDeskFolder(const TempDir& folder) {
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(ldgtool::RunLdgTool({"init", folder.path().string()}, in, out, err), 0) << err.str();
  EXPECT_TRUE(platform::ChangeDirectory(platform::Utf8ToGbk(folder.path().string())));
}

QtDesk::QtDesk(const std::function<void(const TempDir&)>& before_start) {
  QtTestApplication();
  MakeDeskFolder(folder_);
  if (before_start) before_start(folder_);
  desk::KeepMainWindowPlacement(desktop_);
  desk::RegisterAllCommands();
  forms_ = desk::ReadWindowTemplate(desktop_);
  current_ = std::make_unique<forms::ScopedFormRuntime>(*forms_);
  desktop_.SetRuntime(forms_.get());
  desk::InitialiseDesk();
  forms_->LoadStartWindow(kMainWindow);
  MainWindow()->show();
  Activate(MainWindow());
}

QtDesk::~QtDesk() {
  forms_->CloseAll();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* QtDesk::MainWindow() const { return desktop_.WidgetOf(*forms_->FindWindow(kMainWindow)); }

forms::Unit& QtDesk::Unit(const char* name, std::uint32_t window) {
  forms::Window* open = forms_->FindWindow(window);
  if (open == nullptr) throw std::logic_error("window not open for " + std::string(name));
  forms::Unit* unit = open->FindUnitByName(platform::Utf8ToGbk(name));
  if (unit == nullptr) throw std::logic_error(name);
  return *unit;
}

gui::QtWindowView& QtDesk::View(std::uint32_t window) {
  return dynamic_cast<gui::QtWindowView&>(*forms_->FindWindow(window)->view());
}

void Activate(QWidget* widget) {
  QWidget* window = widget->window();
  if (QApplication::activeWindow() == window) return;
  // The keyboard goes to the active window only, as on the desktop.
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

void TypeIntoFocus(const QString& text) {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) throw std::logic_error("nothing has the keyboard focus");
  QString plain;
  auto flush = [&] {
    if (!plain.isEmpty()) QTest::keyClicks(focus, plain);
    plain.clear();
  };
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      plain += c;
      continue;
    }
    flush();
    QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  flush();
}

void QtDesk::Type(const char* box, const char* text, std::uint32_t window) {
  QWidget* edit = Widget(box, window);
  if (!edit->isEnabled()) throw std::logic_error(std::string(box) + " is disabled");
  Activate(edit);
  QTest::mouseClick(edit, Qt::LeftButton);
  if (QApplication::focusWidget() != edit) edit->setFocus();
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  TypeIntoFocus(QString::fromUtf8(text));
}

bool QtDesk::Click(const char* button, std::uint32_t window) {
  auto* push = Widget<QPushButton>(button, window);
  if (!push->isEnabled()) return false;
  QTest::mouseClick(push, Qt::LeftButton);
  // List rows reach their views once the handler has returned.
  QCoreApplication::processEvents();
  return true;
}

void QtDesk::ShowPage(int page) {
  QTabBar* bar = View().TabBarOf(dynamic_cast<forms::Tab&>(Unit("选择夹1")));
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
  QCoreApplication::processEvents();
}

void QtDesk::TickRow(const char* list, int row) {
  auto* view = Widget<QAbstractItemView>(list);
  QModelIndex index = view->model()->index(row, 0);
  view->scrollTo(index);
  // Where the style draws the row's check box.
  QStyleOptionViewItem option;
  option.initFrom(view->viewport());
  option.rect = view->visualRect(index);
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.text = index.data().toString();
  QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
}

void QtDesk::RightClickRow(const char* list, int row) {
  auto* view = Widget<QAbstractItemView>(list);
  QModelIndex index = view->model()->index(row, 0);
  view->scrollTo(index);
  QPoint at = view->visualRect(index).center();
  // The right button goes down on the row, and the window system asks for
  // the context menu there, as it does on a press of the right button.
  QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
  QApplication::sendEvent(view->viewport(), &menu);
  QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
  QCoreApplication::processEvents();
}

ModalAnswerer::ModalAnswerer() { QtTestApplication().installEventFilter(this); }

ModalAnswerer::~ModalAnswerer() { QtTestApplication().removeEventFilter(this); }

QStringList ModalAnswerer::TakeBoxTexts() {
  QStringList texts;
  for (; boxes_taken_ < boxes_.size(); ++boxes_taken_) texts << boxes_[boxes_taken_].text;
  return texts;
}

bool ModalAnswerer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Show) return false;
  // The box or menu runs its own event loop once shown; the answer waits in
  // that loop's queue.
  if (auto* box = qobject_cast<QMessageBox*>(watched)) {
    boxes_.push_back({box->windowTitle(), box->text()});
    QMetaObject::invokeMethod(
        box, [this, box] { Answer(box); }, Qt::QueuedConnection);
  } else if (auto* menu = qobject_cast<QMenu*>(watched)) {
    QStringList items;
    for (QAction* action : menu->actions())
      if (action->isVisible()) items << action->text();
    menus_.push_back(items);
    QMetaObject::invokeMethod(
        menu, [this, menu] { Choose(menu); }, Qt::QueuedConnection);
  }
  return false;
}

void ModalAnswerer::Answer(QMessageBox* box) {
  if (box_answers_.empty()) {
    QTest::keyClick(box, Qt::Key_Return);
    return;
  }
  auto button = static_cast<QMessageBox::StandardButton>(box_answers_.front());
  box_answers_.pop_front();
  QAbstractButton* push = box->button(button);
  if (push == nullptr) {
    ADD_FAILURE() << "the box \"" << box->text().toStdString() << "\" has no such button";
    box->close();
    return;
  }
  QTest::mouseClick(push, Qt::LeftButton);
}

void ModalAnswerer::Choose(QMenu* menu) {
  if (menu_choices_.empty()) {
    QTest::keyClick(menu, Qt::Key_Escape);
    return;
  }
  QString wanted = menu_choices_.front();
  menu_choices_.pop_front();
  for (QAction* action : menu->actions()) {
    if (action->isVisible() && action->text() == wanted) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
      return;
    }
  }
  ADD_FAILURE() << "the menu has no item " << wanted.toStdString();
  QTest::keyClick(menu, Qt::Key_Escape);
}

bool SavePictureIfAsked(QWidget* widget, const char* variable) {
  const char* file = std::getenv(variable);
  if (file == nullptr) return true;
  QCoreApplication::processEvents();
  return widget->grab().save(QString::fromLocal8Bit(file), "PNG");
}

}  // namespace testing_support
