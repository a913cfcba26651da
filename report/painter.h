// What a report page is drawn with: lines, filled rectangles and texts in
// tenths of a millimetre from the top-left corner of the paper. The printer,
// the preview and the grid on screen each paint these in their own way; a
// recording painter keeps them as a list (for tests and the headless run).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace report {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Align { kStart, kCentre, kEnd };

struct TextFormat {
  runtime::Text face;  // GBK; empty for the default face
  int size = 40;       // character height, tenths of a millimetre
  bool bold = false;
  Align horizontal = Align::kStart;
  Align vertical = Align::kCentre;
  bool wrap = false;         // break into lines to fit the width
  std::uint32_t colour = 0;  // 0xRRGGBB
  friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// The room a text takes, in tenths of a millimetre.
struct TextExtent {
  int width = 0;
  int height = 0;
  friend bool operator==(const TextExtent&, const TextExtent&) = default;
};

// Measures texts as they will be drawn. This base estimates from the
// characters alone (a double-byte character one character height wide, a
// single-byte one 0.6 of it, lines 1.3 heights apart), which is what the
// headless run paginates with; painters on a real device measure with
// their fonts.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // The room the GBK `text` takes drawn in `format`: on one line, or, when
  // `format.wrap`, broken into lines no wider than `wrap_width`.
  virtual TextExtent Measure(std::string_view text, const TextFormat& format, int wrap_width) const;
};

class Painter : public TextMeasure {
 public:
  // A straight line `width` tenths of a millimetre wide.
  virtual void Line(int x1, int y1, int x2, int y2, int width) = 0;
  // Fills `rect` with `colour` (0xRRGGBB).
  virtual void Fill(const Rect& rect, std::uint32_t colour) = 0;
  // Draws the GBK `text` inside `rect` as `format` says, clipped to `rect`.
  virtual void Text(const Rect& rect, std::string_view text, const TextFormat& format) = 0;
};

// One drawing operation as the recording painter keeps it: the fields of
// its kind are set, the others keep their defaults.
struct DrawOp {
  enum class Kind { kLine, kFill, kText };
  Kind kind = Kind::kLine;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, width = 0;  // a line
  Rect rect;                                      // a fill or a text
  std::uint32_t colour = 0;                       // a fill
  runtime::Text text;                             // a text
  TextFormat format;
  friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// Keeps every operation in order.
class RecordingPainter : public Painter {
 public:
  void Line(int x1, int y1, int x2, int y2, int width) override;
  void Fill(const Rect& rect, std::uint32_t colour) override;
  void Text(const Rect& rect, std::string_view text, const TextFormat& format) override;

  const std::vector<DrawOp>& ops() const { return ops_; }
  // Replays the operations on `painter`.
  void ReplayOn(Painter& painter) const;

 private:
  std::vector<DrawOp> ops_;
};

}  // namespace report
