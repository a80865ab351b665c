#include "window/lap_list_view.h"

#include "window/lap_list_accessible.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace tovira {
namespace {

bool SelectsWith(const QMouseEvent& event) {
  return event.type() == QEvent::MouseMove ? event.buttons() == Qt::LeftButton : event.button() == Qt::LeftButton;
}

}  // namespace

LapListView::LapListView(QWidget* parent) : QTableView(parent) {
  LapListAccessible::install();
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
  // Tab goes on to the next control, as from every other one, not to the next line.
  setTabKeyNavigation(false);
  setDragEnabled(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void LapListView::setFont(const QFont& font) {
  QTableView::setFont(font);
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height());
}

void LapListView::mousePressEvent(QMouseEvent* event) {
  if (SelectsWith(*event)) QTableView::mousePressEvent(event);
  event->accept();
  emit mousePressed(event);
}

void LapListView::mouseReleaseEvent(QMouseEvent* event) {
  if (SelectsWith(*event)) QTableView::mouseReleaseEvent(event);
}

void LapListView::mouseMoveEvent(QMouseEvent* event) {
  if (SelectsWith(*event)) QTableView::mouseMoveEvent(event);
}

// The second press of a double click selects as the first did, wherever the lines
// have moved meanwhile; the window then sees the double click, not one more press.
void LapListView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (SelectsWith(*event)) QTableView::mousePressEvent(event);
  event->accept();
  emit mouseDoubleClicked(event);
}

QItemSelectionModel::SelectionFlags LapListView::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const {
  if (!index.isValid() || (event && event->type() == QEvent::MouseButtonRelease)) {
    return QItemSelectionModel::NoUpdate;
  }
  return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void LapListView::announceLine(QAccessible::Event type, int row) {
  if (!QAccessible::isActive() || row < 0) return;
  QAccessibleEvent event(this, type);
  event.setChild(row);
  QAccessible::updateAccessibility(&event);
}

void LapListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QAbstractItemView::currentChanged(current, previous);
  if (hasFocus() && current.isValid()) announceLine(QAccessible::Focus, current.row());
}

void LapListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QAbstractItemView::selectionChanged(selected, deselected);
  for (const QModelIndex& index : selected.indexes()) announceLine(QAccessible::SelectionAdd, index.row());
  for (const QModelIndex& index : deselected.indexes()) announceLine(QAccessible::SelectionRemove, index.row());
}

void LapListView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  announceLine(QAccessible::Focus, currentIndex().row());
}

}  // namespace tovira
