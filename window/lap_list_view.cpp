#include "window/lap_list_view.h"

#include <QHeaderView>
#include <QScopedValueRollback>

namespace tovira {

LapListView::LapListView(QWidget* parent) : QTableView(parent) {
  horizontalHeader()->hide();
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void LapListView::setFont(const QFont& font) {
  QTableView::setFont(font);
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height());
}

void LapListView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  if (!inDoubleClick_) emit mousePressed(event);
}

// The list handles a double click away from its lines as a press of its own; that
// press is part of the double click, not one more for the window.
void LapListView::mouseDoubleClickEvent(QMouseEvent* event) {
  {
    const QScopedValueRollback inDoubleClick(inDoubleClick_, true);
    QTableView::mouseDoubleClickEvent(event);
  }
  emit mouseDoubleClicked(event);
}

}  // namespace tovira
