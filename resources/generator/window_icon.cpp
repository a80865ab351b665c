#include <QPainter>
#include <QtMath>

#include "resources/generator/artwork_generator.h"

namespace tovira::artwork {
namespace {

// The icon is designed on a 256-unit square and scaled to each size.
constexpr qreal kDesign = 256;
// Lengths are multiples of 16 where they can be, so the 16-pixel icon lands on whole pixels.
constexpr QPointF kCentre(128, 144);
constexpr qreal kBodyRadius = 112;
constexpr qreal kElapsedDegrees = 130;  // the run shown: from 12 o'clock clockwise

const QColor kBody(0x2b, 0x2e, 0x33);
const QColor kAccent(0xe8, 0x69, 0x2a);

QPointF Polar(qreal radius, qreal degreesClockwiseFromTop) {
  const qreal a = qDegreesToRadians(degreesClockwiseFromTop);
  return kCentre + QPointF(radius * qSin(a), -radius * qCos(a));
}

// Small icons get a bolder case and hand and fewer marks, so they do not blur.
struct Detail {
  qreal faceRadius;
  int marks;
  qreal handWidth;
};

Detail DetailFor(int size) {
  if (size <= 16) {
    return {80, 0, 24};
  }
  if (size <= 32) {
    return {88, 4, 16};
  }
  return {92, 12, 12};
}

void DrawCase(QPainter& p, const Detail& detail) {
  p.setPen(Qt::NoPen);
  p.setBrush(kBody);
  p.drawRoundedRect(QRectF(96, 0, 64, 20), 6, 6);  // push button
  p.drawRect(QRectF(112, 16, 32, 24));             // stem
  p.save();
  p.translate(kCentre);
  p.rotate(45);
  p.drawRoundedRect(QRectF(-14, -kBodyRadius - 12, 28, 28), 6, 6);  // side button
  p.restore();
  p.drawEllipse(kCentre, kBodyRadius, kBodyRadius);
  p.setBrush(Qt::white);
  p.drawEllipse(kCentre, detail.faceRadius, detail.faceRadius);
}

void DrawMarks(QPainter& p, const Detail& detail) {
  p.setPen(QPen(kBody, 8, Qt::SolidLine, Qt::FlatCap));
  for (int i = 0; i < detail.marks; ++i) {
    const qreal degrees = 360.0 * i / detail.marks;
    p.drawLine(Polar(detail.faceRadius - 18, degrees), Polar(detail.faceRadius - 4, degrees));
  }
}

void DrawElapsedAndHand(QPainter& p, const Detail& detail) {
  const qreal r = detail.faceRadius - (detail.marks > 0 ? 22 : 8);
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  // drawPie counts sixteenths of a degree anticlockwise from 3 o'clock.
  p.drawPie(QRectF(kCentre.x() - r, kCentre.y() - r, 2 * r, 2 * r), 90 * 16,
            static_cast<int>(-kElapsedDegrees * 16));
  p.setPen(QPen(kBody, detail.handWidth, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(kCentre, Polar(detail.faceRadius - 10, kElapsedDegrees));
  p.setPen(Qt::NoPen);
  p.setBrush(kBody);
  p.drawEllipse(kCentre, detail.handWidth + 2, detail.handWidth + 2);
}

}  // namespace

QImage DrawWindowIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / kDesign, size / kDesign);
  const Detail detail = DetailFor(size);
  DrawCase(p, detail);
  DrawMarks(p, detail);
  DrawElapsedAndHand(p, detail);
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace tovira::artwork
