#include "gui/win32/gdi_painter.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/win32/wide.h"

namespace gui::win32 {
namespace {

COLORREF ColourOf(std::uint32_t rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

int PixelsOf(const report::TextFormat& format, double scale) {
  return std::max(1, static_cast<int>(std::lround(format.size * scale)));
}

int ToTenths(int device_units, double scale) {
  return static_cast<int>(std::ceil(device_units / scale - 1e-6));
}

int Length(const std::wstring& text) {
  return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

int WidthOf(HDC dc, const std::wstring& line) {
  SIZE size{};
  if (line.empty() || !GetTextExtentPoint32W(dc, line.c_str(), Length(line), &size)) return 0;
  return size.cx;
}

// The text as the report gives it, in paragraphs at its line breaks.
std::vector<std::wstring> Paragraphs(const std::wstring& text) {
  std::vector<std::wstring> paragraphs(1);
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n')
      paragraphs.emplace_back();
    else
      paragraphs.back() += c;
  }
  return paragraphs;
}

// Breaks `paragraph` into lines no wider than `width`: after the last space
// that lets a line fit, else after the last character that fits (Chinese
// text has no spaces), and never fewer than one character a line.
void BreakInto(HDC dc, std::wstring paragraph, int width, std::vector<std::wstring>& lines) {
  while (!paragraph.empty()) {
    int fit = 0;
    SIZE size{};
    if (!GetTextExtentExPointW(dc, paragraph.c_str(), Length(paragraph), width, &fit, nullptr,
                               &size))
      fit = Length(paragraph);
    if (fit >= Length(paragraph)) {
      lines.push_back(std::move(paragraph));
      return;
    }
    std::size_t cut = static_cast<std::size_t>(std::max(fit, 1));
    const std::size_t space = paragraph.rfind(L' ', cut);
    if (space != std::wstring::npos && space > 0) cut = space;
    std::wstring line = paragraph.substr(0, cut);
    while (!line.empty() && line.back() == L' ') line.pop_back();
    lines.push_back(std::move(line));
    const std::size_t rest = paragraph.find_first_not_of(L' ', cut);
    paragraph = rest == std::wstring::npos ? std::wstring() : paragraph.substr(rest);
  }
}

struct FaceQuery {
  bool outlines_needed = false;  // only faces a printer driver can send along
  bool found = false;
};

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW* metrics, DWORD type, LPARAM query) {
  auto& q = *reinterpret_cast<FaceQuery*>(query);
  // A printer driver sends TrueType outlines with the job; faces of other
  // outlines (PostScript-flavoured OpenType) may not print at all.
  const auto flags = reinterpret_cast<const NEWTEXTMETRICEXW*>(metrics)->ntmTm.ntmFlags;
  if (q.outlines_needed && (!(type & TRUETYPE_FONTTYPE) || (flags & NTM_PS_OPENTYPE))) return 1;
  q.found = true;
  return 0;
}

}  // namespace

bool GdiFaces::Installed(const std::wstring& face) const {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  std::copy(face.begin(), face.end(), wanted.lfFaceName);
  FaceQuery query;
  query.outlines_needed = GetDeviceCaps(dc_, TECHNOLOGY) == DT_RASPRINTER;
  EnumFontFamiliesExW(dc_, &wanted, NoteFace, reinterpret_cast<LPARAM>(&query), 0);
  return query.found;
}

const GdiFaces::Face& GdiFaces::FaceFor(std::string_view gbk_face) {
  if (auto it = faces_.find(gbk_face); it != faces_.end()) return it->second;
  const std::wstring face = platform::win32::GbkToWide(gbk_face);
  // Faces the receipts name, with the names they go by in English and the
  // nearest faces a machine without them has (wine's fonts, say).
  std::vector<std::wstring> candidates;
  if (!face.empty()) candidates.push_back(face);
  if (face == L"黑体")
    candidates.insert(candidates.end(),
                      {L"SimHei", L"Microsoft YaHei", L"Noto Sans CJK SC", L"WenQuanYi Zen Hei"});
  if (face.empty() || face == L"宋体")
    candidates.insert(candidates.end(), {L"SimSun", L"NSimSun", L"Noto Serif CJK SC",
                                         L"Noto Sans CJK SC", L"AR PL UMing CN"});
  if (face == L"楷体") candidates.insert(candidates.end(), {L"KaiTi", L"AR PL UKai CN"});
  if (face == L"Arial") candidates.insert(candidates.end(), {L"Liberation Sans", L"DejaVu Sans"});
  candidates.insert(candidates.end(), {L"Microsoft YaHei", L"Noto Sans CJK SC",
                                       L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei"});
  Face chosen{face.empty() ? std::wstring(L"SimSun") : face, GB2312_CHARSET};
  for (const std::wstring& candidate : candidates) {
    if (Installed(candidate)) {
      chosen = {candidate, DEFAULT_CHARSET};
      break;
    }
  }
  return faces_.emplace(std::string(gbk_face), std::move(chosen)).first->second;
}

GdiFont::GdiFont(HDC dc, const GdiFaces::Face& face, int pixels, bool bold) : dc_(dc) {
  LOGFONTW font{};
  // A negative height asks for the characters' own height, without the
  // space some fonts keep above them: the size a report gives.
  font.lfHeight = -std::max(1, pixels);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = face.charset;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = ANTIALIASED_QUALITY;
  const std::size_t n = std::min<std::size_t>(face.name.size(), LF_FACESIZE - 1);
  std::copy_n(face.name.begin(), n, font.lfFaceName);
  font_ = CreateFontIndirectW(&font);
  previous_ = font_ ? SelectObject(dc_, font_) : nullptr;
}

GdiFont::~GdiFont() {
  if (previous_) SelectObject(dc_, previous_);
  if (font_) DeleteObject(font_);
}

int GdiTextLayout::width() const {
  return widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end());
}

int GdiTextLayout::height() const {
  if (lines.empty()) return 0;
  return static_cast<int>(lines.size() - 1) * line_height + text_height;
}

GdiPagePainter::GdiPagePainter(HDC dc, double units_per_tenth)
    : dc_(dc), scale_(units_per_tenth), faces_(dc) {}

RECT GdiPagePainter::Scaled(const report::Rect& rect) const {
  auto at = [this](int v) { return static_cast<LONG>(std::lround(v * scale_)); };
  return RECT{at(rect.left), at(rect.top), at(rect.right), at(rect.bottom)};
}

void GdiPagePainter::Line(int x1, int y1, int x2, int y2, int width) {
  const LOGBRUSH brush{BS_SOLID, RGB(0, 0, 0), 0};
  const DWORD pixels =
      static_cast<DWORD>(std::max(1L, static_cast<long>(std::lround(width * scale_))));
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER, pixels,
                          &brush, 0, nullptr);
  if (!pen) return;
  HGDIOBJ previous = SelectObject(dc_, pen);
  MoveToEx(dc_, static_cast<int>(std::lround(x1 * scale_)),
           static_cast<int>(std::lround(y1 * scale_)), nullptr);
  LineTo(dc_, static_cast<int>(std::lround(x2 * scale_)),
         static_cast<int>(std::lround(y2 * scale_)));
  SelectObject(dc_, previous);
  DeleteObject(pen);
}

void GdiPagePainter::Fill(const report::Rect& rect, std::uint32_t colour) {
  HBRUSH brush = CreateSolidBrush(ColourOf(colour));
  if (!brush) return;
  const RECT box = Scaled(rect);
  FillRect(dc_, &box, brush);
  DeleteObject(brush);
}

GdiTextLayout GdiPagePainter::LayOut(const std::wstring& text, const report::TextFormat& format,
                                     int pixels, int wrap_width) const {
  GdiFont font(dc_, faces_.FaceFor(format.face), pixels, format.bold);
  GdiTextLayout layout;
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc_, &metrics);
  layout.text_height = metrics.tmHeight;
  layout.line_height = metrics.tmHeight + metrics.tmExternalLeading;
  for (std::wstring& paragraph : Paragraphs(text)) {
    if (format.wrap && wrap_width > 0)
      BreakInto(dc_, std::move(paragraph), wrap_width, layout.lines);
    else
      layout.lines.push_back(std::move(paragraph));
  }
  for (const std::wstring& line : layout.lines) layout.widths.push_back(WidthOf(dc_, line));
  return layout;
}

report::TextExtent GdiPagePainter::Measure(std::string_view text, const report::TextFormat& format,
                                           int wrap_width) const {
  const int width = static_cast<int>(std::lround(std::max(wrap_width, 1) * scale_));
  const GdiTextLayout layout =
      LayOut(platform::win32::GbkToWide(text), format, PixelsOf(format, scale_), width);
  return {ToTenths(layout.width(), scale_), ToTenths(layout.height(), scale_)};
}

int GdiPagePainter::PixelsFor(const RECT& box, const std::wstring& text,
                              const report::TextFormat& format) const {
  const int wanted = PixelsOf(format, scale_);
  int pixels = wanted;
  for (; pixels > 1; --pixels) {
    const GdiTextLayout layout = LayOut(text, format, pixels, box.right - box.left);
    if (layout.width() <= box.right - box.left && layout.height() <= box.bottom - box.top) break;
    if (pixels < wanted * 0.9) break;
  }
  return pixels;
}

POINT GdiPagePainter::Origin(const RECT& box, const GdiTextLayout& layout,
                             const report::TextFormat& format, std::size_t line) const {
  POINT at{box.left, box.top};
  const int spare_width = box.right - box.left - layout.widths[line];
  const int spare_height = box.bottom - box.top - layout.height();
  if (format.horizontal == report::Align::kCentre) at.x += spare_width / 2;
  if (format.horizontal == report::Align::kEnd) at.x += spare_width;
  if (format.vertical == report::Align::kCentre) at.y += spare_height / 2;
  if (format.vertical == report::Align::kEnd) at.y += spare_height;
  at.y += static_cast<LONG>(line) * layout.line_height;
  return at;
}

RECT GdiPagePainter::TextBounds(const report::Rect& rect, std::string_view text,
                                const report::TextFormat& format) const {
  const RECT box = Scaled(rect);
  const std::wstring shown = platform::win32::GbkToWide(text);
  const GdiTextLayout layout =
      LayOut(shown, format, PixelsFor(box, shown, format), box.right - box.left);
  RECT bounds{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    const POINT at = Origin(box, layout, format, i);
    bounds.left = std::min(bounds.left, at.x);
    bounds.top = std::min(bounds.top, at.y);
    bounds.right = std::max(bounds.right, at.x + layout.widths[i]);
    bounds.bottom = std::max(bounds.bottom, at.y + layout.text_height);
  }
  return bounds;
}

void GdiPagePainter::Text(const report::Rect& rect, std::string_view text,
                          const report::TextFormat& format) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  const RECT box = Scaled(rect);
  const std::wstring shown = platform::win32::GbkToWide(text);
  const int pixels = PixelsFor(box, shown, format);
  const GdiTextLayout layout = LayOut(shown, format, pixels, box.right - box.left);
  const int saved = SaveDC(dc_);
  IntersectClipRect(dc_, box.left, box.top, box.right, box.bottom);
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, ColourOf(format.colour));
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  {
    GdiFont font(dc_, faces_.FaceFor(format.face), pixels, format.bold);
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
      const POINT at = Origin(box, layout, format, i);
      const std::wstring& line = layout.lines[i];
      ExtTextOutW(dc_, at.x, at.y, 0, nullptr, line.c_str(), static_cast<UINT>(Length(line)),
                  nullptr);
    }
  }
  RestoreDC(dc_, saved);
}

GdiTextMeasure::GdiTextMeasure(double units_per_tenth)
    : dc_(CreateCompatibleDC(nullptr)), painter_(dc_, units_per_tenth) {}

GdiTextMeasure::~GdiTextMeasure() {
  if (dc_) DeleteDC(dc_);
}

report::TextExtent GdiTextMeasure::Measure(std::string_view text, const report::TextFormat& format,
                                           int wrap_width) const {
  return painter_.Measure(text, format, wrap_width);
}

}  // namespace gui::win32
