// Paints the drawing operations of a report page with a QPainter: on a
// printer, a PDF file, the preview or the grid on screen.
#pragma once

#include <QPainter>

#include "report/painter.h"

namespace gui {

class QtPagePainter : public report::Painter {
 public:
  // `units_per_tenth` device units make a tenth of a millimetre; (0, 0) of
  // the page is the painter's origin.
  QtPagePainter(QPainter& painter, double units_per_tenth);

  void Line(int x1, int y1, int x2, int y2, int width) override;
  void Fill(const report::Rect& rect, std::uint32_t colour) override;
  void Text(const report::Rect& rect, std::string_view text,
            const report::TextFormat& format) override;

 private:
  QRectF Scaled(const report::Rect& rect) const;

  QPainter& painter_;
  double scale_;
};

// The font families tried for a GBK face name: the face itself, its usual
// Latin name for the common Chinese faces, then installed CJK faces.
QStringList FontFamiliesFor(std::string_view gbk_face);

}  // namespace gui
