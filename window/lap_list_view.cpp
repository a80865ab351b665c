#include "window/lap_list_view.h"

namespace tovira {

void LapListView::mousePressEvent(QMouseEvent* event) {
  QListView::mousePressEvent(event);
  emit mousePressed(event);
}

void LapListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  emit mouseDoubleClicked(event);
}

}  // namespace tovira
