#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QTransform>

#include <stdexcept>

#include "resources/generator/artwork_generator.h"

namespace tovira::artwork {
namespace {

// Outlines are taken at a large size and scaled down, so hinting never shapes them.
constexpr int kOutlinePixelSize = 1000;

QFont LetteringFont() {
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(kOutlinePixelSize);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

}  // namespace

void RequireLetteringFont() {
  if (QFontInfo(LetteringFont()).family() != QStringLiteral("IPAGothic")) {
    throw std::runtime_error("font IPAGothic (Debian package fonts-ipafont-gothic) is not installed");
  }
}

QPainterPath LetteringPath(const QString& text, qreal capHeight, qreal letterSpacing) {
  const QFont font = LetteringFont();
  const QFontMetricsF metrics(font);
  const qreal scale = capHeight / metrics.capHeight();
  const qreal spacing = letterSpacing * capHeight / scale;

  QPainterPath path;
  qreal x = 0;
  for (const QChar c : text) {
    path.addText(x, 0, font, QString(c));
    x += metrics.horizontalAdvance(c) + spacing;
  }
  const qreal width = x - spacing;
  return QTransform::fromScale(scale, scale).translate(-width / 2, 0).map(path);
}

}  // namespace tovira::artwork
