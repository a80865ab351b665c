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
struct LabelPlace {
  int x, y;
};
constexpr std::array<LabelPlace, 6> kLabelPlaces{{{110, 15}, {187, 62}, {187, 157}, {110, 201}, {33, 157}, {33, 62}}};

constexpr std::uint32_t kShadowBgr = 0x007E7E7E;
constexpr double kHubRadiusTwips = 50.0;
constexpr std::int32_t kShadowOffsetTwips = 10;
constexpr double kPi = 3.1415926;

// Copies the digit's cell of the strip to the given place.
void PaintDigit(DialCanvas& canvas, int digit, std::int32_t left, std::int32_t top) {
  const TwipsPerPixel tpp = canvas.twipsPerPixel();
  const std::int32_t sourceLeft = digit == 0 ? RoundToInt32(135 * tpp.x) : RoundToInt32(tpp.x * 15 * (digit - 1));
  canvas.copyDigitStrip(TwipsRect{static_cast<double>(sourceLeft), 0, 15 * tpp.x, 30 * tpp.y},
                        PointF{static_cast<double>(left), static_cast<double>(top)});
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
PointF Along(PointF centre, double length, float theta) {
  const double angle = theta;
  return PointF{static_cast<float>(centre.x + length * std::cos(angle)),
                static_cast<float>(centre.y + length * std::sin(angle))};
}

}  // namespace

void DrawDialNumber(DialCanvas& canvas, std::int32_t n) {
  Guarded(ErrorCode::DrawDialNumber, [&] {
    const std::int32_t k = n % 6;
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (n >= 0) {
      const TwipsPerPixel tpp = canvas.twipsPerPixel();
      x = RoundToInt32(tpp.x * kLabelPlaces[k].x);
      y = RoundToInt32(tpp.y * kLabelPlaces[k].y);
    }
    if (n < 1) return;
    // The label shows the last two digits of the zero-padded count.
    const int twoDigits = n % 100;
    PaintDigit(canvas, twoDigits / 10, x, y);
    PaintDigit(canvas, twoDigits % 10, CheckedAdd(x, RoundToInt32(15 * canvas.twipsPerPixel().x)), y);
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

void DrawDialHand(DialCanvas& canvas, std::int32_t e, const HandSettings& settings) {
  Guarded(ErrorCode::DrawDialHand, [&] {
    const std::int32_t cx = RoundToInt32(settings.areaWidthTwips / 2);
    const std::int32_t cy = RoundToInt32(settings.areaHeightTwips / 2);
    const float theta = HandAngle(e, settings.analogScale);
    const double length = settings.areaWidthTwips / 2;
    const PointF centre{static_cast<double>(cx), static_cast<double>(cy)};
    const std::uint32_t color = settings.handColor;

    canvas.setFillColor(kShadowBgr);
    canvas.circle(PointF{static_cast<double>(CheckedAdd(cx, kShadowOffsetTwips)),
                         static_cast<double>(CheckedAdd(cy, kShadowOffsetTwips))},
                  kHubRadiusTwips, kShadowBgr);
    canvas.setFillColor(color);
    canvas.circle(centre, kHubRadiusTwips, color);
    canvas.setLineWidth(1);
    canvas.line(centre, Along(centre, length, theta), color);
    canvas.setLineWidth(2);
    canvas.line(centre, Along(centre, 0.95 * length, theta), color);
    canvas.line(centre, Along(centre, -0.1 * length, theta), color);
  });
}

void RefreshDial(DialCanvas& canvas, std::int32_t e, const HandSettings& settings) {
  canvas.clear();
  for (const std::int32_t offset : {-2000, -1000, 0, 1000, 2000, 3000}) {
    DrawDialNumber(canvas, RoundToInt32(std::floor(CheckedAdd(e, offset) / 1000.0)));
  }
  if (e < 3000) {
    for (const std::int32_t n : {4, 5, 6}) DrawDialNumber(canvas, n);
  }
  DrawDialHand(canvas, e, settings);
}

}  // namespace tovira
