#include "dial/dial_drawing.h"

#include "common/checked_math.h"
#include "common/failure.h"
#include "display/frame_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace tovira {
namespace {

// Top-left pixel of each label place, for the counts n with n mod 6 equal to the index.
constexpr std::array<QPoint, 6> kLabelPlaces{{{110, 15}, {187, 62}, {187, 157}, {110, 201}, {33, 157}, {33, 62}}};

constexpr std::uint32_t kShadowBgr = 0x007E7E7E;
constexpr double kHubRadiusTwips = 50.0;
constexpr std::int32_t kShadowOffsetTwips = 10;
constexpr double kPi = 3.1415926;

// Copies the digit's cell of the strip to the given place.
void PaintDigit(DialSurface& surface, int digit, std::int32_t left, std::int32_t top) {
  const TwipsPerPixel tpp = surface.twipsPerPixel();
  const std::int32_t sourceLeft = digit == 0 ? RoundToInt32(135 * tpp.x) : RoundToInt32(tpp.x * 15 * (digit - 1));
  surface.copyPicture(surface.digitStrip(), QRectF(sourceLeft, 0, 15 * tpp.x, 30 * tpp.y), QPointF(left, top));
}

// Degrees per millisecond for the dial scale.
double TurningRate(std::int32_t analogScale) {
  switch (analogScale) {
    case 1: return 360.0 / 6 / 1000;
    case 2: return 360.0 / 10 / 1000;
    case 3: return 360.0 / 30 / 1000;
    default: return 0.0;
  }
}

// The number formed by the last three characters of e in decimal, a minus sign
// counting as a character: -5 gives -5, -1234 gives 234.
std::int32_t MillisFromText(std::int32_t e) {
  const std::string text = std::to_string(e);
  const std::string_view tail = std::string_view(text).substr(text.size() - std::min<std::size_t>(text.size(), 3));
  std::int32_t ms = 0;
  std::from_chars(tail.data(), tail.data() + tail.size(), ms);
  return ms;
}

// The hand's end point at `length` twips from the centre along the angle.
QPointF Along(QPointF centre, double length, float theta) {
  const double angle = theta;
  return QPointF(static_cast<float>(centre.x() + length * std::cos(angle)),
                 static_cast<float>(centre.y() + length * std::sin(angle)));
}

}  // namespace

void DrawDialNumber(DialSurface& surface, std::int32_t n) {
  Guarded(ErrorCode::DrawDialNumber, [&] {
    const std::int32_t k = n % 6;
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (n >= 0) {
      const TwipsPerPixel tpp = surface.twipsPerPixel();
      x = RoundToInt32(tpp.x * kLabelPlaces[k].x());
      y = RoundToInt32(tpp.y * kLabelPlaces[k].y());
    }
    if (n < 1) return;
    // The label shows the last two digits of the zero-padded count.
    const int twoDigits = n % 100;
    PaintDigit(surface, twoDigits / 10, x, y);
    PaintDigit(surface, twoDigits % 10, CheckedAdd(x, RoundToInt32(15 * surface.twipsPerPixel().x)), y);
  });
}

std::int32_t FrameStartFromMillis(std::int32_t ms, std::int32_t rate) {
  std::int32_t start = 0;
  Guarded(ErrorCode::FrameStartFromMillis, [&] {
    if (rate != 24) return;
    start = kFrameStarts[static_cast<std::size_t>(FrameIndexAt(ms))];
  });
  return start;
}

float HandAngle(std::int32_t e, std::int32_t analogScale) {
  if (e == 0) return static_cast<float>(-282.743334 / 180);
  const std::int32_t frameStart = FrameStartFromMillis(MillisFromText(e), 24);
  const std::int32_t t = RoundToInt32(std::floor(e / 1000.0) * 1000 + frameStart);
  return static_cast<float>((t * TurningRate(analogScale) - 90) * kPi / 180);
}

void DrawDialHand(DialSurface& surface, std::int32_t e, const HandSettings& settings) {
  Guarded(ErrorCode::DrawDialHand, [&] {
    const std::int32_t cx = RoundToInt32(settings.areaWidthTwips / 2);
    const std::int32_t cy = RoundToInt32(settings.areaHeightTwips / 2);
    const float theta = HandAngle(e, settings.analogScale);
    const double length = settings.areaWidthTwips / 2;
    const QPointF centre(cx, cy);
    const std::uint32_t color = settings.handColor;

    surface.setFillColor(kShadowBgr);
    surface.circle(QPointF(CheckedAdd(cx, kShadowOffsetTwips), CheckedAdd(cy, kShadowOffsetTwips)), kHubRadiusTwips,
                   kShadowBgr);
    surface.setFillColor(color);
    surface.circle(centre, kHubRadiusTwips, color);
    surface.setLineWidth(1);
    surface.line(centre, Along(centre, length, theta), color);
    surface.setLineWidth(2);
    surface.line(centre, Along(centre, 0.95 * length, theta), color);
    surface.line(centre, Along(centre, -0.1 * length, theta), color);
  });
}

void RefreshDial(DialSurface& surface, std::int32_t e, const HandSettings& settings) {
  surface.clear();
  for (const std::int32_t offset : {-2000, -1000, 0, 1000, 2000, 3000}) {
    DrawDialNumber(surface, RoundToInt32(std::floor(CheckedAdd(e, offset) / 1000.0)));
  }
  if (e < 3000) {
    for (const std::int32_t n : {4, 5, 6}) DrawDialNumber(surface, n);
  }
  DrawDialHand(surface, e, settings);
}

}  // namespace tovira
