#include "window/repaint_pacer.h"

#include <QScreen>

#include <algorithm>
#include <cmath>

namespace tovira {

RepaintPacer::RepaintPacer(QWidget* window) : QObject(window), window_(window) {
  deferred_.setSingleShot(true);
  deferred_.setTimerType(Qt::PreciseTimer);
  connect(&deferred_, &QTimer::timeout, this, &RepaintPacer::flush);
}

int RepaintPacer::intervalMs() const {
  const QScreen* screen = window_->screen();
  const double rate = screen ? screen->refreshRate() : 0.0;
  const double hertz = rate >= 1.0 ? rate : 60.0;
  return std::max(1, static_cast<int>(std::ceil(1000.0 / hertz)));
}

void RepaintPacer::schedule(QWidget* widget) {
  if (std::find(pending_.begin(), pending_.end(), widget) == pending_.end()) pending_.emplace_back(widget);
  if (deferred_.isActive()) return;
  const int interval = intervalMs();
  const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : interval;
  if (since >= interval) {
    flush();
  } else {
    deferred_.start(static_cast<int>(interval - since));
  }
}

void RepaintPacer::flush() {
  for (const auto& widget : pending_) {
    if (widget) widget->update();
  }
  pending_.clear();
  sinceFlush_.restart();
}

}  // namespace tovira
