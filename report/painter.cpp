#include "report/painter.h"

namespace report {

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
