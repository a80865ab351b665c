#pragma once
// A synthetic dial for the tests: a white face with a few marked pixels, and a
// digit strip in which every pixel is distinct (red = column, green = row), so a
// copied cell shows exactly where in the strip it came from.

#include "dial/dial_drawing.h"
#include "dial/dial_surface.h"

#include <QImage>

#include <array>
#include <string>

namespace tovira::testing {

constexpr int kFaceSize = 250;
constexpr QRgb kFaceWhite = 0xFFFFFFFF;
constexpr QRgb kFaceMark = 0xFF102030;
constexpr std::array<QPoint, 4> kMarkedPixels{{{0, 0}, {124, 15}, {249, 249}, {60, 200}}};

constexpr std::uint32_t kHandBgr = 0x00FF00FF;  // magenta; no strip pixel has this colour
constexpr QRgb kHandRgb = 0xFFFF00FF;
constexpr QRgb kShadowRgb = 0xFF7E7E7E;

inline QRgb StripPixel(int x, int y) { return qRgb(x, y, 77); }

inline QImage MakeFace() {
  QImage face(kFaceSize, kFaceSize, QImage::Format_RGB32);
  face.fill(kFaceWhite);
  for (const QPoint p : kMarkedPixels) face.setPixel(p, kFaceMark);
  return face;
}

inline QImage MakeStrip() {
  QImage strip(150, 30, QImage::Format_RGB32);
  for (int y = 0; y < strip.height(); ++y) {
    for (int x = 0; x < strip.width(); ++x) strip.setPixel(x, y, StripPixel(x, y));
  }
  return strip;
}

inline DialSurface MakeSurface(TwipsPerPixel tpp = {15.0, 15.0}) { return DialSurface(MakeFace(), MakeStrip(), tpp); }

inline HandSettings Settings(std::int32_t scale, TwipsPerPixel tpp = {15.0, 15.0}) {
  return {scale, kHandBgr, kFaceSize * tpp.x, kFaceSize * tpp.y};
}

// Top-left pixels of the six label places, clockwise from the top.
constexpr std::array<QPoint, 6> kPlaces{{{110, 15}, {187, 62}, {187, 157}, {110, 201}, {33, 157}, {33, 62}}};

// The digit shown by the 15 x 30 cell at `origin`: ' ' where the face is bare,
// '?' where the pixels are no exact strip cell. Hand pixels are passed over.
inline char ReadCell(const QImage& image, const QImage& face, QPoint origin) {
  int stripLeft = -1;
  for (int dy = 0; dy < 30; ++dy) {
    for (int dx = 0; dx < 15; ++dx) {
      const QPoint p = origin + QPoint(dx, dy);
      const QRgb pixel = image.pixel(p);
      if (pixel == kHandRgb || pixel == face.pixel(p)) continue;
      if (stripLeft < 0) stripLeft = qRed(pixel) - dx;
      if (stripLeft < 0 || stripLeft % 15 != 0 || pixel != StripPixel(stripLeft + dx, dy)) return '?';
    }
  }
  if (stripLeft < 0) return ' ';
  const int cell = stripLeft / 15;
  return cell == 9 ? '0' : static_cast<char>('1' + cell);
}

// The label at a place: "" when bare, else its two characters.
inline std::string ReadLabel(const QImage& image, int place) {
  const QImage face = MakeFace();
  const std::string text{ReadCell(image, face, kPlaces[place]), ReadCell(image, face, kPlaces[place] + QPoint(15, 0))};
  return text == "  " ? std::string() : text;
}

inline std::array<std::string, 6> ReadLabels(const QImage& image) {
  std::array<std::string, 6> labels;
  for (int place = 0; place < 6; ++place) labels[place] = ReadLabel(image, place);
  return labels;
}

}  // namespace tovira::testing
