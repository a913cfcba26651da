#include "report/painter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {

TextExtent TextMeasure::Measure(std::string_view text, const TextFormat& format,
                                int wrap_width) const {
  const double em = std::max(format.size, 1);
  const double limit = format.wrap ? std::max(wrap_width, 1) : 1e300;
  double line = 0, widest = 0;
  int lines = 1;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool wide = byte >= 0x81 && i + 1 < text.size();
    const double w = wide ? em : 0.6 * em;
    if (line > 0 && line + w > limit) {
      widest = std::max(widest, line);
      line = 0;
      ++lines;
    }
    line += w;
    i += wide ? 2 : 1;
  }
  widest = std::max(widest, line);
  // A long text in a huge type (a damaged table's attributes, say) is
  // measured as far as an extent can go and still be added to a position.
  constexpr double kWidestExtent = std::numeric_limits<int>::max() / 16;
  const auto extent = [&](double v) {
    return static_cast<int>(std::min(std::ceil(v), kWidestExtent));
  };
  return {extent(widest), extent(lines * 1.3 * em)};
}

void RecordingPainter::Line(int x1, int y1, int x2, int y2, int width) {
  DrawOp op;
  op.kind = DrawOp::Kind::kLine;
  op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.width = width;
  ops_.push_back(std::move(op));
}

void RecordingPainter::Fill(const Rect& rect, std::uint32_t colour) {
  DrawOp op;
  op.kind = DrawOp::Kind::kFill;
  op.rect = rect;
  op.colour = colour;
  ops_.push_back(std::move(op));
}

void RecordingPainter::Text(const Rect& rect, std::string_view text, const TextFormat& format) {
  DrawOp op;
  op.kind = DrawOp::Kind::kText;
  op.rect = rect;
  op.text = runtime::Text(text);
  op.format = format;
  ops_.push_back(std::move(op));
}

void RecordingPainter::ReplayOn(Painter& painter) const {
  for (const DrawOp& op : ops_) switch (op.kind) {
      case DrawOp::Kind::kLine:
        painter.Line(op.x1, op.y1, op.x2, op.y2, op.width);
        break;
      case DrawOp::Kind::kFill:
        painter.Fill(op.rect, op.colour);
        break;
      case DrawOp::Kind::kText:
        painter.Text(op.rect, op.text, op.format);
        break;
    }
}

}  // namespace report
