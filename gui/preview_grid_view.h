// The grid unit on screen: the whole table drawn as it prints, its columns
// sharing the grid's width, over faint
// guide lines that show where the cells are, with scroll bars when the table
// is larger than the grid.
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
  // The size the whole table takes, in pixels.
  QSize TableSize() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  double PixelsPerTenth() const;
  // The width the table is drawn across, tenths of a millimetre.
  int DrawWidth() const;
  void UpdateScrollBars();

  const report::Table* table_ = nullptr;
};

}  // namespace gui
