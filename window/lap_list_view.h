#pragma once
// The lap list: one line per record in a single column. A table view rather than a
// list view: it places rows by a fixed row height, so adding one line to a list of
// a hundred thousand does not lay all the others out again.
//
// It selects as a single-selection list box does: the left button selects the line
// under the pointer (a double click's second press too), Shift and Ctrl make no
// difference, and the other buttons leave the selection alone. The selection moves
// first; only then does the window see the press, so a lap recorded by pressing on
// the list still ends with its newest line selected.

#include <QAccessible>
#include <QTableView>

namespace tovira {

class LapListView final : public QTableView {
  Q_OBJECT

 public:
  explicit LapListView(QWidget* parent);

  void setFont(const QFont& font);

 signals:
  void mousePressed(QMouseEvent* event);
  void mouseDoubleClicked(QMouseEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;
  // Screen readers hear of the current line only while the list has the focus, and
  // of lines by their place in the list, not in a table with headers.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void announceLine(QAccessible::Event event, int row);
};

}  // namespace tovira
