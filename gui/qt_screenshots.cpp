#include "gui/qt_screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "forms/units/tab.h"
#include "platform/gbk.h"

namespace gui {
namespace {

bool Save(QWidget* widget, const QString& path) {
  QCoreApplication::processEvents();
  return widget != nullptr && widget->grab().save(path, "PNG");
}

}  // namespace

std::vector<std::string> SaveScreenshots(forms::FormRuntime& forms, QtDesktop& desktop,
                                         const std::string& folder, std::string& error) {
  std::vector<std::string> written;
  QDir dir(QString::fromStdString(folder));
  if (!dir.mkpath(QStringLiteral("."))) {
    error = "cannot create " + folder;
    return {};
  }
  int number = 0;
  for (std::size_t index = 0; index < forms.tmpl().windows.size(); ++index) {
    std::uint32_t id = forms.tmpl().windows[index].id;
    bool was_open = forms.FindWindow(id) != nullptr;
    if (!forms.LoadWindow(id, 0, false)) continue;
    forms::Window* window = forms.FindWindow(id);
    if (window == nullptr) continue;
    QWidget* widget = desktop.WidgetOf(*window);
    if (widget != nullptr) widget->show();
    std::string name = index == 0 ? "main" : "window" + std::to_string(index);
    auto save = [&](const std::string& part) {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "%02d", ++number);
      std::string file = std::string(prefix) + "-" + name + part + ".png";
      if (!Save(widget, dir.filePath(QString::fromStdString(file)))) {
        error = "cannot write " + file;
        return false;
      }
      written.push_back(dir.filePath(QString::fromStdString(file)).toStdString());
      return true;
    };
    forms::Tab* tab = nullptr;
    for (const auto& unit : window->units())
      if ((tab = dynamic_cast<forms::Tab*>(unit.get())) != nullptr) break;
    if (tab == nullptr) {
      if (!save("")) return {};
    } else {
      int first = tab->current_page();
      for (int page = 0; page < tab->page_count(); ++page) {
        tab->SelectPage(page);
        if (!save("-page" + std::to_string(page + 1))) return {};
      }
      tab->SelectPage(first);
    }
    if (!was_open && forms.FindWindow(id) != nullptr) forms.CloseWindow(id, true);
  }
  return written;
}

}  // namespace gui
