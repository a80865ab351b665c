#pragma once
// The dial area on screen: shows the picture of a DialSurface at its top-left
// corner. It only displays; the surface keeps the painting, the window handles
// the mouse and decides when to repaint.

#include "window/dial_surface.h"

#include <QWidget>

namespace tovira {

class DialView : public QWidget {
  Q_OBJECT

 public:
  explicit DialView(QWidget* parent = nullptr);

  // The surface must outlive the view or be replaced first; nullptr shows nothing.
  void setSurface(const DialSurface* surface);

  QSize sizeHint() const override;

  // What the dial shows, for screen readers; read when they ask, without an event.
  void setLiveAccessibleName(const QString& name) { liveName_ = name; }
  QString liveAccessibleName() const { return liveName_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const DialSurface* surface_ = nullptr;
  QString liveName_;
};

}  // namespace tovira
