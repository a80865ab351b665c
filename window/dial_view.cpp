#include "window/dial_view.h"

#include "window/live_accessible_name.h"

#include <QPainter>

namespace tovira {

DialView::DialView(QWidget* parent) : QWidget(parent) {
  InstallLiveNameAccessible<DialView, QAccessible::Graphic>();
  // The picture covers the whole area: nothing beneath it needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void DialView::setSurface(const DialSurface* surface) {
  surface_ = surface;
  updateGeometry();
  update();
}

QSize DialView::sizeHint() const {
  return surface_ != nullptr ? surface_->image().deviceIndependentSize().toSize() : QWidget::sizeHint();
}

void DialView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QImage* picture = surface_ != nullptr ? &surface_->image() : nullptr;
  if (picture == nullptr || !QRect(QPoint(0, 0), picture->deviceIndependentSize().toSize()).contains(rect())) {
    painter.fillRect(rect(), palette().window());
  }
  // At the logical size: a picture made for this screen's pixel ratio is copied 1:1.
  if (picture != nullptr) painter.drawImage(0, 0, *picture);
}

}  // namespace tovira
