// The grid unit on screen: the whole table drawn as it prints, its columns
// sharing the grid's width, over faint guide lines that show where the
// cells are. A table larger than the grid is
// drawn smaller, down to kLeastZoom of its printed size, so that a receipt
// of a few items shows whole; beyond that the grid scrolls, down by whole
// rows.
#pragma once

#include <QAbstractScrollArea>

#include "report/table.h"

namespace gui {

class GridView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit GridView(QWidget* parent = nullptr);

  // Shows `table` (nullptr for none) and redraws; it must outlive the view
  // or be replaced first. Call again whenever the table has changed.
  void SetTable(const report::Table* table);

  QSize sizeHint() const override;
  // The size the whole table takes, in pixels, as it is drawn now.
  QSize TableSize() const;
  // How much smaller than printed the table is drawn (1: as printed).
  double zoom() const { return zoom_; }
  // The row shown at the top (0-based).
  int TopRow() const;

  static constexpr double kLeastZoom = 0.6;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  double PixelsPerTenth() const;
  // The width the table is drawn across, tenths of a millimetre.
  int DrawWidth() const;
  void UpdateScrollBars();
  // The height of the rows above `row`, in tenths of a millimetre.
  double RowsHeight(int row) const;

  const report::Table* table_ = nullptr;
  std::size_t shown_rows_ = 0;
  double zoom_ = 1;
};

}  // namespace gui
