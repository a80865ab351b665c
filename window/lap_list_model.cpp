#include "window/lap_list_model.h"

namespace tovira {

int LapListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LapListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= lines_.size()) return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return lines_.at(index.row());
  return {};
}

void LapListModel::clear() {
  if (lines_.isEmpty()) return;
  beginResetModel();
  lines_.clear();
  endResetModel();
}

void LapListModel::addLines(QStringList lines) {
  if (lines.isEmpty()) return;
  const auto first = static_cast<int>(lines_.size());
  beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
  lines_.append(std::move(lines));
  endInsertRows();
}

}  // namespace tovira
