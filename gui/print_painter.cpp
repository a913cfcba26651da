#include "gui/print_painter.h"

#include <cmath>

#include "platform/gbk.h"

namespace gui {
namespace {

QColor ColourOf(std::uint32_t rgb) {
  return QColor(static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                static_cast<int>(rgb & 0xFF));
}

Qt::Alignment AlignmentOf(const report::TextFormat& format) {
  Qt::Alignment align;
  switch (format.horizontal) {
    case report::Align::kStart:
      align |= Qt::AlignLeft;
      break;
    case report::Align::kCentre:
      align |= Qt::AlignHCenter;
      break;
    case report::Align::kEnd:
      align |= Qt::AlignRight;
      break;
  }
  switch (format.vertical) {
    case report::Align::kStart:
      align |= Qt::AlignTop;
      break;
    case report::Align::kCentre:
      align |= Qt::AlignVCenter;
      break;
    case report::Align::kEnd:
      align |= Qt::AlignBottom;
      break;
  }
  return align;
}

}  // namespace

QStringList FontFamiliesFor(std::string_view gbk_face) {
  const QString face = QString::fromStdString(platform::GbkToUtf8(gbk_face, false));
  QStringList families;
  if (!face.isEmpty()) families << face;
  // Faces the receipts name, with the names they go by elsewhere and the
  // nearest faces a desktop without them has.
  if (face == QStringLiteral("黑体"))
    families << "SimHei"
             << "Noto Sans CJK SC"
             << "WenQuanYi Zen Hei";
  if (face.isEmpty() || face == QStringLiteral("宋体"))
    families << "SimSun"
             << "Noto Serif CJK SC"
             << "Noto Sans CJK SC"
             << "AR PL UMing CN";
  if (face == QStringLiteral("楷体"))
    families << "KaiTi"
             << "AR PL UKai CN";
  if (face == QStringLiteral("Arial"))
    families << "Liberation Sans"
             << "DejaVu Sans";
  families << "Noto Sans CJK SC"
           << "WenQuanYi Micro Hei";
  families.removeDuplicates();
  return families;
}

QtPagePainter::QtPagePainter(QPainter& painter, double units_per_tenth)
    : painter_(painter), scale_(units_per_tenth) {}

QRectF QtPagePainter::Scaled(const report::Rect& rect) const {
  return QRectF(rect.left * scale_, rect.top * scale_, rect.width() * scale_,
                rect.height() * scale_);
}

void QtPagePainter::Line(int x1, int y1, int x2, int y2, int width) {
  QPen pen(Qt::black);
  pen.setWidthF(std::max(width * scale_, 1.0));
  pen.setCapStyle(Qt::SquareCap);
  painter_.setPen(pen);
  painter_.drawLine(QPointF(x1 * scale_, y1 * scale_), QPointF(x2 * scale_, y2 * scale_));
}

void QtPagePainter::Fill(const report::Rect& rect, std::uint32_t colour) {
  painter_.fillRect(Scaled(rect), ColourOf(colour));
}

void QtPagePainter::Text(const report::Rect& rect, std::string_view text,
                         const report::TextFormat& format) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  QFont font;
  font.setFamilies(FontFamiliesFor(format.face));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(format.size * scale_))));
  font.setBold(format.bold);
  painter_.save();
  const QRectF box = Scaled(rect);
  painter_.setClipRect(box, Qt::IntersectClip);
  painter_.setFont(font);
  painter_.setPen(ColourOf(format.colour));
  int flags = static_cast<int>(AlignmentOf(format));
  if (format.wrap) flags |= Qt::TextWordWrap | Qt::TextWrapAnywhere;
  painter_.drawText(box, flags, QString::fromStdString(platform::GbkToUtf8(text, false)));
  painter_.restore();
}

}  // namespace gui
