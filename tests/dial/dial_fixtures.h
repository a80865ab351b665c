#pragma once
// A synthetic dial for the tests: a white face with a few marked pixels, and a
// digit strip in which every pixel is distinct (the column in red and blue, the
// row in green), so a copied cell shows exactly where in the strip it came from.
// Both come at a device pixel ratio of 1 or 2, as the real artwork does.

#include "dial/dial_drawing.h"
#include "window/dial_surface.h"

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

// A double-resolution strip is 300 columns wide, so the column spills into blue.
inline QRgb StripPixel(int x, int y) { return qRgb(x % 256, y, 77 + x / 256); }
inline int StripColumn(QRgb pixel) { return qRed(pixel) + 256 * (qBlue(pixel) - 77); }

inline QImage MakeFace(int ratio = 1) {
  QImage face(kFaceSize * ratio, kFaceSize * ratio, QImage::Format_RGB32);
  face.fill(kFaceWhite);
  for (const QPoint p : kMarkedPixels) face.setPixel(p * ratio, kFaceMark);
  face.setDevicePixelRatio(ratio);
  return face;
}

inline QImage MakeStrip(int ratio = 1) {
  QImage strip(150 * ratio, 30 * ratio, QImage::Format_RGB32);
  for (int y = 0; y < strip.height(); ++y) {
    for (int x = 0; x < strip.width(); ++x) strip.setPixel(x, y, StripPixel(x, y));
  }
  strip.setDevicePixelRatio(ratio);
  return strip;
}

inline DialSurface MakeSurface(TwipsPerPixel tpp = {15.0, 15.0}, int ratio = 1) {
  return DialSurface(MakeFace(ratio), MakeStrip(ratio), tpp);
}

inline HandSettings Settings(std::int32_t scale, TwipsPerPixel tpp = {15.0, 15.0}) {
  return {scale, kHandBgr, kFaceSize * tpp.x, kFaceSize * tpp.y};
}

// Top-left pixels of the six label places, clockwise from the top.
constexpr std::array<QPoint, 6> kPlaces{{{110, 15}, {187, 62}, {187, 157}, {110, 201}, {33, 157}, {33, 62}}};

// The face with the two strip cells of `text` copied to a place, built pixel by pixel.
inline QImage ExpectedWithLabel(int place, const std::string& text, int ratio = 1) {
  QImage expected = MakeFace(ratio);
  const int cellWidth = 15 * ratio;
  const int cellHeight = 30 * ratio;
  for (int i = 0; i < 2; ++i) {
    const int stripLeft = cellWidth * (text[i] == '0' ? 9 : text[i] - '1');
    const QPoint origin = kPlaces[place] * ratio + QPoint(cellWidth * i, 0);
    for (int dy = 0; dy < cellHeight; ++dy) {
      for (int dx = 0; dx < cellWidth; ++dx) expected.setPixel(origin + QPoint(dx, dy), StripPixel(stripLeft + dx, dy));
    }
  }
  return expected;
}

// The digit shown by the digit cell at the logical pixel `origin`: ' ' where the
// face is bare, '?' where the pixels are no exact strip cell of the picture's own
// pixel ratio. Hand pixels are passed over.
inline char ReadCell(const QImage& image, const QImage& face, QPoint origin) {
  const int ratio = static_cast<int>(image.devicePixelRatio());
  const int cellWidth = 15 * ratio;
  int stripLeft = -1;
  for (int dy = 0; dy < 30 * ratio; ++dy) {
    for (int dx = 0; dx < cellWidth; ++dx) {
      const QPoint p = origin * ratio + QPoint(dx, dy);
      const QRgb pixel = image.pixel(p);
      if (pixel == kHandRgb || pixel == face.pixel(p)) continue;
      if (stripLeft < 0) stripLeft = StripColumn(pixel) - dx;
      if (stripLeft < 0 || stripLeft % cellWidth != 0 || pixel != StripPixel(stripLeft + dx, dy)) return '?';
    }
  }
  if (stripLeft < 0) return ' ';
  const int cell = stripLeft / cellWidth;
  return cell == 9 ? '0' : static_cast<char>('1' + cell);
}

// The label at a place: "" when bare, else its two characters.
inline std::string ReadLabel(const QImage& image, int place) {
  const QImage face = MakeFace(static_cast<int>(image.devicePixelRatio()));
  const std::string text{ReadCell(image, face, kPlaces[place]), ReadCell(image, face, kPlaces[place] + QPoint(15, 0))};
  return text == "  " ? std::string() : text;
}

inline std::array<std::string, 6> ReadLabels(const QImage& image) {
  std::array<std::string, 6> labels;
  for (int place = 0; place < 6; ++place) labels[place] = ReadLabel(image, place);
  return labels;
}

}  // namespace tovira::testing
