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
  table_ = table;
  UpdateScrollBars();
  viewport()->update();
}

double GridView::PixelsPerTenth() const { return logicalDpiX() / 254.0; }

int GridView::DrawWidth() const {
  // The receipt's columns share the grid's width, so that every amount shows whole.
  return static_cast<int>((viewport()->width() - 2) / PixelsPerTenth());
}

QSize GridView::TableSize() const {
  if (table_ == nullptr) return {0, 0};
  const report::PageSize extent =
      report::TableExtent(*table_, QtTextMeasure(PixelsPerTenth()), DrawWidth());
  return {static_cast<int>(extent.width * PixelsPerTenth()) + 2,
          static_cast<int>(extent.height * PixelsPerTenth()) + 2};
}

QSize GridView::sizeHint() const {
  const QSize table = TableSize();
  return table.isEmpty() ? QSize(200, 100) : table + QSize(2 * frameWidth(), 2 * frameWidth());
}

void GridView::UpdateScrollBars() {
  const QSize table = TableSize();
  const QSize room = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, table.width() - room.width()));
  horizontalScrollBar()->setPageStep(room.width());
  verticalScrollBar()->setRange(0, std::max(0, table.height() - room.height()));
  verticalScrollBar()->setPageStep(room.height());
}

void GridView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void GridView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  if (table_ == nullptr) return;
  painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
  const double scale = PixelsPerTenth();
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
