// The order desk in its real windows on the offscreen platform, for tests
// that click, type, tick and answer boxes as the shop assistant does.
#pragma once

#include <QApplication>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/layout/windows.h"
#include "forms/form_runtime.h"
#include "gui/qt_desktop.h"
#include "gui/qt_window_view.h"
#include "tests/support/temp_dir.h"

class QMessageBox;
class QMenu;

namespace testing_support {

// The one application object of a Qt test program, set up as the desk's.
QApplication& QtTestApplication();

// Makes `folder` a desk program folder with empty data files (ldgtool init)
// and the current directory, as the desk finds it on its first start.
void MakeDeskFolder(const TempDir& folder);

// The desk started in a fresh program folder: the template read, the desk
// initialised, the main window loaded and shown, where the program directory
// says it was left. The platform services (dialogs, clock, clipboard) are
// whatever the test installed beforehand. `before_start` may fill the new
// folder first (a settings file, say).
class QtDesk {
 public:
  explicit QtDesk(const std::function<void(const TempDir&)>& before_start = {});
  ~QtDesk();
  QtDesk(const QtDesk&) = delete;
  QtDesk& operator=(const QtDesk&) = delete;

  forms::FormRuntime& forms() { return *forms_; }
  const TempDir& folder() const { return folder_; }
  QWidget* MainWindow() const;

  forms::Unit& Unit(const char* name, std::uint32_t window = desk::layout::kMainWindow);
  gui::QtWindowView& View(std::uint32_t window = desk::layout::kMainWindow);
  template <typename W = QWidget>
  W* Widget(const char* name, std::uint32_t window = desk::layout::kMainWindow) {
    W* widget = qobject_cast<W*>(View(window).WidgetOf(Unit(name, window)));
    if (widget == nullptr) throw std::logic_error(name);
    return widget;
  }

  // The assistant clicks into the box, selects what it holds (Ctrl+A) and
  // types over it: plain characters as key presses, Chinese ones as key
  // events carrying their text, as an input method sends them.
  void Type(const char* box, const char* text, std::uint32_t window = desk::layout::kMainWindow);
  // A mouse click on an enabled button; false when the button is disabled.
  bool Click(const char* button, std::uint32_t window = desk::layout::kMainWindow);
  // A click on the tab of `page` of "选择夹1".
  void ShowPage(int page);
  // A click on the check box of `row` of a list with check boxes.
  void TickRow(const char* list, int row);
  // A right click on `row` of a list.
  void RightClickRow(const char* list, int row);

 private:
  TempDir folder_;
  gui::QtDesktop desktop_;
  std::unique_ptr<forms::FormRuntime> forms_;
  std::unique_ptr<forms::ScopedFormRuntime> current_;
};

// Makes the window that holds `widget` the active one, which has the
// keyboard.
void Activate(QWidget* widget);

// Types `text` into whatever widget has the keyboard focus.
void TypeIntoFocus(const QString& text);

// Answers the real message boxes and pop-up menus as they open: a box with
// the button queued for it (pressing Enter, the default button, when nothing
// is queued), a menu by clicking the item queued for it (closing it with
// Escape when nothing is queued). Every box and menu shown is kept.
class ModalAnswerer : public QObject {
 public:
  struct ShownBox {
    QString title, text;
  };
  ModalAnswerer();
  ~ModalAnswerer() override;

  // Standard buttons of QMessageBox, e.g. QMessageBox::Yes.
  void AnswerBox(int standard_button) { box_answers_.push_back(standard_button); }
  void ChooseFromMenu(const char* item) { menu_choices_.push_back(QString::fromUtf8(item)); }

  const std::vector<ShownBox>& boxes() const { return boxes_; }
  // The items of every menu shown, in order.
  const std::vector<QStringList>& menus() const { return menus_; }
  // The texts of the boxes shown since the last call.
  QStringList TakeBoxTexts();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Answer(QMessageBox* box);
  void Choose(QMenu* menu);

  std::deque<int> box_answers_;
  std::deque<QString> menu_choices_;
  std::vector<ShownBox> boxes_;
  std::vector<QStringList> menus_;
  std::size_t boxes_taken_ = 0;
};

// Saves a picture of `widget` to the file that the environment variable
// `variable` names, when it is set: pictures for the documentation are made
// only when asked for. False when the picture was asked for and not saved.
bool SavePictureIfAsked(QWidget* widget, const char* variable);

}  // namespace testing_support
