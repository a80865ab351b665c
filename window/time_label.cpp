#include "window/time_label.h"

#include "window/repaint_pacer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace tovira {
namespace {

// Screen readers read the time when they ask for it, without an event per millisecond.
class TimeLabelAccessible final : public QAccessibleWidget {
 public:
  explicit TimeLabelAccessible(TimeLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<const TimeLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* TimeLabelAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("tovira::TimeLabel") && object->isWidgetType()) {
    return new TimeLabelAccessible(static_cast<TimeLabel*>(object));
  }
  return nullptr;
}

}  // namespace

TimeLabel::TimeLabel(const QString& text, RepaintPacer& pacer, QWidget* parent)
    : QWidget(parent), text_(text), pacer_(pacer) {
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(TimeLabelAccessibleFactory);
    return true;
  }();
  (void)factoryInstalled;
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TimeLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  pacer_.schedule(this);
}

void TimeLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}

}  // namespace tovira
