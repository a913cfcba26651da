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
  // Measured with the font the text is drawn in, on the painter's device.
  report::TextExtent Measure(std::string_view text, const report::TextFormat& format,
                             int wrap_width) const override;

  // The rectangle, in device units, that `text` covers when Text draws it
  // in `rect`: what tests check against the cell.
  QRectF TextBounds(const report::Rect& rect, std::string_view text,
                    const report::TextFormat& format) const;

 private:
  QRectF Scaled(const report::Rect& rect) const;
  // The font of `format` at `pixels` device units high.
  QFont FontOf(const report::TextFormat& format, int pixels) const;
  // The size Text draws `text` in within `box`: the format's, or a few
  // device units less where the device's rounding of font sizes would
  // push the text over the box's edge.
  int PixelsFor(const QRectF& box, const QString& text, const report::TextFormat& format,
                int flags) const;

  QPainter& painter_;
  double scale_;
};

// Measures texts with the desktop's fonts, as a printer at `units_per_tenth`
// device units a tenth of a millimetre draws them: for paginating the
// preview before anything is drawn.
class QtTextMeasure : public report::TextMeasure {
 public:
  explicit QtTextMeasure(double units_per_tenth = 1200 / 254.0) : scale_(units_per_tenth) {}
  report::TextExtent Measure(std::string_view text, const report::TextFormat& format,
                             int wrap_width) const override;

 private:
  double scale_;
};

// The font families tried for a GBK face name: the face itself, its usual
// Latin name for the common Chinese faces, then installed CJK faces.
QStringList FontFamiliesFor(std::string_view gbk_face);

}  // namespace gui
