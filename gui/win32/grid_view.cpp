#include "gui/win32/grid_view.h"

#include <algorithm>
#include <cmath>

#include "gui/win32/gdi_painter.h"
#include "report/layout.h"
#include "report/sheet.h"

namespace gui::win32 {
namespace {

constexpr int kLineStep = 20;  // pixels a click on a horizontal arrow moves

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

void GridView::SetTable(const report::Table* table) {
  // Another table, or one that lost rows (a new order's empty receipt),
  // is shown from its top.
  const std::size_t rows = table == nullptr ? 0 : table->row_heights.size();
  if (table != table_ || rows < shown_rows_) top_row_ = 0;
  table_ = table;
  shown_rows_ = rows;
  UpdateScrollBars();
  InvalidateRect(control_, nullptr, FALSE);
}

double GridView::PixelsPerTenth() const { return ScreenDpi() / 254.0 * zoom_; }

SIZE GridView::Inside() const {
  RECT client{};
  GetClientRect(control_, &client);
  SIZE inside{client.right, client.bottom};
  const LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
  if ((style & WS_VSCROLL) != 0) inside.cx += GetSystemMetrics(SM_CXVSCROLL);
  if ((style & WS_HSCROLL) != 0) inside.cy += GetSystemMetrics(SM_CYHSCROLL);
  return inside;
}

int GridView::DrawWidth() const {
  // The receipt's columns share the grid's width, so that every amount shows
  // whole; room is left for a scroll bar, so that one showing up does not
  // lay the table out anew.
  const int room = Inside().cx - GetSystemMetrics(SM_CXVSCROLL) - 2;
  return static_cast<int>(std::max(room, 1) / PixelsPerTenth());
}

SIZE GridView::TableSize() const {
  if (table_ == nullptr) return {0, 0};
  const report::PageSize extent =
      report::TableExtent(*table_, GdiTextMeasure(PixelsPerTenth()), DrawWidth());
  return {static_cast<LONG>(extent.width * PixelsPerTenth()) + 2,
          static_cast<LONG>(extent.height * PixelsPerTenth()) + 2};
}

double GridView::RowsHeight(int row) const {
  return table_ == nullptr ? 0 : report::RowsHeight(*table_, row);
}

void GridView::UpdateScrollBars() {
  // Showing or hiding a scroll bar resizes the client area, which comes back
  // here: the sizes below do not depend on the bars, so once is enough.
  if (updating_) return;
  updating_ = true;
  const SIZE inside{Inside().cx - GetSystemMetrics(SM_CXVSCROLL), Inside().cy};
  zoom_ = 1;
  if (table_ != nullptr) {
    const SIZE full = TableSize();
    double fit = 1;
    if (full.cx > inside.cx) fit = std::min(fit, static_cast<double>(inside.cx) / full.cx);
    if (full.cy > inside.cy) fit = std::min(fit, static_cast<double>(inside.cy) / full.cy);
    zoom_ = std::max(kLeastZoom, fit);
  }
  const SIZE table = TableSize();
  const int rows = table_ == nullptr ? 0 : static_cast<int>(table_->row_heights.size());
  // Down by whole rows: the vertical bar counts rows; its end shows the last
  // row at the bottom. The room is measured with a horizontal bar when the
  // table is wider than the grid.
  const bool wide = table.cx > inside.cx;
  const int room_height = Inside().cy - (wide ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  const double room_tenths = room_height / PixelsPerTenth();
  const double total = RowsHeight(rows);
  int last_top = 0;
  while (last_top < rows && total - RowsHeight(last_top) > room_tenths) ++last_top;
  int fitting = 0;
  while (fitting < rows && RowsHeight(fitting + 1) <= room_tenths) ++fitting;
  fitting = std::max(1, fitting);
  top_row_ = std::clamp(top_row_, 0, last_top);
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  bar.nMax = last_top + fitting - 1;
  bar.nPage = static_cast<UINT>(fitting);
  bar.nPos = top_row_;
  SetScrollInfo(control_, SB_VERT, &bar, TRUE);

  const int room_width = inside.cx;
  left_ = std::clamp(left_, 0, std::max(0, static_cast<int>(table.cx) - room_width));
  bar.nMax = std::max(0, static_cast<int>(table.cx) - 1);
  bar.nPage = static_cast<UINT>(std::max(1, room_width));
  bar.nPos = left_;
  SetScrollInfo(control_, SB_HORZ, &bar, TRUE);
  updating_ = false;
}

void GridView::Scroll(int which, int code) {
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_ALL;
  GetScrollInfo(control_, which, &bar);
  const int step = which == SB_VERT ? 1 : kLineStep;
  const int page = std::max(1, static_cast<int>(bar.nPage));
  int at = bar.nPos;
  switch (code) {
    case SB_LINEUP:
      at -= step;
      break;
    case SB_LINEDOWN:
      at += step;
      break;
    case SB_PAGEUP:
      at -= page;
      break;
    case SB_PAGEDOWN:
      at += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      at = bar.nTrackPos;
      break;
    case SB_TOP:
      at = bar.nMin;
      break;
    case SB_BOTTOM:
      at = bar.nMax;
      break;
    default:
      return;
  }
  at = std::clamp(at, bar.nMin, std::max(bar.nMin, bar.nMax - page + 1));
  if (which == SB_VERT)
    top_row_ = at;
  else
    left_ = at;
  SetScrollPos(control_, which, at, TRUE);
  InvalidateRect(control_, nullptr, FALSE);
}

void GridView::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(control_, &paint);
  RECT client{};
  GetClientRect(control_, &client);
  // Drawn off screen first: the table is redrawn whole on every change.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
  HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
  FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (table_ != nullptr) {
    const double scale = PixelsPerTenth();
    const int width = DrawWidth();
    SetViewportOrgEx(memory, -left_, -static_cast<int>(std::lround(RowsHeight(top_row_) * scale)),
                     nullptr);
    GdiPagePainter painter(memory, scale);
    const report::Geometry geometry = report::LayOut(*table_, 100, width, painter);
    const report::PageSize extent = report::TableExtent(*table_, painter, width);
    // Guide lines along every row and column, under the table's own lines.
    HPEN guide = CreatePen(PS_SOLID, 1, RGB(225, 225, 225));
    HGDIOBJ old_pen = SelectObject(memory, guide);
    const int right = static_cast<int>(extent.width * scale);
    const int bottom = static_cast<int>(extent.height * scale);
    double x = 0;
    for (std::int64_t w : geometry.column_widths) {
      x += static_cast<double>(w) * scale;
      MoveToEx(memory, static_cast<int>(x), 0, nullptr);
      LineTo(memory, static_cast<int>(x), bottom);
    }
    double y = 0;
    for (std::int64_t h : geometry.row_heights) {
      y += static_cast<double>(h) * scale;
      MoveToEx(memory, 0, static_cast<int>(y), nullptr);
      LineTo(memory, right, static_cast<int>(y));
    }
    SelectObject(memory, old_pen);
    DeleteObject(guide);
    report::DrawTable(*table_, painter, width);
    SetViewportOrgEx(memory, 0, 0, nullptr);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(control_, &paint);
}

bool GridView::Message(UINT message, WPARAM wparam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_PAINT:
      Paint();
      return true;
    case WM_ERASEBKGND:
      result = 1;  // painted whole in WM_PAINT
      return true;
    case WM_SIZE:
      UpdateScrollBars();
      InvalidateRect(control_, nullptr, FALSE);
      return false;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wparam));
      return true;
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA;
      for (int i = 0; i < std::abs(notches); ++i)
        Scroll(SB_VERT, notches > 0 ? SB_LINEUP : SB_LINEDOWN);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace gui::win32
