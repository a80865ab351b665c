#include "window/lap_list_accessible.h"

#include "window/lap_list_view.h"

#include <QAbstractItemView>
#include <QPointer>
#include <QWindow>

namespace tovira {
namespace {

// One line of the list.
class LapLineAccessible final : public QAccessibleInterface {
 public:
  LapLineAccessible(QAbstractItemView* view, int row) : view_(view), row_(row) {}

  bool isValid() const override { return view_ && view_->model() && row_ < view_->model()->rowCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }

  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return {};
    return index().data(Qt::AccessibleTextRole).toString();
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect line = view_->visualRect(index()).intersected(view_->viewport()->rect());
    return line.isEmpty() ? QRect() : QRect(view_->viewport()->mapToGlobal(line.topLeft()), line.size());
  }

  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.selectable = true;
    state.focusable = true;
    state.selected = view_->selectionModel()->isRowSelected(row_, {});
    state.focused = view_->hasFocus() && view_->currentIndex().row() == row_;
    if (rect().isEmpty()) state.invisible = state.offscreen = true;
    return state;
  }

  int row() const { return row_; }

 private:
  QModelIndex index() const { return view_->model()->index(row_, 0); }

  QPointer<QAbstractItemView> view_;
  int row_;
};

QAccessibleInterface* LapListFactory(const QString& className, QObject* object) {
  if (className != QLatin1String(LapListView::staticMetaObject.className())) return nullptr;
  return new LapListAccessible(static_cast<LapListView*>(object));
}

}  // namespace

LapListAccessible::LapListAccessible(QAbstractItemView* view) : QAccessibleWidget(view, QAccessible::List) {
  // Lines are only added at the end or all cleared; a cleared list forgets their interfaces.
  QObject::connect(view->model(), &QAbstractItemModel::modelReset, view, [this] { forgetLines(); });
  QObject::connect(view->model(), &QAbstractItemModel::rowsRemoved, view, [this] { forgetLines(); });
}

LapListAccessible::~LapListAccessible() { forgetLines(); }

void LapListAccessible::install() {
  static const bool installed = [] {
    QAccessible::installFactory(LapListFactory);
    return true;
  }();
  (void)installed;
}

QAbstractItemView* LapListAccessible::view() const { return static_cast<QAbstractItemView*>(widget()); }

int LapListAccessible::childCount() const { return view()->model() ? view()->model()->rowCount() : 0; }

QAccessibleInterface* LapListAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  if (const auto known = lines_.constFind(index); known != lines_.constEnd()) {
    return QAccessible::accessibleInterface(*known);
  }
  auto* line = new LapLineAccessible(view(), index);
  lines_.insert(index, QAccessible::registerAccessibleInterface(line));
  return line;
}

int LapListAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr || child->role() != QAccessible::ListItem || child->parent() != this) return -1;
  return static_cast<const LapLineAccessible*>(child)->row();
}

QAccessibleInterface* LapListAccessible::childAt(int x, int y) const {
  const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
  const QModelIndex index = view()->indexAt(at);
  return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* LapListAccessible::focusChild() const {
  if (!view()->hasFocus() || !view()->currentIndex().isValid()) return nullptr;
  return child(view()->currentIndex().row());
}

void LapListAccessible::forgetLines() {
  for (const QAccessible::Id id : std::as_const(lines_)) QAccessible::deleteAccessibleInterface(id);
  lines_.clear();
}

}  // namespace tovira
