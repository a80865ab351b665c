#pragma once
// The lap list. A press selects a line as in any list first; only then does the
// window see the press, so a lap recorded by pressing on the list still ends with
// its newest line selected.

#include <QListView>

namespace tovira {

class LapListView final : public QListView {
  Q_OBJECT

 public:
  using QListView::QListView;

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
