#include "gui/print_painter.h"

#include <QFontMetricsF>
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

int TextFlags(const report::TextFormat& format) {
  int flags = static_cast<int>(AlignmentOf(format));
  if (format.wrap) flags |= Qt::TextWordWrap | Qt::TextWrapAnywhere;
  return flags;
}

QString ToQt(std::string_view gbk) {
  return QString::fromStdString(platform::GbkToUtf8(gbk, false));
}

QFont MakeFont(const report::TextFormat& format, int pixels) {
  QFont font;
  font.setFamilies(FontFamiliesFor(format.face));
  font.setPixelSize(std::max(1, pixels));
  font.setBold(format.bold);
  return font;
}

int PixelsOf(const report::TextFormat& format, double scale) {
  return std::max(1, static_cast<int>(std::lround(format.size * scale)));
}

report::TextExtent MeasureWith(const QFontMetricsF& metrics, double scale, std::string_view text,
                               const report::TextFormat& format, int wrap_width) {
  const double width = format.wrap ? std::max(wrap_width, 1) * scale : 1e7;
  const QRectF bounds = metrics.boundingRect(
      QRectF(0, 0, width, 1e7),
      TextFlags(format) & ~Qt::AlignVertical_Mask & ~Qt::AlignHorizontal_Mask, ToQt(text));
  return {static_cast<int>(std::ceil(bounds.width() / scale - 1e-6)),
          static_cast<int>(std::ceil(bounds.height() / scale - 1e-6))};
}

}  // namespace

report::TextExtent QtTextMeasure::Measure(std::string_view text, const report::TextFormat& format,
                                          int wrap_width) const {
  return MeasureWith(QFontMetricsF(MakeFont(format, PixelsOf(format, scale_))), scale_, text,
                     format, wrap_width);
}

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

QFont QtPagePainter::FontOf(const report::TextFormat& format, int pixels) const {
  return MakeFont(format, pixels);
}

report::TextExtent QtPagePainter::Measure(std::string_view text, const report::TextFormat& format,
                                          int wrap_width) const {
  const QFontMetricsF metrics(FontOf(format, PixelsOf(format, scale_)), painter_.device());
  return MeasureWith(metrics, scale_, text, format, wrap_width);
}

int QtPagePainter::PixelsFor(const QRectF& box, const QString& text,
                             const report::TextFormat& format, int flags) const {
  int pixels = PixelsOf(format, scale_);
  for (; pixels > 1; --pixels) {
    const QFontMetricsF metrics(FontOf(format, pixels), painter_.device());
    const QRectF bounds = metrics.boundingRect(box, flags, text);
    if (bounds.width() <= box.width() + 0.5 && bounds.height() <= box.height() + 0.5) break;
    // Only the device's rounding is made up for here; the layout has fitted the text.
    if (pixels < PixelsOf(format, scale_) * 0.9) break;
  }
  return pixels;
}

QRectF QtPagePainter::TextBounds(const report::Rect& rect, std::string_view text,
                                 const report::TextFormat& format) const {
  const QRectF box = Scaled(rect);
  const QString shown = ToQt(text);
  const int flags = TextFlags(format);
  const QFontMetricsF metrics(FontOf(format, PixelsFor(box, shown, format, flags)),
                              painter_.device());
  return metrics.boundingRect(box, flags, shown);
}

void QtPagePainter::Text(const report::Rect& rect, std::string_view text,
                         const report::TextFormat& format) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  const QRectF box = Scaled(rect);
  const QString shown = ToQt(text);
  const int flags = TextFlags(format);
  painter_.save();
  painter_.setClipRect(box, Qt::IntersectClip);
  painter_.setFont(FontOf(format, PixelsFor(box, shown, format, flags)));
  painter_.setPen(ColourOf(format.colour));
  painter_.drawText(box, flags, shown);
  painter_.restore();
}

}  // namespace gui
