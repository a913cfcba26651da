// Paints the drawing operations of a report page on a Windows device
// context: a printer, an enhanced metafile, the preview window or the grid
// inside a window. Texts are laid out here line by line with the device's
// own measurements, so that what is measured is exactly what is drawn.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "report/painter.h"

namespace gui::win32 {

// The font faces of one device context: the face a report names (GBK) as
// the installed face it is drawn in, looked up once per face.
class GdiFaces {
 public:
  explicit GdiFaces(HDC dc) : dc_(dc) {}
  // The face of `gbk_face`: itself when installed, else its usual Windows
  // name for the common Chinese faces, else an installed CJK face, else
  // whatever the font mapper picks for Chinese text.
  struct Face {
    std::wstring name;
    // The character set asked for: the face's own when it is installed, else
    // Chinese, so that the font mapper's stand-in can draw the text.
    BYTE charset = DEFAULT_CHARSET;
  };
  const Face& FaceFor(std::string_view gbk_face);

 private:
  bool Installed(const std::wstring& face) const;

  HDC dc_;
  std::map<std::string, Face, std::less<>> faces_;
};

// A text laid out in lines on a device: each line's characters and width,
// in device units.
struct GdiTextLayout {
  std::vector<std::wstring> lines;
  std::vector<int> widths;
  int line_height = 0;  // from one line's top to the next one's
  int text_height = 0;  // the height of one line's characters
  int width() const;
  int height() const;
};

class GdiPagePainter : public report::Painter {
 public:
  // `units_per_tenth` device units make a tenth of a millimetre; (0, 0) of
  // the page is the device context's logical origin. The context keeps its
  // mapping mode (MM_TEXT) and is left as it was found after each operation.
  GdiPagePainter(HDC dc, double units_per_tenth);

  void Line(int x1, int y1, int x2, int y2, int width) override;
  void Fill(const report::Rect& rect, std::uint32_t colour) override;
  void Text(const report::Rect& rect, std::string_view text,
            const report::TextFormat& format) override;
  // Measured with the font the text is drawn in, on this device.
  report::TextExtent Measure(std::string_view text, const report::TextFormat& format,
                             int wrap_width) const override;

  // The rectangle, in device units, that `text` covers when Text draws it
  // in `rect`: what tests check against the cell.
  RECT TextBounds(const report::Rect& rect, std::string_view text,
                  const report::TextFormat& format) const;

  double units_per_tenth() const { return scale_; }

 private:
  RECT Scaled(const report::Rect& rect) const;
  // The character height Text draws `text` in within `box`: the format's,
  // or a few device units less where the device's rounding of font sizes
  // would push the text over the box's edge (never below 90 percent: the
  // layout has fitted the text, only rounding is made up for here).
  int PixelsFor(const RECT& box, const std::wstring& text, const report::TextFormat& format) const;
  GdiTextLayout LayOut(const std::wstring& text, const report::TextFormat& format, int pixels,
                       int wrap_width) const;
  // Where the layout's first line starts within `box`.
  POINT Origin(const RECT& box, const GdiTextLayout& layout, const report::TextFormat& format,
               std::size_t line) const;

  HDC dc_;
  double scale_;
  mutable GdiFaces faces_;
};

// Measures texts as a device at `units_per_tenth` device units a tenth of a
// millimetre draws them, on a memory device context of its own: for
// paginating the preview before anything is drawn.
class GdiTextMeasure : public report::TextMeasure {
 public:
  explicit GdiTextMeasure(double units_per_tenth = 600 / 254.0);
  ~GdiTextMeasure() override;
  GdiTextMeasure(const GdiTextMeasure&) = delete;
  GdiTextMeasure& operator=(const GdiTextMeasure&) = delete;

  report::TextExtent Measure(std::string_view text, const report::TextFormat& format,
                             int wrap_width) const override;

 private:
  HDC dc_;
  GdiPagePainter painter_;
};

// A GDI font made for one text, selected into a device context for as long
// as the object lives.
class GdiFont {
 public:
  GdiFont(HDC dc, const GdiFaces::Face& face, int pixels, bool bold);
  ~GdiFont();
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_;
};

}  // namespace gui::win32
