#include "gui/preview_grid_view.h"

#include <QPainter>
#include <QScrollBar>

#include "gui/print_painter.h"
#include "report/layout.h"

namespace gui {

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setBackgroundRole(QPalette::Base);
}

void GridView::SetTable(const report::Table* table) {
  // Another table, or one that lost rows (a new order's empty receipt),
  // is shown from its top.
  const std::size_t rows = table == nullptr ? 0 : table->row_heights.size();
  if (table != table_ || rows < shown_rows_) verticalScrollBar()->setValue(0);
  table_ = table;
  shown_rows_ = rows;
  UpdateScrollBars();
  viewport()->update();
}

double GridView::PixelsPerTenth() const { return logicalDpiX() / 254.0 * zoom_; }

int GridView::DrawWidth() const {
  // The receipt's columns share the grid's width, so that every amount shows whole.
  // (The room the zoom is found for: inside the frame, less a scroll bar.)
  const int room = contentsRect().width() - verticalScrollBar()->sizeHint().width() - 2;
  return static_cast<int>(room / PixelsPerTenth());
}

QSize GridView::TableSize() const {
  if (table_ == nullptr) return {0, 0};
  const report::PageSize extent =
      report::TableExtent(*table_, QtTextMeasure(PixelsPerTenth()), DrawWidth());
  return {static_cast<int>(extent.width * PixelsPerTenth()) + 2,
          static_cast<int>(extent.height * PixelsPerTenth()) + 2};
}

double GridView::RowsHeight(int row) const {
  return table_ == nullptr ? 0 : report::RowsHeight(*table_, row);
}

int GridView::TopRow() const { return verticalScrollBar()->value(); }

QSize GridView::sizeHint() const {
  // The table as printed.
  QSize table;
  if (table_ != nullptr) {
    const report::PageSize extent = report::TableExtent(*table_);
    table = {static_cast<int>(extent.width * logicalDpiX() / 254.0) + 2,
             static_cast<int>(extent.height * logicalDpiX() / 254.0) + 2};
  }
  return table.isEmpty() ? QSize(200, 100) : table + QSize(2 * frameWidth(), 2 * frameWidth());
}

void GridView::UpdateScrollBars() {
  // The room inside the frame, less a vertical scroll bar that may be needed.
  const QSize inside = contentsRect().size() - QSize(verticalScrollBar()->sizeHint().width(), 0);
  zoom_ = 1;
  if (table_ != nullptr) {
    const QSize full = TableSize();
    double fit = 1;
    if (full.width() > inside.width())
      fit = std::min(fit, static_cast<double>(inside.width()) / full.width());
    if (full.height() > inside.height())
      fit = std::min(fit, static_cast<double>(inside.height()) / full.height());
    zoom_ = std::max(kLeastZoom, fit);
  }
  const QSize table = TableSize();
  const QSize room = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, table.width() - room.width()));
  horizontalScrollBar()->setPageStep(room.width());
  // Down by whole rows: the scroll bar counts rows; its end shows the last
  // row at the bottom.
  const int rows = table_ == nullptr ? 0 : static_cast<int>(table_->row_heights.size());
  const double room_tenths = room.height() / PixelsPerTenth();
  const double total = RowsHeight(rows);
  int last_top = 0;
  while (last_top < rows && total - RowsHeight(last_top) > room_tenths) ++last_top;
  verticalScrollBar()->setRange(0, last_top);
  verticalScrollBar()->setSingleStep(1);
  int fitting = 0;
  while (fitting < rows && RowsHeight(fitting + 1) <= room_tenths) ++fitting;
  verticalScrollBar()->setPageStep(std::max(1, fitting));
}

void GridView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void GridView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  if (table_ == nullptr) return;
  const double scale = PixelsPerTenth();
  painter.translate(-horizontalScrollBar()->value(), -RowsHeight(TopRow()) * scale);
  // Guide lines along every row and column, under the table's own lines.
  painter.setPen(QColor(225, 225, 225));
  QtPagePainter page_painter(painter, scale);
  const report::Geometry geometry = report::LayOut(*table_, 100, DrawWidth(), page_painter);
  const report::PageSize extent = report::TableExtent(*table_, page_painter, DrawWidth());
  double x = 0;
  for (std::int64_t w : geometry.column_widths) {
    x += static_cast<double>(w) * scale;
    painter.drawLine(QPointF(x, 0), QPointF(x, extent.height * scale));
  }
  double y = 0;
  for (std::int64_t h : geometry.row_heights) {
    y += static_cast<double>(h) * scale;
    painter.drawLine(QPointF(0, y), QPointF(extent.width * scale, y));
  }
  painter.setRenderHint(QPainter::Antialiasing);
  report::DrawTable(*table_, page_painter, DrawWidth());
}

}  // namespace gui
