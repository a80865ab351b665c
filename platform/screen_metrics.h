#pragma once
// The screen's twips per pixel, read from the platform each time it is needed.

#include "common/twips.h"

class QWidget;

namespace tovira {

// Of the screen the widget is on (the primary screen without a widget).
TwipsPerPixel ScreenTwipsPerPixel(const QWidget* widget = nullptr);

}  // namespace tovira
