#include "report/layout.h"

#include <algorithm>
#include <array>

#include "platform/gbk.h"

namespace report {
namespace {

using platform::operator""_gbk;

// One row as drawn: a row of the table, or a copy of one that shows its
// lines only (the repeated last row).
struct RowRef {
  int row = 0;
  bool blank = false;
};

// Where the drawing goes: the table's top-left corner on the paper and the
// scale in percent.
struct Frame {
  int origin_x = 0;
  int origin_y = 0;
  int scale = 100;
  bool add_lines = false;
};

// Repeated rows never fill more than this many copies, however small the row.
constexpr std::int64_t kMaxRepeatedRows = 1000;

int ClampToInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, -100'000'000, 100'000'000));
}

std::uint32_t ColourOf(std::uint32_t stored, std::uint32_t fallback) {
  if (stored & 0xFF000000u) return fallback;
  return (stored & 0xFF) << 16 | (stored & 0xFF00) | (stored >> 16 & 0xFF);
}

bool HasColour(std::uint32_t stored) { return (stored & 0xFF000000u) == 0; }

class RowPainter {
 public:
  RowPainter(const Table& table, const Geometry& geometry, const std::vector<RowRef>& rows,
             const Frame& frame, Painter& painter)
      : table_(table), rows_(rows), frame_(frame), painter_(painter) {
    xs_.push_back(0);
    for (std::int64_t w : geometry.column_widths) xs_.push_back(xs_.back() + w);
    ys_.push_back(0);
    for (const RowRef& ref : rows)
      ys_.push_back(ys_.back() + geometry.row_heights[static_cast<std::size_t>(ref.row)]);
  }

  void Draw() {
    if (rows_.empty() || table_.columns() == 0) return;
    std::vector<int> drawn;
    for (const RowRef& ref : rows_) drawn.push_back(ref.blank ? -1 : ref.row);
    blocks_ = FindBlocks(table_, drawn, owner_);
    for (std::size_t i = 0; i < blocks_.size(); ++i) DrawBlock(blocks_[i]);
    DrawVerticalLines();
    DrawHorizontalLines();
  }

 private:
  int n() const { return static_cast<int>(rows_.size()); }
  int Owner(int k, int c) const {
    return owner_[static_cast<std::size_t>(k) * static_cast<std::size_t>(table_.columns()) +
                  static_cast<std::size_t>(c)];
  }
  const Cell& CellAt(int k, int c) const {
    return table_.At(rows_[static_cast<std::size_t>(k)].row, c);
  }
  std::uint32_t Flags(int k, int c) const { return CellAt(k, c).flags; }
  int X(int c) const {
    return ClampToInt(frame_.origin_x + xs_[static_cast<std::size_t>(c)] * frame_.scale / 100);
  }
  int Y(int k) const {
    return ClampToInt(frame_.origin_y + ys_[static_cast<std::size_t>(k)] * frame_.scale / 100);
  }

  void DrawBlock(const DrawnBlock& b) {
    const Cell& cell = CellAt(b.k0, b.c0);
    const Rect rect{X(b.c0), Y(b.k0), X(b.c1 + 1), Y(b.k1 + 1)};
    if (HasColour(cell.background_colour))
      painter_.Fill(rect, ColourOf(cell.background_colour, 0xFFFFFF));
    if (rows_[static_cast<std::size_t>(b.k0)].blank) return;

    Text text = cell.text();
    if (!text.empty()) {
      const int pad = CellPadding(frame_.scale, rect.width());
      const Rect box{rect.left + pad, rect.top, rect.right - pad, rect.bottom};
      painter_.Text(
          box, text,
          FitText(text, CellFormat(cell, frame_.scale), box.width(), box.height(), painter_));
    }
    if (cell.flags & flag::kMarkFallingDiagonal)
      painter_.Line(rect.left, rect.top, rect.right, rect.bottom, kLineWidth);
    if (cell.flags & flag::kMarkRisingDiagonal)
      painter_.Line(rect.left, rect.bottom, rect.right, rect.top, kLineWidth);
    if (cell.flags & flag::kMarkHeavyFrame) {
      painter_.Line(rect.left, rect.top, rect.right, rect.top, kHeavyLineWidth);
      painter_.Line(rect.right, rect.top, rect.right, rect.bottom, kHeavyLineWidth);
      painter_.Line(rect.right, rect.bottom, rect.left, rect.bottom, kHeavyLineWidth);
      painter_.Line(rect.left, rect.bottom, rect.left, rect.top, kHeavyLineWidth);
    }
  }

  // The edge left of column c in drawn row k, c = 0..columns.
  bool VerticalEdge(int k, int c) {
    const int columns = table_.columns();
    const int left = c > 0 ? Owner(k, c - 1) : -1;
    const int right = c < columns ? Owner(k, c) : -1;
    if (left == right) return false;
    return frame_.add_lines || (c > 0 && (Flags(k, c - 1) & flag::kLineRight)) ||
           (c < columns && (Flags(k, c) & flag::kLineLeft));
  }

  // The edge above drawn row k in column c, k = 0..n.
  bool HorizontalEdge(int k, int c) {
    const int above = k > 0 ? Owner(k - 1, c) : -1;
    const int below = k < n() ? Owner(k, c) : -1;
    if (above == below) return false;
    return frame_.add_lines || (k > 0 && (Flags(k - 1, c) & flag::kLineBottom)) ||
           (k < n() && (Flags(k, c) & flag::kLineTop));
  }

  // Runs of edges along one line are drawn as one line.
  void DrawVerticalLines() {
    for (int c = 0; c <= table_.columns(); ++c)
      for (int k = 0; k < n();) {
        if (!VerticalEdge(k, c)) {
          ++k;
          continue;
        }
        int end = k;
        while (end + 1 < n() && VerticalEdge(end + 1, c)) ++end;
        painter_.Line(X(c), Y(k), X(c), Y(end + 1), kLineWidth);
        k = end + 1;
      }
  }

  void DrawHorizontalLines() {
    for (int k = 0; k <= n(); ++k)
      for (int c = 0; c < table_.columns();) {
        if (!HorizontalEdge(k, c)) {
          ++c;
          continue;
        }
        int end = c;
        while (end + 1 < table_.columns() && HorizontalEdge(k, end + 1)) ++end;
        painter_.Line(X(c), Y(k), X(end + 1), Y(k), kLineWidth);
        c = end + 1;
      }
  }

  const Table& table_;
  const std::vector<RowRef>& rows_;
  Frame frame_;
  Painter& painter_;
  std::vector<std::int64_t> xs_, ys_;  // edges, unscaled
  std::vector<int> owner_;             // block of each drawn cell
  std::vector<DrawnBlock> blocks_;
};

void DrawPageNumber(const PrintSettings& s, int number, PageSize paper, Painter& painter) {
  const auto position = static_cast<PageNumberPosition>(s.page_number_position);
  Align horizontal = Align::kCentre;
  bool top = false;
  switch (position) {
    case PageNumberPosition::kBottomCentre:
      break;
    case PageNumberPosition::kBottomRight:
      horizontal = Align::kEnd;
      break;
    case PageNumberPosition::kBottomLeft:
      horizontal = Align::kStart;
      break;
    case PageNumberPosition::kTopCentre:
      top = true;
      break;
    case PageNumberPosition::kTopRight:
      top = true, horizontal = Align::kEnd;
      break;
    case PageNumberPosition::kTopLeft:
      top = true, horizontal = Align::kStart;
      break;
    default:
      return;
  }
  // The number sits in the margin; a margin too narrow for it lends the
  // band at the paper's edge.
  constexpr std::int64_t kBand = 2 * kPageNumberSize;
  const std::int64_t width = std::max(paper.width, 0);
  const std::int64_t height = std::max(paper.height, 0);
  const std::int64_t left = std::clamp<std::int64_t>(s.margin_left, 0, width);
  const std::int64_t right = std::clamp<std::int64_t>(width - s.margin_right, left, width);
  Rect band{ClampToInt(left), 0, ClampToInt(right), ClampToInt(height)};
  if (top)
    band.bottom = ClampToInt(std::max<std::int64_t>(s.margin_top, kBand));
  else
    band.top = ClampToInt(std::min(height - s.margin_bottom, height - kBand));
  TextFormat format;
  format.size = kPageNumberSize;
  format.horizontal = horizontal;
  painter.Text(band, PageNumberText(number), format);
}

}  // namespace

CellStyle StyleOfCode(int code) {
  using A = Align;
  static constexpr std::array<CellStyle, 15> kStyles{{
      {A::kStart, A::kCentre, false, false},  // 0: drawn as 1
      {A::kStart, A::kCentre, false, false},
      {A::kStart, A::kStart, false, false},
      {A::kStart, A::kEnd, false, false},
      {A::kCentre, A::kStart, false, false},
      {A::kCentre, A::kCentre, false, false},
      {A::kCentre, A::kEnd, false, false},
      {A::kEnd, A::kStart, false, false},
      {A::kEnd, A::kCentre, false, false},
      {A::kEnd, A::kEnd, false, false},
      {A::kStart, A::kCentre, true, false},
      {A::kCentre, A::kCentre, true, false},
      {A::kEnd, A::kCentre, true, false},
      {A::kStart, A::kStart, false, true},
      {A::kCentre, A::kCentre, false, true},
  }};
  return code >= 1 && code <= 14 ? kStyles[static_cast<std::size_t>(code)] : kStyles[1];
}

Text PageNumberText(int number) { return "第 "_gbk + std::to_string(number) + " 页"_gbk; }

void DrawTable(const Table& table, Painter& painter, int width) {
  std::vector<RowRef> rows;
  for (int row = 0; row < table.rows(); ++row) rows.push_back({row, false});
  Frame frame;
  frame.add_lines = table.print.add_table_lines != 0;
  const Geometry geometry = LayOut(table, 100, width, painter);
  RowPainter(table, geometry, rows, frame, painter).Draw();
}

double RowsHeight(const Table& table, int rows) {
  double height = 0;
  for (int i = 0; i < rows && static_cast<std::size_t>(i) < table.row_heights.size(); ++i)
    height += std::max(table.row_heights[static_cast<std::size_t>(i)], 0);
  return height;
}

PageSize TableExtent(const Table& table, const TextMeasure& measure, int width) {
  const Geometry geometry = LayOut(table, 100, width, measure);
  std::int64_t height = 0;
  for (std::int64_t h : geometry.row_heights) height += h;
  return {ClampToInt(geometry.width()), ClampToInt(height)};
}

void DrawPage(const Table& table, const Pagination& pagination, const Page& page, PageSize paper,
              Painter& painter) {
  const PrintSettings& s = table.print;
  std::vector<RowRef> rows;
  for (int row = 0; row < table.title_row_count(); ++row) rows.push_back({row, false});
  const int first = std::max(page.first_row, 0);
  const int last = std::min(page.last_row, table.rows() - 1);
  for (int row = first; row <= last; ++row) rows.push_back({row, false});

  if (s.repeat_last_row != 0 && s.rows_per_page <= 0 && page.last_of_table && last >= first) {
    std::int64_t used = 0;
    const std::vector<std::int64_t>& heights = pagination.geometry.row_heights;
    for (int row = first; row <= last; ++row) used += heights[static_cast<std::size_t>(row)];
    const std::int64_t height = heights[static_cast<std::size_t>(last)];
    const std::int64_t room = pagination.available_height - used;
    if (height > 0 && room >= height)
      for (std::int64_t i = 0; i < std::min(room / height, kMaxRepeatedRows); ++i)
        rows.push_back({last, true});
  }

  Frame frame;
  frame.origin_x = ClampToInt(s.margin_left);
  frame.origin_y = ClampToInt(s.margin_top);
  frame.scale = pagination.scale;
  frame.add_lines = s.add_table_lines != 0;
  RowPainter(table, pagination.geometry, rows, frame, painter).Draw();
  DrawPageNumber(s, page.number, paper, painter);
}

}  // namespace report
