#include "window/lap_list_model.h"

namespace tovira {

int LapListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LapListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= lines_.size()) return {};
  if (role == Qt::DisplayRole) return shown(lines_.at(index.row()));
  if (role == Qt::AccessibleTextRole) return lines_.at(index.row());
  return {};
}

QString LapListModel::shown(const QString& line) const {
  if (standIns_.empty()) return line;
  const std::u16string text = WithStandIns(line.toStdU16String(), standIns_);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void LapListModel::setStandIns(CharacterStandIns standIns) {
  if (standIns == standIns_) return;
  standIns_ = std::move(standIns);
  if (!lines_.isEmpty()) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
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
