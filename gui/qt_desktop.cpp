#include "gui/qt_desktop.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>

#include "gui/qt_window_view.h"
#include "platform/qt/qt_text.h"

namespace gui {

QtDesktop::~QtDesktop() = default;

std::unique_ptr<forms::WindowView> QtDesktop::CreateView(forms::Window& window) {
  return std::make_unique<QtWindowView>(window, *this);
}

void QtDesktop::ShowPopupMenu(forms::Window& window, const std::vector<forms::PopupItem>& items,
                              int x, int y) {
  QMenu menu;
  for (const forms::PopupItem& item : items) {
    QAction* action = menu.addAction(platform::ToQString(item.caption));
    action->setEnabled(!item.disabled);
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
    action->setData(static_cast<qulonglong>(item.id));
  }
  forms::FormRuntime* runtime = runtime_ != nullptr ? runtime_ : &window.runtime();
  std::uint64_t instance = window.instance();
  QAction* chosen = menu.exec(QPoint(x, y));
  if (chosen == nullptr) return;
  auto id = static_cast<std::uint32_t>(chosen->data().toULongLong());
  // The window hears of the choice once the running handler has returned.
  Post([runtime, instance, id] {
    if (forms::Window* open = runtime->FindInstance(instance)) runtime->ChooseMenuItem(*open, id);
  });
}

void QtDesktop::Post(std::function<void()> task) {
  QTimer::singleShot(0, QCoreApplication::instance(), std::move(task));
}

void QtDesktop::RunLoop(const std::function<bool()>& done) {
  while (!done()) {
    QEventLoop loop;
    loops_.push_back({&loop, &done});
    loop.exec();
    loops_.pop_back();
  }
}

void QtDesktop::Wake() {
  for (const Loop& loop : loops_)
    if ((*loop.done)()) loop.loop->quit();
}

QWidget* QtDesktop::WidgetOf(const forms::Window& window) const {
  auto it = views_.find(window.instance());
  return it == views_.end() ? nullptr : it->second->widget();
}

}  // namespace gui
