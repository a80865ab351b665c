#pragma once
// The lap list: one line per record in a single column. A table view rather than a
// list view: it places rows by a fixed row height, so adding one line to a list of
// a hundred thousand does not lay all the others out again.
//
// A press selects a line as in any list first; only then does the window see the
// press, so a lap recorded by pressing on the list still ends with its newest line
// selected.

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
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool inDoubleClick_ = false;
};

}  // namespace tovira
