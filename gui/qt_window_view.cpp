#include "gui/qt_window_view.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

#include "forms/form_runtime.h"
#include "forms/grown_layout.h"
#include "forms/keyboard.h"
#include "forms/units/choosers.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/report_units.h"
#include "forms/units/tab.h"
#include "gui/preview_grid_view.h"
#include "gui/qt_desktop.h"
#include "gui/qt_list_model.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/services.h"
#include "runtime/date_time.h"

namespace gui {
namespace {

// The top-level window: its close box asks the runtime; so does Esc when no
// unit has the focus (a unit's Esc reaches the view's event filter first).
class UnitWindow : public QMainWindow {
 public:
  UnitWindow(std::function<void()> on_close, std::function<void()> on_escape)
      : on_close_(std::move(on_close)), on_escape_(std::move(on_escape)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (isEnabled()) on_close_();
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && isEnabled()) return on_escape_();
    QMainWindow::keyPressEvent(event);
  }

 private:
  std::function<void()> on_close_;
  std::function<void()> on_escape_;
};

// A tab: the strip of page captions over a framed panel; the page units are
// children of this widget, placed from its top-left corner.
class TabWidget : public QWidget {
 public:
  TabWidget(const forms::Tab& tab, QWidget* parent) : QWidget(parent) {
    panel_ = new QFrame(this);
    panel_->setFrameShape(QFrame::StyledPanel);
    bar_ = new QTabBar(this);
    // The strip takes no focus, as the tab unit takes none: Tab goes from
    // box to box of the page.
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    for (const forms::Text& caption : tab.page_captions())
      bar_->addTab(platform::ToQString(caption));
  }
  QTabBar* bar() const { return bar_; }

 protected:
  void resizeEvent(QResizeEvent*) override {
    int strip = bar_->sizeHint().height();
    bar_->setGeometry(0, 0, width(), strip);
    panel_->setGeometry(0, strip - 1, width(), height() - strip + 1);
  }

 private:
  QTabBar* bar_;
  QFrame* panel_;
};

QColor ColourOf(std::int32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void ApplyColours(QWidget* widget, std::int32_t text, std::int32_t background) {
  QPalette palette = widget->palette();
  if (text != forms::kSystemColour) palette.setColor(QPalette::Text, ColourOf(text));
  if (background != forms::kSystemColour) palette.setColor(QPalette::Base, ColourOf(background));
  widget->setPalette(palette);
}

// The face the layout asks for, or a CJK face the system has.
QFont ListFont(const forms::ListViewSettings& settings) {
  QString face = platform::ToQString(settings.font_face);
  QStringList families = QFontDatabase::families();
  if (!families.contains(face)) {
    for (const char* candidate : {"SimSun", "NSimSun", "Noto Sans CJK SC", "Noto Serif CJK SC",
                                  "WenQuanYi Micro Hei", "Droid Sans Fallback"})
      if (families.contains(QString::fromUtf8(candidate))) {
        face = QString::fromUtf8(candidate);
        break;
      }
  }
  QFont font(face);
  font.setPixelSize(settings.font_height > 0 ? settings.font_height : 14);
  return font;
}

QDate DateOfDays(double days) {
  runtime::CivilTime time = runtime::BreakDown(days);
  return QDate(time.year, time.month, time.day);
}

// Frame and title bar the desktop draws around a window's client area.
constexpr int kFrameWidth = 8;
constexpr int kTitleHeight = 31;
constexpr int kMenuBarHeight = 20;

}  // namespace

QtWindowView::QtWindowView(forms::Window& window, QtDesktop& desktop)
    : window_(window), desktop_(desktop) {
  forms::FormRuntime* runtime = &window.runtime();
  std::uint64_t instance = window.instance();
  main_ = new UnitWindow(
      [runtime, instance] {
        if (forms::Window* open = runtime->FindInstance(instance)) runtime->UserClose(*open);
      },
      [runtime, instance] {
        if (forms::Window* open = runtime->FindInstance(instance))
          forms::PressKey(*runtime, open->own_unit(), forms::Key::kEscape);
      });
  main_->setAttribute(Qt::WA_DeleteOnClose, false);
  client_ = new QWidget(main_);
  main_->setCentralWidget(client_);

  // Units in table order; containers come before what they hold.
  std::map<std::uint32_t, QWidget*> containers;
  for (const auto& unit : window.units()) {
    if (unit->type() == forms::unit_type::kWindow) continue;
    QWidget* parent = client_;
    if (unit->container() != nullptr) {
      auto it = containers.find(unit->container()->id());
      if (it != containers.end()) parent = it->second;
    }
    if (QWidget* widget = CreateWidget(*unit, parent)) {
      widgets_[unit.get()] = widget;
      units_[widget] = unit.get();
      containers[unit->id()] = widget;
    }
  }
  for (auto& [unit, widget] : widgets_) {
    forms::Unit& model = *const_cast<forms::Unit*>(unit);
    Place(model);
    for (auto what : {forms::Change::kText, forms::Change::kEnabled, forms::Change::kVisibility,
                      forms::Change::kPage, forms::Change::kDate, forms::Change::kSelection})
      Refresh(model, what);
  }
  // Later siblings lie over earlier ones, as the desktop stacks them; a tab's
  // panel stays under its pages.
  for (const auto& unit : window.units())
    if (QWidget* widget = WidgetOf(*unit)) widget->raise();
  // Tab visits the units in the window's tab order (Qt skips the hidden and
  // disabled ones, as the model does).
  QWidget* previous = nullptr;
  for (forms::Unit* unit : forms::TabOrder(window)) {
    QWidget* widget = WidgetOf(*unit);
    if (widget == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }

  int right = 0, bottom = 0;
  for (const auto& unit : window.units())
    if (unit->container() == nullptr && unit->type() != forms::unit_type::kWindow) {
      right = std::max(right, unit->rect().left + unit->rect().width);
      bottom = std::max(bottom, unit->rect().top + unit->rect().height);
    }
  MenuChanged();
  forms::Rect rect = window.own_unit().rect();
  bool has_menu = main_->menuBar()->isVisibleTo(main_);
  int width = std::max(right, rect.width - kFrameWidth);
  int height = std::max(bottom, rect.height - kTitleHeight - (has_menu ? kMenuBarHeight : 0));
  if (window.id() == window.runtime().start_window_id()) {
    // The main window's status line, below its units.
    main_->setProperty(platform::kStatusLineProperty, true);
    main_->statusBar();
  }
  can_grow_ = forms::CanGrow(window);
  design_width_ = width;
  design_height_ = height;
  if (can_grow_) {
    // Never smaller than designed; larger, the lists and grids take the room.
    client_->setMinimumSize(width, height);
    main_->resize(main_->minimumSizeHint());
    client_->installEventFilter(this);
  } else {
    client_->setFixedSize(width, height);
  }
  main_->move(rect.left, rect.top);
  auto keeping = desktop_.placements_.find(window.id());
  if (can_grow_ && keeping != desktop_.placements_.end() && keeping->second.load)
    if (std::optional<forms::WindowPlacement> placed = keeping->second.load())
      RestorePlacement(*placed);
  opened_at_ = Placement();
  Refresh(window.own_unit(), forms::Change::kText);
  Refresh(window.own_unit(), forms::Change::kEnabled);
  desktop_.views_[window.instance()] = this;
}

QtWindowView::~QtWindowView() {
  desktop_.views_.erase(window_.instance());
  auto keeping = desktop_.placements_.find(window_.id());
  if (can_grow_ && main_ != nullptr && keeping != desktop_.placements_.end() &&
      keeping->second.save) {
    const forms::WindowPlacement now = Placement();
    if (!opened_at_ || !(now == *opened_at_)) keeping->second.save(now);
  }
  for (auto& [unit, model] : lists_) model->Detach();
  for (auto& [object, unit] : units_) {
    object->removeEventFilter(this);
    QObject::disconnect(object, nullptr, this, nullptr);
  }
  if (main_ != nullptr) {
    main_->hide();
    // The widget may be the sender of the signal that closed the window.
    main_->deleteLater();
  }
}

QWidget* QtWindowView::CreateWidget(forms::Unit& unit, QWidget* parent) {
  QWidget* widget = nullptr;
  if (auto* button = dynamic_cast<forms::Button*>(&unit)) {
    auto* push = new QPushButton(parent);
    connect(push, &QPushButton::clicked, this, [button] { button->Click(); });
    widget = push;
  } else if (dynamic_cast<forms::GroupBox*>(&unit) != nullptr) {
    widget = new QGroupBox(parent);
  } else if (auto* label = dynamic_cast<forms::Label*>(&unit)) {
    auto* text = new QLabel(parent);
    text->setWordWrap(true);
    text->setAlignment(label->settings().alignment == 1   ? Qt::AlignHCenter | Qt::AlignTop
                       : label->settings().alignment == 2 ? Qt::AlignRight | Qt::AlignTop
                                                          : Qt::AlignLeft | Qt::AlignTop);
    widget = text;
  } else if (auto* box = dynamic_cast<forms::EditBox*>(&unit)) {
    if (box->multi_line()) {
      auto* edit = new QPlainTextEdit(parent);
      edit->setVerticalScrollBarPolicy(box->settings().scroll_bars == 2 ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAsNeeded);
      edit->setReadOnly(box->read_only());
      // Tab moves on to the next box; a tab character would go onto the
      // printed receipt.
      edit->setTabChangesFocus(true);
      connect(edit, &QPlainTextEdit::textChanged, this, [this, box, edit] {
        if (!mirroring_) TypeInto(*box, edit->toPlainText());
      });
      widget = edit;
    } else {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(box->read_only());
      connect(edit, &QLineEdit::textEdited, this,
              [this, box](const QString& text) { TypeInto(*box, text); });
      widget = edit;
    }
    ApplyColours(widget, box->settings().text_colour, box->settings().background);
  } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&unit)) {
    auto* choice = new QComboBox(parent);
    for (const forms::Text& item : combo->items()) choice->addItem(platform::ToQString(item));
    connect(choice, &QComboBox::activated, this, [this, combo](int index) {
      if (!mirroring_) combo->Pick(index);
    });
    widget = choice;
  } else if (auto* picker = dynamic_cast<forms::DatePicker*>(&unit)) {
    auto* date = new QDateEdit(parent);
    date->setCalendarPopup(true);
    // The calendar speaks Chinese whatever the system's language is.
    date->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    date->calendarWidget()->setLocale(date->locale());
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    connect(date, &QDateEdit::dateChanged, this, [this, picker](const QDate& day) {
      if (mirroring_) return;
      picker->Pick(runtime::MakeDateTime({day.year(), day.month(), day.day(), 0, 0, 0}));
    });
    widget = date;
  } else if (auto* tab = dynamic_cast<forms::Tab*>(&unit)) {
    auto* strip = new TabWidget(*tab, parent);
    QTabBar* bar = strip->bar();
    tab_bars_[&unit] = bar;
    connect(bar, &QTabBar::tabBarClicked, this, [this, tab](int index) {
      if (mirroring_ || index < 0) return;
      if (index == tab->current_page())
        tab->Click();
      else
        tab->ChoosePage(index);
    });
    // The strip changes its page by itself on a click; the model decides.
    connect(bar, &QTabBar::currentChanged, this, [this, tab, bar](int index) {
      if (mirroring_ || index == tab->current_page()) return;
      mirroring_ = true;
      bar->setCurrentIndex(tab->current_page());
      mirroring_ = false;
    });
    widget = strip;
  } else if (auto* list = dynamic_cast<forms::ListView*>(&unit)) {
    auto* table = new QTableView(parent);
    auto* model = new ListModel(*list, table);
    lists_[&unit] = model;
    table->setModel(model);
    table->setFont(ListFont(list->settings()));
    table->setShowGrid((list->settings().style & forms::ListViewSettings::kGridLines) != 0);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list instead of walking its cells.
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->verticalHeader()->hide();
    // Fixed row heights and column widths: the view never measures rows.
    int row_height = QFontMetrics(table->font()).height() + 4;
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(row_height);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setHighlightSections(false);
    // A click on a header sorts the unit's rows; the header only shows how.
    table->horizontalHeader()->setSectionsClickable(true);
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, list](int column) {
              if (!mirroring_) list->SortBy(column);
            });
    for (int column = 0; column < list->column_count(); ++column)
      table->setColumnWidth(column,
                            list->settings().columns[static_cast<std::size_t>(column)].width);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QTableView::customContextMenuRequested, this, [list, table](const QPoint& at) {
      std::weak_ptr<const bool> alive = list->alive();
      int row = table->indexAt(at).row();
      if (row >= 0) list->Select(row);
      if (!alive.expired()) list->RightClick();
    });
    connect(table, &QTableView::doubleClicked, this, [list](const QModelIndex& index) {
      if (!index.isValid()) return;
      std::weak_ptr<const bool> alive = list->alive();
      list->Select(index.row());
      if (!alive.expired()) list->DoubleClick();
    });
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, list](const QModelIndex& current) {
              if (!mirroring_) list->Select(current.isValid() ? current.row() : -1);
            });
    widget = table;
  } else if (auto* grid = dynamic_cast<forms::Grid*>(&unit)) {
    auto* view = new GridView(parent);
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, Qt::white);
    view->setPalette(palette);
    view->SetTable(grid->table());
    widget = view;
  }
  if (widget != nullptr) {
    widget->setFocusPolicy(unit.takes_focus() ? Qt::StrongFocus : Qt::NoFocus);
    widget->installEventFilter(this);
  }
  return widget;
}

QWidget* QtWindowView::WidgetOf(const forms::Unit& unit) const {
  auto it = widgets_.find(&unit);
  return it == widgets_.end() ? nullptr : it->second;
}

QTabBar* QtWindowView::TabBarOf(const forms::Unit& unit) const {
  auto it = tab_bars_.find(&unit);
  return it == tab_bars_.end() ? nullptr : it->second;
}

forms::Unit* QtWindowView::UnitOf(QObject* widget) const {
  auto it = units_.find(widget);
  return it == units_.end() ? nullptr : it->second;
}

void QtWindowView::Place(forms::Unit& unit) {
  QWidget* widget = WidgetOf(unit);
  if (widget == nullptr) return;
  forms::Rect rect = RectOf(unit);
  // Qt's fonts run a little wider than the desktop's: a caption that would
  // be cut grows its label to the right or downwards instead.
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    bool one_line = !label->text().contains(QLatin1Char('\n'));
    label->setWordWrap(!one_line);
    if (one_line)
      rect.width = std::max(rect.width, label->fontMetrics().horizontalAdvance(label->text()) + 2);
    else
      rect.height = std::max(rect.height, label->heightForWidth(rect.width));
  }
  widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
}

forms::Rect QtWindowView::RectOf(const forms::Unit& unit) const {
  auto it = grown_.find(&unit);
  return it == grown_.end() ? unit.rect() : it->second;
}

void QtWindowView::Regrow() {
  if (!can_grow_) return;
  const int extra_width = std::max(0, client_->width() - design_width_);
  const int extra_height = std::max(0, client_->height() - design_height_);
  grown_ = forms::GrownRects(window_, extra_width, extra_height);
  for (auto& [unit, widget] : widgets_) Place(*const_cast<forms::Unit*>(unit));
}

void QtWindowView::ShowSortOrder(const forms::Unit& unit) {
  const auto* list = dynamic_cast<const forms::ListView*>(&unit);
  auto* table = qobject_cast<QTableView*>(WidgetOf(unit));
  if (list == nullptr || table == nullptr) return;
  QHeaderView* header = table->horizontalHeader();
  header->setSortIndicatorShown(list->sort_column() >= 0);
  if (list->sort_column() >= 0)
    header->setSortIndicator(list->sort_column(),
                             list->sort_descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

forms::WindowPlacement QtWindowView::Placement() const {
  forms::WindowPlacement placement;
  if (main_ == nullptr) return placement;
  const bool maximised = main_->isMaximized() || open_maximised_;
  const QRect rect = main_->isMaximized() ? main_->normalGeometry() : main_->geometry();
  placement = {rect.left(), rect.top(), rect.width(), rect.height(), maximised};
  return placement;
}

void QtWindowView::RestorePlacement(const forms::WindowPlacement& placement) {
  const QSize least = main_->minimumSizeHint().expandedTo(main_->minimumSize());
  QRect rect(placement.left, placement.top, std::max(placement.width, least.width()),
             std::max(placement.height, least.height()));
  // A place on a screen that is no longer there keeps the designed place.
  if (QGuiApplication::screenAt(rect.topLeft() + QPoint(8, 8)) == nullptr)
    rect.moveTopLeft(main_->geometry().topLeft());
  main_->setGeometry(rect);
  open_maximised_ = placement.maximised;
}

void QtWindowView::UnitChanged(forms::Unit& unit, forms::Change what, int row) {
  if (what == forms::Change::kRows || what == forms::Change::kRow) {
    auto it = lists_.find(&unit);
    if (it == lists_.end()) return;
    if (what == forms::Change::kRows) {
      it->second->RowsChanged();
      ShowSortOrder(unit);
    } else {
      it->second->RowChanged(row);
    }
    return;
  }
  if (what == forms::Change::kGeometry) {
    if (can_grow_) return Regrow();
    return Place(unit);
  }
  Refresh(unit, what);
}

void QtWindowView::Refresh(forms::Unit& unit, forms::Change what) {
  mirroring_ = true;
  if (unit.type() == forms::unit_type::kWindow && main_ != nullptr) {
    if (what == forms::Change::kText) main_->setWindowTitle(platform::ToQString(window_.caption()));
    if (what == forms::Change::kEnabled) main_->setEnabled(window_.enabled());
    mirroring_ = false;
    return;
  }
  QWidget* widget = WidgetOf(unit);
  if (widget == nullptr) {
    mirroring_ = false;
    return;
  }
  switch (what) {
    case forms::Change::kVisibility:
      widget->setVisible(unit.visible_flag() && unit.page_shown());
      break;
    case forms::Change::kEnabled:
      widget->setEnabled(!unit.disabled_flag());
      break;
    case forms::Change::kText:
      if (auto* box = dynamic_cast<forms::EditBox*>(&unit)) {
        QString text = platform::ToQString(box->content());
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
          if (line->text() != text) {
            int cursor = line->cursorPosition();
            line->setText(text);
            line->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
          }
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
          if (plain->toPlainText() != text) {
            // A text cut to the box's length keeps the cursor where the
            // typing goes on, as in a single-line box.
            int cursor = plain->textCursor().position();
            plain->setPlainText(text);
            QTextCursor moved = plain->textCursor();
            moved.setPosition(
                std::min(cursor, static_cast<int>(plain->document()->characterCount()) - 1));
            plain->setTextCursor(moved);
          }
        }
      } else if (auto* captioned = dynamic_cast<forms::CaptionedUnit*>(&unit)) {
        QString caption = platform::ToQString(captioned->caption());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
          label->setText(caption);
          Place(unit);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
          // A caption too wide for its button is shown on two lines.
          if (!caption.contains(QLatin1Char('\n')) && caption.size() > 1 &&
              button->fontMetrics().horizontalAdvance(caption) > unit.rect().width - 6)
            caption.insert((caption.size() + 1) / 2, QLatin1Char('\n'));
          button->setText(caption);
        }
        if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(caption);
      } else if (auto* grid = dynamic_cast<forms::Grid*>(&unit)) {
        // The table it shows has changed.
        if (auto* view = qobject_cast<GridView*>(widget)) view->SetTable(grid->table());
      } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&unit)) {
        auto* choice = qobject_cast<QComboBox*>(widget);
        int index = combo->selected();
        if (index >= 0) {
          choice->setCurrentIndex(index);
        } else {
          choice->setCurrentIndex(-1);
          choice->setPlaceholderText(platform::ToQString(combo->text()));
        }
      }
      break;
    case forms::Change::kPage:
      if (auto* tab = dynamic_cast<forms::Tab*>(&unit))
        if (QTabBar* bar = TabBarOf(unit)) bar->setCurrentIndex(tab->current_page());
      break;
    case forms::Change::kDate:
      if (auto* picker = dynamic_cast<forms::DatePicker*>(&unit))
        qobject_cast<QDateEdit*>(widget)->setDate(DateOfDays(picker->date()));
      break;
    case forms::Change::kSelection:
      if (auto* list = dynamic_cast<forms::ListView*>(&unit)) {
        auto* table = qobject_cast<QTableView*>(widget);
        auto it = lists_.find(&unit);
        // Rows the view does not know yet are selected once it has them.
        if (it != lists_.end()) it->second->Flush();
        if (list->selected_row() < 0)
          table->clearSelection();
        else
          table->selectRow(list->selected_row());
      }
      break;
    default:
      break;
  }
  mirroring_ = false;
}

void QtWindowView::MenuChanged() {
  if (main_ == nullptr) return;
  QMenuBar* bar = main_->menuBar();
  bar->clear();
  QMenu* menu = nullptr;
  bool any = false;
  forms::FormRuntime* runtime = &window_.runtime();
  std::uint64_t instance = window_.instance();
  for (const forms::MenuItemState& item : window_.menu()) {
    bool hidden = (item.flags & forms::menu_flag::kHidden) != 0;
    if (item.level == 0) {
      menu = hidden ? nullptr : bar->addMenu(platform::ToQString(item.caption));
      any = any || menu != nullptr;
      continue;
    }
    if (menu == nullptr || hidden) continue;
    QAction* action = menu->addAction(platform::ToQString(item.caption));
    action->setEnabled((item.flags & forms::menu_flag::kDisabled) == 0);
    action->setCheckable((item.flags & forms::menu_flag::kChecked) != 0);
    action->setChecked((item.flags & forms::menu_flag::kChecked) != 0);
    std::uint32_t id = item.id;
    connect(action, &QAction::triggered, this, [runtime, instance, id] {
      if (forms::Window* open = runtime->FindInstance(instance)) runtime->ChooseMenuItem(*open, id);
    });
  }
  bar->setVisible(any);
}

void QtWindowView::FocusChanged(forms::Unit* unit) {
  if (unit == nullptr) return;
  if (QWidget* widget = WidgetOf(*unit)) widget->setFocus(Qt::OtherFocusReason);
}

void QtWindowView::Show() {
  if (main_ == nullptr) return;
  if (open_maximised_)
    main_->showMaximized();
  else
    main_->show();
  open_maximised_ = false;
}

void QtWindowView::Activate() {
  if (main_ == nullptr) return;
  if (main_->isMinimized()) main_->showNormal();
  main_->raise();
  main_->activateWindow();
}

void QtWindowView::TypeInto(forms::EditBox& box, const QString& text) {
  bool dropped = false;
  box.Type(platform::FromQStringTyped(text, &dropped));
  // The box shows what it kept; the status line says why the rest went.
  if (dropped) platform::Current().dialogs->ShowStatus(platform::LeftOutCharactersNote());
}

bool QtWindowView::KeyPressed(forms::Unit& unit, const QKeyEvent& key) {
  forms::FormRuntime& runtime = window_.runtime();
  bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
  if (enter && forms::EnterButton(unit) != nullptr) {
    forms::PressKey(runtime, unit, forms::Key::kEnter);
    return true;
  }
  if (key.key() == Qt::Key_Escape && window_.own_unit().settings().escape_closes != 0) {
    forms::PressKey(runtime, unit, forms::Key::kEscape);
    return true;
  }
  return false;
}

bool QtWindowView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    Regrow();
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    forms::Unit* unit = UnitOf(watched);
    return unit != nullptr && KeyPressed(*unit, *static_cast<QKeyEvent*>(event));
  }
  if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) return false;
  forms::Unit* unit = UnitOf(watched);
  if (unit == nullptr) return false;
  forms::FormRuntime& runtime = window_.runtime();
  auto reason = static_cast<QFocusEvent*>(event)->reason();
  if (event->type() == QEvent::FocusIn) {
    if (runtime.focus() != unit) runtime.UserFocus(unit);
  } else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
    if (runtime.focus() == unit) runtime.UserFocus(nullptr);
  }
  return false;
}

}  // namespace gui
