#pragma once
// The pictures the window carries: the dial face, the digit strip and the window icon.
// They are embedded in the program; the generator under resources/generator draws them.

#include "dial/artwork_layout.h"

#include <QIcon>
#include <QImage>

namespace tovira {

// The pictures for a screen of the given device pixel ratio: from 1.5 upwards the
// double-resolution version, with its device pixel ratio set to 2.
QImage DialFaceImage(qreal devicePixelRatio = 1);
QImage DigitStripImage(qreal devicePixelRatio = 1);

QIcon WindowIcon();

}  // namespace tovira
