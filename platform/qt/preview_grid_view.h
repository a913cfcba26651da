// The grid unit on screen: the whole table drawn as it prints, over faint
// guide lines that show where the cells are.
#pragma once

#include <QWidget>

#include "report/table.h"

namespace platform {

class GridView : public QWidget {
  Q_OBJECT

 public:
  explicit GridView(QWidget* parent = nullptr);

  // Shows `table` (nullptr for none); it must outlive the view or be
  // replaced first. Call update() when it changes.
  void SetTable(const report::Table* table);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double PixelsPerTenth() const;

  const report::Table* table_ = nullptr;
};

}  // namespace platform
