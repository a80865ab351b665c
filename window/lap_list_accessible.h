#pragma once
// What screen readers see of the lap list: a list of its lines, one item per
// record, and nothing else. The table view underneath would show them a table,
// with row and column headers that mean nothing to the user.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>

class QAbstractItemView;

namespace tovira {

class LapListAccessible final : public QAccessibleWidget {
 public:
  explicit LapListAccessible(QAbstractItemView* view);
  ~LapListAccessible() override;

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  QAbstractItemView* view() const;

  // Installs the factory that gives every lap list this interface.
  static void install();

 private:
  void forgetLines();

  // Interfaces of the lines asked for so far, by row; the accessibility cache owns them.
  mutable QHash<int, QAccessible::Id> lines_;
};

}  // namespace tovira
