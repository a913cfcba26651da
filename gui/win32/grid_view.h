// The grid unit on screen in the native windows: the whole table drawn as it
// prints, through the report painter's drawing operations on the window's
// device context, its columns sharing the grid's width, over faint guide
// lines that show where the cells are. A table larger than the grid is drawn
// smaller, down to kLeastZoom of its printed size, so that a receipt of a
// few items shows whole; beyond that the grid scrolls, down by whole rows.
// The same behaviour as the Qt desktop's grid.
#pragma once

#include <windows.h>

#include "report/table.h"

namespace gui::win32 {

class GridView {
 public:
  // Draws into `control`, a child window with scroll bars of its own whose
  // paint, size and scroll messages are handed to Message.
  explicit GridView(HWND control) : control_(control) {}

  // Shows `table` (nullptr for none) and redraws; it must outlive the view
  // or be replaced first. Call again whenever the table has changed.
  void SetTable(const report::Table* table);
  // A message of the control; true when taken (`result` is then the answer).
  bool Message(UINT message, WPARAM wparam, LRESULT& result);

  // How much smaller than printed the table is drawn (1: as printed).
  double zoom() const { return zoom_; }
  // The row shown at the top (0-based).
  int TopRow() const { return top_row_; }

  static constexpr double kLeastZoom = 0.6;

 private:
  double PixelsPerTenth() const;
  // The room inside the frame, scroll bars or not.
  SIZE Inside() const;
  // The width the table is drawn across, tenths of a millimetre.
  int DrawWidth() const;
  // The size the whole table takes, in pixels, as it is drawn now.
  SIZE TableSize() const;
  // The height of the rows above `row`, in tenths of a millimetre.
  double RowsHeight(int row) const;
  void UpdateScrollBars();
  void Paint();
  void Scroll(int bar, int code);

  HWND control_;
  const report::Table* table_ = nullptr;
  std::size_t shown_rows_ = 0;
  double zoom_ = 1;
  int top_row_ = 0;
  int left_ = 0;  // pixels scrolled to the right
  bool updating_ = false;
};

}  // namespace gui::win32
