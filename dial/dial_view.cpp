#include "dial/dial_view.h"

#include <QPainter>

namespace tovira {

DialView::DialView(QWidget* parent) : QWidget(parent) {}

void DialView::setSurface(const DialSurface* surface) {
  surface_ = surface;
  updateGeometry();
  update();
}

QSize DialView::sizeHint() const {
  return surface_ != nullptr ? surface_->image().deviceIndependentSize().toSize() : QWidget::sizeHint();
}

void DialView::paintEvent(QPaintEvent* /*event*/) {
  if (surface_ == nullptr) return;
  // At the logical size: a picture made for this screen's pixel ratio is copied 1:1.
  QPainter painter(this);
  painter.drawImage(0, 0, surface_->image());
}

}  // namespace tovira
