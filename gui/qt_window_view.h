// One loaded window shown with Qt widgets: every unit at its pixel position
// and size in its container, the menu bar (pop-up menus left out), and the
// user's input turned into the units' user actions.
#pragma once

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <map>
#include <optional>

#include "forms/view.h"
#include "forms/window.h"

class QTabBar;
class QTableView;

namespace gui {

class ListModel;
class QtDesktop;

class QtWindowView : public QObject, public forms::WindowView {
  Q_OBJECT

 public:
  QtWindowView(forms::Window& window, QtDesktop& desktop);
  ~QtWindowView() override;

  void UnitChanged(forms::Unit& unit, forms::Change what, int row) override;
  void MenuChanged() override;
  void FocusChanged(forms::Unit* unit) override;
  void Show() override;
  void Activate() override;

  QMainWindow* widget() const { return main_; }
  // The widget of a unit, or null (data sources and providers have none).
  QWidget* WidgetOf(const forms::Unit& unit) const;
  QTabBar* TabBarOf(const forms::Unit& unit) const;
  // Where the window lies now (its size when not maximised).
  forms::WindowPlacement Placement() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateWidget(forms::Unit& unit, QWidget* parent);
  void Refresh(forms::Unit& unit, forms::Change what);
  void Place(forms::Unit& unit);
  // The unit's rectangle in the window as it is now sized.
  forms::Rect RectOf(const forms::Unit& unit) const;
  // Lays the units out again for the client area's size.
  void Regrow();
  void ShowSortOrder(const forms::Unit& unit);
  void RestorePlacement(const forms::WindowPlacement& placement);
  forms::Unit* UnitOf(QObject* widget) const;

  forms::Window& window_;
  QtDesktop& desktop_;
  QPointer<QMainWindow> main_;
  QWidget* client_ = nullptr;
  std::map<const forms::Unit*, QWidget*> widgets_;
  std::map<QObject*, forms::Unit*> units_;
  std::map<const forms::Unit*, ListModel*> lists_;
  std::map<const forms::Unit*, QTabBar*> tab_bars_;
  // A window holding lists or grids can be made larger than designed; they
  // then take the extra room (forms/grown_layout.h).
  bool can_grow_ = false;
  int design_width_ = 0, design_height_ = 0;
  std::map<const forms::Unit*, forms::Rect> grown_;
  // The placement the window opened with, and whether it opens maximised.
  std::optional<forms::WindowPlacement> opened_at_;
  bool open_maximised_ = false;
  // Set while the view copies the model into a widget, so that the widget's
  // change signals are not taken for the user's input.
  bool mirroring_ = false;
};

}  // namespace gui
