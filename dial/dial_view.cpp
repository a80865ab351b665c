#include "dial/dial_view.h"

#include <QPainter>

namespace tovira {

DialView::DialView(QWidget* parent) : QWidget(parent) {}

void DialView::setSurface(const DialSurface* surface) {
  surface_ = surface;
  updateGeometry();
  update();
}

QSize DialView::sizeHint() const { return surface_ != nullptr ? surface_->image().size() : QWidget::sizeHint(); }

void DialView::paintEvent(QPaintEvent* /*event*/) {
  if (surface_ == nullptr) return;
  QPainter painter(this);
  painter.drawImage(0, 0, surface_->image());
}

}  // namespace tovira
