#pragma once
// The drawing routines of generate_artwork. Each takes the pixel scale (1, or 2 for
// high-density screens) and returns the finished picture.

#include <QByteArray>
#include <QImage>
#include <QPainterPath>
#include <QString>

namespace tovira::artwork {

QImage DrawDialFace(int scale);
QImage DrawDigitStrip(int scale);
QImage DrawWindowIcon(int size);

// A RIFF/WAVE file: one second of 16-bit mono PCM at 44100 Hz with a tick at its start.
QByteArray MakeTickWave();

// Outline of text in the lettering font, scaled so that a capital letter (or a digit)
// is capHeight high, with its baseline on y = 0 and horizontally centred on x = 0.
// letterSpacing is extra room between letters, relative to capHeight.
QPainterPath LetteringPath(const QString& text, qreal capHeight, qreal letterSpacing = 0);

// Throws std::runtime_error when the lettering font is not installed: other fonts
// would silently change the committed pictures.
void RequireLetteringFont();

}  // namespace tovira::artwork
