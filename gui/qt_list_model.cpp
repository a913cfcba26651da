#include "gui/qt_list_model.h"

#include <QTimer>
#include <algorithm>

#include "platform/qt/qt_text.h"

namespace gui {

ListModel::ListModel(forms::ListView& list, QObject* parent)
    : QAbstractTableModel(parent), list_(&list), shown_rows_(list.row_count()) {}

void ListModel::Detach() {
  beginResetModel();
  list_ = nullptr;
  shown_rows_ = 0;
  reset_pending_ = false;
  endResetModel();
}

void ListModel::RowsChanged() {
  reset_pending_ = true;
  ScheduleFlush();
}

void ListModel::RowChanged(int row) {
  if (reset_pending_) return;
  first_changed_ = first_changed_ < 0 ? row : std::min(first_changed_, row);
  last_changed_ = std::max(last_changed_, row);
  ScheduleFlush();
}

void ListModel::ScheduleFlush() {
  if (flush_scheduled_) return;
  flush_scheduled_ = true;
  QTimer::singleShot(0, this, [this] { Flush(); });
}

void ListModel::Flush() {
  flush_scheduled_ = false;
  if (list_ == nullptr) return;
  if (reset_pending_) {
    beginResetModel();
    shown_rows_ = list_->row_count();
    reset_pending_ = false;
    endResetModel();
  } else if (first_changed_ >= 0 && first_changed_ < shown_rows_) {
    int last = std::min(last_changed_, shown_rows_ - 1);
    emit dataChanged(index(first_changed_, 0), index(last, columnCount() - 1));
  }
  first_changed_ = last_changed_ = -1;
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_rows_;
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || list_ == nullptr ? 0 : list_->column_count();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  // Until a pending reset is handed over the views may ask for rows that are
  // gone; they get nothing.
  if (list_ == nullptr || !index.isValid() || index.row() >= list_->row_count()) return {};
  if (role == Qt::DisplayRole)
    return platform::ToQString(list_->CellView(index.row(), index.column()));
  if (role == Qt::CheckStateRole && index.column() == 0 && list_->check_boxes()) {
    std::int32_t state = list_->StateImage(index.row());
    if (state == 0) return {};
    return state == 2 ? Qt::Checked : Qt::Unchecked;
  }
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (list_ == nullptr || orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= list_->column_count())
    return {};
  return platform::ToQString(list_->settings().columns[static_cast<std::size_t>(section)].title);
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (list_ != nullptr && index.column() == 0 && list_->check_boxes())
    flags |= Qt::ItemIsUserCheckable;
  return flags;
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (list_ == nullptr || role != Qt::CheckStateRole || index.column() != 0 ||
      index.row() >= list_->row_count())
    return false;
  list_->SetChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

}  // namespace gui
