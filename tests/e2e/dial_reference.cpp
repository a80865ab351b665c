// Writes the picture the dial shows at rest (labels 1 to 6, the hand at 0) as the
// program composes it at a device pixel ratio, for the end-to-end tests to compare
// with what is on the screen:
//   dial_reference RATIO HAND_COLOUR OUT.png
// The screen is Xvfb's at 96 dpi: 15 twips per pixel.

#include "dial/dial_drawing.h"
#include "window/dial_surface.h"
#include "dial/hand_color.h"
#include "resources/artwork.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s RATIO HAND_COLOUR OUT.png\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const qreal ratio = std::strtod(argv[1], nullptr);
  tovira::DialSurface dial(tovira::DialFaceImage(ratio), tovira::DigitStripImage(ratio), tovira::TwipsPerPixel{15, 15});
  const tovira::HandSettings hand{1, tovira::HandColorFromText(argv[2]), 3750, 3750};
  tovira::RefreshDial(dial, 0, hand);
  return dial.image().save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
