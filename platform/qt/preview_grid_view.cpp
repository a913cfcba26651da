#include "platform/qt/preview_grid_view.h"

#include <QPainter>

#include "platform/qt/print_painter.h"
#include "report/layout.h"

namespace platform {

GridView::GridView(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void GridView::SetTable(const report::Table* table) {
  table_ = table;
  updateGeometry();
  update();
}

double GridView::PixelsPerTenth() const { return logicalDpiX() / 254.0; }

QSize GridView::sizeHint() const {
  if (table_ == nullptr) return {200, 100};
  const report::PageSize extent = report::TableExtent(*table_);
  return {static_cast<int>(extent.width * PixelsPerTenth()) + 2,
          static_cast<int>(extent.height * PixelsPerTenth()) + 2};
}

void GridView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (table_ == nullptr) return;
  const double scale = PixelsPerTenth();
  // Guide lines along every row and column, under the table's own lines.
  painter.setPen(QColor(225, 225, 225));
  const report::PageSize extent = report::TableExtent(*table_);
  double x = 0;
  for (std::int32_t w : table_->column_widths) {
    x += std::max(w, 0) * scale;
    painter.drawLine(QPointF(x, 0), QPointF(x, extent.height * scale));
  }
  double y = 0;
  for (std::int32_t h : table_->row_heights) {
    y += std::max(h, 0) * scale;
    painter.drawLine(QPointF(0, y), QPointF(extent.width * scale, y));
  }
  painter.setRenderHint(QPainter::Antialiasing);
  QtPagePainter page_painter(painter, scale);
  report::DrawTable(*table_, page_painter);
}

}  // namespace platform
