#pragma once
// The lines of the lap list. Lines are only ever cleared or added at the end.
//
// They are shown with some characters replaced by stand-ins of the same meaning
// where the list's font cannot draw the locale's own separators one cell wide;
// screen readers read the lines as written.

#include "display/time_formats.h"

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

  void setStandIns(CharacterStandIns standIns);

 private:
  QString shown(const QString& line) const;

  QStringList lines_;
  CharacterStandIns standIns_;
};

}  // namespace tovira
