#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/qt/qt_text.h"

namespace platform {
namespace {

struct ButtonChoice {
  QMessageBox::StandardButton button;
  BoxAnswer answer;
};

std::vector<ButtonChoice> ButtonsOf(std::uint32_t style) {
  using B = QMessageBox;
  switch (style & 0xF) {
    case 1:
      return {{B::Ok, BoxAnswer::kOk}, {B::Cancel, BoxAnswer::kCancel}};
    case 2:
      return {{B::Abort, BoxAnswer::kAbort},
              {B::Retry, BoxAnswer::kRetry},
              {B::Ignore, BoxAnswer::kIgnore}};
    case 3:
      return {{B::Yes, BoxAnswer::kYes}, {B::No, BoxAnswer::kNo}, {B::Cancel, BoxAnswer::kCancel}};
    case 4:
      return {{B::Yes, BoxAnswer::kYes}, {B::No, BoxAnswer::kNo}};
    case 5:
      return {{B::Retry, BoxAnswer::kRetry}, {B::Cancel, BoxAnswer::kCancel}};
    default:
      return {{B::Ok, BoxAnswer::kOk}};
  }
}

QMessageBox::Icon IconOf(std::uint32_t style) {
  switch (style & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The window a box belongs to: the active one (the main window, or the
// modal window in front of it), else the first window shown.
QWidget* OwnerWindow() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->isWindow() && !window->inherits("QMenu")) return window;
  return nullptr;
}

// Makes a message box wide enough to show its whole title: a box sizes
// itself by its text and buttons, so a short text under a longer title
// would show the title cut.
void FitTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const QFontMetrics metrics(QApplication::font("QWorkspaceTitleBar"));
  // Room for the icon and the title bar's buttons beside the title.
  const int width = metrics.horizontalAdvance(box.windowTitle()) * 5 / 4 + 140;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                grid->rowCount(), 0, 1, grid->columnCount());
}

class QtProgressWindow : public ProgressWindow {
 public:
  QtProgressWindow(const QString& caption, const QString& text)
      : dialog_(text, QString(), 0, 100, QApplication::activeWindow()) {
    dialog_.setWindowTitle(caption);
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setMinimumDuration(500);
    dialog_.setAutoClose(false);
    dialog_.setValue(0);
  }
  void Show(int percent) override {
    dialog_.setValue(std::clamp(percent, 0, 100));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

 private:
  QProgressDialog dialog_;
};

}  // namespace

std::unique_ptr<ProgressWindow> QtDialogs::OpenProgress(std::string_view caption,
                                                        std::string_view text) {
  return std::make_unique<QtProgressWindow>(ToQString(caption), ToQString(text));
}

BoxAnswer QtDialogs::ShowMessageBox(std::string_view text, std::string_view caption,
                                    std::uint32_t style) {
  // Centred over the window it belongs to.
  QMessageBox box(IconOf(style), ToQString(caption), ToQString(text), QMessageBox::NoButton,
                  OwnerWindow());
  FitTitle(box);
  std::vector<ButtonChoice> buttons = ButtonsOf(style);
  QMessageBox::StandardButtons all;
  for (const ButtonChoice& choice : buttons) all |= choice.button;
  box.setStandardButtons(all);
  // Bits 8-11 name the default button: 0 the first, 0x100 the second, ...
  std::size_t default_index = (style >> 8) & 0xF;
  if (default_index < buttons.size()) box.setDefaultButton(buttons[default_index].button);
  // Escape answers as the desktop does: Cancel where there is one, OK for a
  // box with only OK, otherwise the box cannot be escaped.
  for (const ButtonChoice& choice : buttons)
    if (choice.answer == BoxAnswer::kCancel || buttons.size() == 1)
      box.setEscapeButton(choice.button);
  box.exec();
  auto* clicked = box.clickedButton();
  for (const ButtonChoice& choice : buttons)
    if (clicked == box.button(choice.button)) return choice.answer;
  return DefaultAnswer(style);
}

void QtDialogs::ShowRuntimeError(std::string_view text) {
  QMessageBox box(QMessageBox::Critical, ToQString("错误"_gbk), ToQString(text), QMessageBox::Ok,
                  OwnerWindow());
  FitTitle(box);
  box.exec();
}

std::optional<std::string> QtDialogs::AskPassword(std::string_view prompt,
                                                  std::string_view caption) {
  bool ok = false;
  QString password = QInputDialog::getText(OwnerWindow(), ToQString(caption), ToQString(prompt),
                                           QLineEdit::Password, QString(), &ok);
  if (!ok) return std::nullopt;
  return FromQString(password);
}

std::optional<std::string> QtDialogs::AskSaveFileName(std::string_view caption,
                                                      std::string_view proposed_path,
                                                      std::string_view filter) {
  QString kind;
  QString chosen = QFileDialog::getSaveFileName(OwnerWindow(), ToQString(caption),
                                                ToQString(proposed_path), ToQString(filter), &kind);
  if (chosen.isEmpty()) return std::nullopt;
  // A name typed without an end takes the end of the kind chosen, "(*.csv)".
  const QRegularExpressionMatch end =
      QRegularExpression(QStringLiteral("\\(\\*(\\.\\w+)")).match(kind);
  if (end.hasMatch() && QFileInfo(chosen).suffix().isEmpty()) chosen += end.captured(1);
  return FromQString(chosen);
}

bool QtDialogs::OpenWebPage(std::string_view address) {
  return QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(address)));
}

void QtDialogs::ShowStatus(std::string_view gbk) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<QMainWindow*>(widget);
        window != nullptr && window->property(kStatusLineProperty).toBool())
      window->statusBar()->showMessage(ToQString(gbk));
}

int QtDialogs::CursorX() { return QCursor::pos().x(); }
int QtDialogs::CursorY() { return QCursor::pos().y(); }

}  // namespace platform
