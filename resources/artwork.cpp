#include "resources/artwork.h"

#include <QString>

namespace tovira {
namespace {

// Loads ":/images/<name>.png", or its "@2x" version for high-density screens.
QImage LoadScaled(const char* name, qreal devicePixelRatio) {
  const bool doubled = devicePixelRatio >= 1.5;
  QImage image(QStringLiteral(":/images/") + QLatin1String(name) + QLatin1String(doubled ? "@2x.png" : ".png"));
  // Painting copies rectangles between these pictures; one opaque format keeps that a plain copy.
  image = image.convertToFormat(QImage::Format_RGB32);
  image.setDevicePixelRatio(doubled ? 2 : 1);
  return image;
}

}  // namespace

QImage DialFaceImage(qreal devicePixelRatio) { return LoadScaled("dial_face", devicePixelRatio); }

QImage DigitStripImage(qreal devicePixelRatio) { return LoadScaled("digits", devicePixelRatio); }

QIcon WindowIcon() {
  QIcon icon;
  for (int size : kWindowIconSizes) {
    icon.addFile(QStringLiteral(":/images/icon_%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace tovira
