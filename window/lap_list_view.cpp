#include "window/lap_list_view.h"

#include <QScopedValueRollback>

namespace tovira {

void LapListView::mousePressEvent(QMouseEvent* event) {
  QListView::mousePressEvent(event);
  if (!inDoubleClick_) emit mousePressed(event);
}

// The list handles a double click away from its lines as a press of its own; that
// press is part of the double click, not one more for the window.
void LapListView::mouseDoubleClickEvent(QMouseEvent* event) {
  {
    const QScopedValueRollback inDoubleClick(inDoubleClick_, true);
    QListView::mouseDoubleClickEvent(event);
  }
  emit mouseDoubleClicked(event);
}

}  // namespace tovira
