// A list view unit as a Qt table model. The unit holds the rows; the model
// only reads them. Changes are gathered and handed to the view once control
// is back in the event loop: any number of inserted rows is one reset, any
// number of changed rows one dataChanged, so filling 100 000 rows stays fast.
#pragma once

#include <QAbstractTableModel>
#include <QFont>

#include "forms/units/list_view.h"

namespace gui {

class ListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ListModel(forms::ListView& list, QObject* parent = nullptr);
  // The unit is going away: the model shows nothing from now on.
  void Detach();

  // The unit's rows were inserted or removed / one row changed.
  void RowsChanged();
  void RowChanged(int row);
  // Hands the gathered changes to the views now.
  void Flush();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // The user ticks or clears a check box: the unit raises its event.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  void ScheduleFlush();

  forms::ListView* list_;
  int shown_rows_ = 0;  // the row count the views know
  bool reset_pending_ = false;
  int first_changed_ = -1, last_changed_ = -1;
  bool flush_scheduled_ = false;
};

}  // namespace gui
