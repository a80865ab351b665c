#pragma once
// The lines of the lap list. Lines are only ever cleared or added at the end.

#include <QAbstractListModel>
#include <QStringList>

namespace tovira {

class LapListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void clear();
  void addLines(QStringList lines);
  const QStringList& lines() const { return lines_; }

 private:
  QStringList lines_;
};

}  // namespace tovira
