#include "gui/preview_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/print_device.h"
#include "gui/print_painter.h"
#include "gui/print_settings_dialog.h"
#include "platform/gbk.h"
#include "report/layout.h"

namespace gui {

// The page as it prints, fitted into the window, with "第 %d 页" above it.
class PreviewPage : public QWidget {
 public:
  explicit PreviewPage(QWidget* parent) : QWidget(parent) {
    setMinimumSize(300, 400);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

  void Show(const report::Table* table, const report::Pagination* pagination,
            const report::Page* page, report::PageSize paper) {
    table_ = table;
    pagination_ = pagination;
    page_ = page;
    paper_ = paper;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    if (paper_.width <= 0 || paper_.height <= 0) return;
    constexpr int kGap = 12, kCaption = 24;
    const double scale = std::min((width() - 2.0 * kGap) / paper_.width,
                                  (height() - 2.0 * kGap - kCaption) / paper_.height);
    if (scale <= 0) return;
    const QSizeF sheet(paper_.width * scale, paper_.height * scale);
    const QPointF corner((width() - sheet.width()) / 2, kGap + kCaption);
    if (page_ != nullptr) {
      painter.setPen(Qt::white);
      painter.drawText(QRectF(corner.x(), kGap, sheet.width(), kCaption), Qt::AlignLeft,
                       QStringLiteral("第 %1 页").arg(page_->number));
    }
    painter.fillRect(QRectF(corner + QPointF(4, 4), sheet), QColor(64, 64, 64));
    painter.fillRect(QRectF(corner, sheet), Qt::white);
    if (page_ == nullptr) return;
    painter.save();
    painter.translate(corner);
    painter.setClipRect(QRectF(QPointF(0, 0), sheet));
    painter.setRenderHint(QPainter::Antialiasing);
    QtPagePainter page_painter(painter, scale);
    report::DrawPage(*table_, *pagination_, *page_, paper_, page_painter);
    painter.restore();
  }

 private:
  const report::Table* table_ = nullptr;
  const report::Pagination* pagination_ = nullptr;
  const report::Page* page_ = nullptr;
  report::PageSize paper_;
};

namespace {

// The room a toolbar button leaves either side of its caption, together.
constexpr int kButtonPadding = 24;

}  // namespace

PreviewWindow::PreviewWindow(report::Table& table, PrintAction print, SaveAction save,
                             SaveAction save_sheet, QWidget* parent)
    : QDialog(parent, Qt::Window),
      table_(table),
      print_(std::move(print)),
      save_(std::move(save)),
      save_sheet_(std::move(save_sheet)) {
  setWindowTitle(QStringLiteral("打印预览"));
  setAttribute(Qt::WA_DeleteOnClose);

  auto* layout = new QVBoxLayout(this);
  auto* tools = new QHBoxLayout;
  first_ = new QPushButton(QStringLiteral("首页"), this);
  previous_ = new QPushButton(QStringLiteral("上一页"), this);
  next_ = new QPushButton(QStringLiteral("下一页"), this);
  last_ = new QPushButton(QStringLiteral("末页"), this);
  auto* go_to = new QPushButton(QStringLiteral("页面跳转..."), this);
  auto* settings = new QPushButton(QStringLiteral("打印设置..."), this);
  auto* print_button = new QPushButton(QStringLiteral("打印..."), this);
  auto* save_button = new QPushButton(QStringLiteral("保存为PDF"), this);
  save_button->setObjectName(QStringLiteral("保存为PDF"));
  auto* sheet_button = new QPushButton(QStringLiteral("保存为Excel"), this);
  sheet_button->setObjectName(QStringLiteral("保存为Excel"));
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  for (QPushButton* b : {first_, previous_, next_, last_, go_to, settings, print_button,
                         save_button, sheet_button, close}) {
    b->setAutoDefault(false);
    // As wide as its caption needs: the style's least width for every
    // button would take the toolbar past a small screen's width.
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(b->text()) + kButtonPadding);
    tools->addWidget(b);
  }
  tools->addStretch();
  layout->addLayout(tools);
  page_ = new PreviewPage(this);
  layout->addWidget(page_, 1);
  status_ = new QLabel(this);
  layout->addWidget(status_);

  connect(first_, &QPushButton::clicked, this, [this] { ShowPage(0); });
  connect(previous_, &QPushButton::clicked, this, [this] { ShowPage(current_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowPage(current_ + 1); });
  connect(last_, &QPushButton::clicked, this, [this] { ShowPage(page_count() - 1); });
  connect(go_to, &QPushButton::clicked, this, &PreviewWindow::AskPageNumber);
  connect(settings, &QPushButton::clicked, this, &PreviewWindow::EditSettings);
  connect(print_button, &QPushButton::clicked, this, [this] {
    const report::Text failure = print_();
    if (!failure.empty())
      QMessageBox::information(this, QStringLiteral("信息："),
                               QString::fromStdString(platform::GbkToUtf8(failure, false)));
  });
  connect(save_button, &QPushButton::clicked, this, [this] {
    if (save_) save_();
  });
  connect(sheet_button, &QPushButton::clicked, this, [this] {
    if (save_sheet_) save_sheet_();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  Refresh();
  PlaceOnScreen();
}

void PreviewWindow::PlaceOnScreen() {
  QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  // A page is taller than wide: as tall as the screen allows, title bar
  // and frame included.
  constexpr int kTitleBar = 40, kBorder = 8;
  resize(std::min(std::max(720, minimumSizeHint().width()), room.width() - kBorder),
         std::min(900, room.height() - kTitleBar));
  // The window's own minimum may still be larger than asked for.
  const QSize frame = size() + QSize(kBorder, kTitleBar);
  const QPoint centre = owner != nullptr ? owner->frameGeometry().center() : room.center();
  QRect placed(QPoint(0, 0), frame);
  placed.moveCenter(centre);
  placed.moveLeft(std::max(room.left(), std::min(placed.left(), room.right() + 1 - frame.width())));
  placed.moveTop(std::max(room.top(), std::min(placed.top(), room.bottom() + 1 - frame.height())));
  move(placed.topLeft());
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::Refresh() {
  paper_ = PaperForPreview(table_.print);
  pagination_ =
      report::Paginate(table_, report::PrintableArea(paper_, table_.print), QtTextMeasure());
  ShowPage(current_);
}

void PreviewWindow::ShowPage(int index) {
  current_ = std::clamp(index, 0, std::max(page_count() - 1, 0));
  const report::Page* page =
      page_count() > 0 ? &pagination_.pages[static_cast<std::size_t>(current_)] : nullptr;
  page_->Show(&table_, &pagination_, page, paper_);
  UpdateControls();
}

bool PreviewWindow::GoToNumber(int number) {
  for (int i = 0; i < page_count(); ++i)
    if (pagination_.pages[static_cast<std::size_t>(i)].number >= number) {
      ShowPage(i);
      return true;
    }
  return false;
}

QString PreviewWindow::status() const {
  return QStringLiteral("%1 / %2").arg(page_count() > 0 ? current_ + 1 : 0).arg(page_count());
}

void PreviewWindow::UpdateControls() {
  status_->setText(status());
  first_->setEnabled(current_ > 0);
  previous_->setEnabled(current_ > 0);
  next_->setEnabled(current_ + 1 < page_count());
  last_->setEnabled(current_ + 1 < page_count());
}

void PreviewWindow::AskPageNumber() {
  if (page_count() == 0) return;
  const int first = pagination_.pages.front().number;
  const int last = pagination_.pages.back().number;
  bool ok = false;
  const int number = QInputDialog::getInt(
      this, QStringLiteral("页面跳转:"),
      QStringLiteral("请输入欲跳转到页号(%1-%2):").arg(first).arg(last),
      pagination_.pages[static_cast<std::size_t>(current_)].number, first, last, 1, &ok);
  if (ok) GoToNumber(number);
}

void PreviewWindow::EditSettings() {
  PrintSettingsDialog dialog(table_.print, this);
  if (dialog.exec() != QDialog::Accepted) return;
  table_.print = dialog.settings();
  Refresh();
}

void PreviewWindow::changeEvent(QEvent* event) {
  // The table may have changed while another window was active.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Refresh();
  QDialog::changeEvent(event);
}

}  // namespace gui
