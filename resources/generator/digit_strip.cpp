#include <QPainter>
#include <QTransform>

#include <algorithm>

#include "resources/artwork.h"
#include "resources/generator/artwork_generator.h"

namespace tovira::artwork {
namespace {

constexpr qreal kDigitHeight = 19;  // pixels of the 1x strip, of a 30-pixel cell
constexpr qreal kEmbolden = 0.5;    // outline width that thickens the strokes

// The digit's outline, kDigitHeight high, centred on (0, 0). All digits share the
// vertical placement of "0" so that a label's two digits stand on one baseline.
QPainterPath DigitShape(int digit) {
  const QRectF zero = LetteringPath(QStringLiteral("0"), 1).boundingRect();
  const qreal scale = kDigitHeight / zero.height();
  QPainterPath path = LetteringPath(QString::number(digit), 1);
  const qreal dx = -path.boundingRect().center().x();
  const qreal dy = -zero.center().y();
  return QTransform::fromScale(scale, scale).translate(dx, dy).map(path);
}

// Steepens the smoothed edges: greys near black or white snap to them, so the
// strokes read crisp at 1x while curves keep a pixel of smoothing.
void SharpenEdges(QImage& image) {
  constexpr int kBlackBelow = 64;
  constexpr int kWhiteAbove = 208;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grey = std::clamp((qGray(line[x]) - kBlackBelow) * 255 / (kWhiteAbove - kBlackBelow), 0, 255);
      line[x] = qRgb(grey, grey, grey);
    }
  }
}

}  // namespace

QImage DrawDigitStrip(int scale) {
  QImage image(kDigitCount * kDigitCellWidth * scale, kDigitCellHeight * scale, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setBrush(Qt::black);
  p.setPen(QPen(Qt::black, kEmbolden, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  for (int digit = 0; digit < kDigitCount; ++digit) {
    const QPointF cellCentre(DigitCellLeft(digit) + kDigitCellWidth / 2.0, kDigitCellHeight / 2.0);
    p.drawPath(DigitShape(digit).translated(cellCentre));
  }
  p.end();
  SharpenEdges(image);
  return image;
}

}  // namespace tovira::artwork
