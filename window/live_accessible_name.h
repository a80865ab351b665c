#pragma once
// A control whose name changes at every refresh of a running stopwatch (the time
// label, the dial) is read by screen readers when they ask for it: no event is
// sent for each change, which would flood them and drown what the user does.

#include <QAccessible>
#include <QAccessibleWidget>

namespace tovira {

// For a widget class that answers `QString liveAccessibleName() const`.
template <class Widget, QAccessible::Role kRole>
class LiveNameAccessible final : public QAccessibleWidget {
 public:
  explicit LiveNameAccessible(Widget* widget) : QAccessibleWidget(widget, kRole) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<const Widget*>(widget())->liveAccessibleName();
    return QAccessibleWidget::text(t);
  }
};

// Makes every widget of the class answer screen readers through LiveNameAccessible.
template <class Widget, QAccessible::Role kRole>
void InstallLiveNameAccessible() {
  static const bool installed = [] {
    QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
      if (className != QLatin1String(Widget::staticMetaObject.className()) || !object->isWidgetType()) return nullptr;
      return new LiveNameAccessible<Widget, kRole>(static_cast<Widget*>(object));
    });
    return true;
  }();
  (void)installed;
}

}  // namespace tovira
