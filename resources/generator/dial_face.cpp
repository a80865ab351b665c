#include <QPainter>
#include <QPolygonF>
#include <QtMath>

#include "resources/artwork.h"
#include "resources/generator/artwork_generator.h"

namespace tovira::artwork {
namespace {

// Geometry in pixels of the 1x face. The centre lies on the corner shared by pixels
// (124,124) and (125,125), so a 2-pixel tick straight up fills columns 124 and 125.
constexpr QPointF kCentre(kDialFaceSize / 2.0, kDialFaceSize / 2.0);
constexpr qreal kFaceRadius = 124.5;
constexpr qreal kOuterCircle = 118;  // bounds the fine ticks, where the hand's main stroke ends
constexpr qreal kInnerCircle = 112;
// The long tick at 12 o'clock fills rows 13 to 18; a little further in, the long ticks
// at 60 degrees and its multiples would reach into the squares of the side labels.
constexpr qreal kLongTickEnd = 106.4;
constexpr int kFineTicks = 144;      // one every 2.5 degrees
constexpr int kFinePerMedium = 3;    // every 7.5 degrees
constexpr int kFinePerLong = 6;      // every 15 degrees

const QColor kInk(Qt::black);
const QColor kSurround(0xe4, 0xe4, 0xe4);
const QColor kBezel(0x8c, 0x8c, 0x8c);

QPointF Polar(qreal radius, qreal degreesClockwiseFromTop) {
  const qreal a = qDegreesToRadians(degreesClockwiseFromTop);
  return kCentre + QPointF(radius * qSin(a), -radius * qCos(a));
}

// A straight tick of the given width from radius r0 out to r1.
QPolygonF TickShape(qreal degrees, qreal r0, qreal r1, qreal width) {
  const qreal a = qDegreesToRadians(degrees);
  const QPointF side(width / 2 * qCos(a), width / 2 * qSin(a));
  return QPolygonF({Polar(r0, degrees) - side, Polar(r1, degrees) - side, Polar(r1, degrees) + side,
                    Polar(r0, degrees) + side});
}

// A ring one pixel wide centred on the radius.
QPainterPath Ring(qreal radius) {
  QPainterPath path;
  path.addEllipse(kCentre, radius + 0.5, radius + 0.5);
  path.addEllipse(kCentre, radius - 0.5, radius - 0.5);
  return path;
}

void DrawFaceDisc(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kBezel, 1));
  p.setBrush(Qt::white);
  p.drawEllipse(kCentre, kFaceRadius - 0.5, kFaceRadius - 0.5);
}

// Ticks and circles are drawn aliased so that every inked pixel is pure black.
void DrawTicks(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawPath(Ring(kOuterCircle));
  p.drawPath(Ring(kInnerCircle));
  for (int i = 0; i < kFineTicks; ++i) {
    const qreal degrees = 360.0 * i / kFineTicks;
    const bool major = i % kFinePerLong == 0;
    const qreal width = major ? 2 : 1;
    p.drawPolygon(TickShape(degrees, kOuterCircle, kFaceRadius, width));
    if (i % kFinePerMedium == 0) {
      p.drawPolygon(TickShape(degrees, kInnerCircle, kOuterCircle, width));
    }
    if (major) {
      p.drawPolygon(TickShape(degrees, kLongTickEnd, kInnerCircle, width));
    }
  }
}

// The 12 o'clock cross, just below the place of the top label.
void DrawTopCross(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  constexpr qreal kMiddle = 53;
  constexpr qreal kArm = 4;
  p.drawRect(QRectF(kCentre.x() - 1, kMiddle - kArm - 1, 2, 2 * kArm + 2));
  p.drawRect(QRectF(kCentre.x() - kArm - 1, kMiddle - 1, 2 * kArm + 2, 2));
}

// A short strip of film: perforated edges round one frame holding a play mark.
void DrawEmblem(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  const QRectF strip(kCentre.x() - 17, 62, 34, 21);
  p.setBrush(kInk);
  p.drawRoundedRect(strip, 2, 2);

  p.setBrush(Qt::white);
  constexpr int kHoles = 6;
  constexpr qreal kHole = 2.5;
  const qreal pitch = strip.width() / kHoles;
  for (int i = 0; i < kHoles; ++i) {
    const qreal x = strip.left() + pitch * (i + 0.5) - kHole / 2;
    p.drawRect(QRectF(x, strip.top() + 1.5, kHole, kHole));
    p.drawRect(QRectF(x, strip.bottom() - 1.5 - kHole, kHole, kHole));
  }
  const QRectF frame(strip.left() + 3, strip.top() + 5.5, strip.width() - 6, strip.height() - 11);
  p.drawRect(frame);

  p.setBrush(kInk);
  const QPointF c = frame.center();
  p.drawPolygon(QPolygonF({c + QPointF(-2.5, -3.5), c + QPointF(3.5, 0), c + QPointF(-2.5, 3.5)}));
}

void DrawLettering(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setBrush(kInk);
  // The wordmark is emboldened by outlining it in its own ink.
  p.setPen(QPen(kInk, 0.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(LetteringPath(QStringLiteral("TOVIRA"), 11, 0.28).translated(kCentre.x(), 104));
  p.setPen(Qt::NoPen);
  p.drawPath(LetteringPath(QStringLiteral("1/24 SEC"), 8, 0.12).translated(kCentre.x(), 154));
  p.drawPath(LetteringPath(QStringLiteral("FRAME TIMER"), 5, 0.3).translated(kCentre.x(), 168));
}

}  // namespace

QImage DrawDialFace(int scale) {
  QImage image(kDialFaceSize * scale, kDialFaceSize * scale, QImage::Format_RGB32);
  image.fill(kSurround);
  QPainter p(&image);
  p.scale(scale, scale);
  DrawFaceDisc(p);
  DrawTicks(p);
  DrawTopCross(p);
  DrawEmblem(p);
  DrawLettering(p);
  return image;
}

}  // namespace tovira::artwork
