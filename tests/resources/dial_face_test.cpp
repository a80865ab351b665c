// Checks the embedded dial face where the dial's drawing relies on it: the tick rings
// under the hand, the clear band for the second labels and the clear centre for the hub.
#include <QImage>
#include <QRect>
#include <QtMath>

#include <gtest/gtest.h>

#include "resources/artwork.h"

namespace tovira {
namespace {

constexpr QPointF kCentre(125, 125);

// The face at 1x or 2x, addressed in 1x pixel coordinates.
class DialFaceTest : public ::testing::TestWithParam<qreal> {
 protected:
  void SetUp() override {
    face_ = DialFaceImage(GetParam());
    scale_ = face_.width() / kDialFaceSize;
  }

  bool DarkAtPixel(int x, int y) const { return qGray(face_.pixel(x, y)) < 128; }

  // Whether any device pixel of the 1x area is dark (blank: whether all are pure white).
  bool AnyDark(const QRectF& area) const { return Count(area, [&](int x, int y) { return DarkAtPixel(x, y); }) > 0; }
  bool AllWhite(const QRectF& area) const {
    return Count(area, [&](int x, int y) { return face_.pixel(x, y) != qRgb(255, 255, 255); }) == 0;
  }
  bool AllDark(const QRectF& area) const {
    return Count(area, [&](int x, int y) { return !DarkAtPixel(x, y); }) == 0;
  }

  // The device pixels around a 1x point, one pixel either way.
  QRectF Around(QPointF p) const { return QRectF(p - QPointF(0.5, 0.5), QSizeF(1, 1)); }

  static QPointF Polar(qreal radius, qreal degreesClockwiseFromTop) {
    const qreal a = qDegreesToRadians(degreesClockwiseFromTop);
    return kCentre + QPointF(radius * qSin(a), -radius * qCos(a));
  }

  // Whether the ray at the angle crosses ink anywhere between the two radii.
  bool InkAlong(qreal degrees, qreal r0, qreal r1) const {
    for (qreal r = r0; r <= r1; r += 0.25) {
      if (AnyDark(Around(Polar(r, degrees)))) return true;
    }
    return false;
  }

  template <typename Predicate>
  int Count(const QRectF& area, Predicate counts) const {
    const QRect device = QRectF(area.topLeft() * scale_, area.size() * scale_).toAlignedRect() & face_.rect();
    int n = 0;
    for (int y = device.top(); y <= device.bottom(); ++y) {
      for (int x = device.left(); x <= device.right(); ++x) {
        n += counts(x, y) ? 1 : 0;
      }
    }
    return n;
  }

  QImage face_;
  int scale_ = 1;
};

TEST_P(DialFaceTest, HasTheSizeAndPixelRatioOfItsScreen) {
  const int scale = GetParam() >= 1.5 ? 2 : 1;
  EXPECT_EQ(face_.size(), QSize(kDialFaceSize * scale, kDialFaceSize * scale));
  EXPECT_EQ(face_.devicePixelRatio(), scale);
}

TEST_P(DialFaceTest, CirclesAreInkedAllTheWayRound) {
  for (qreal radius : {112.0, 118.0}) {
    for (int degrees = 0; degrees < 360; degrees += 3) {
      EXPECT_TRUE(InkAlong(degrees + 0.3, radius - 0.5, radius + 0.5)) << radius << " at " << degrees;
    }
  }
}

// Tick i stands at 2.5 i degrees: every one between 118 and the rim, every third between
// 112 and 118, every sixth inwards from 112; the other places of each ring stay white.
TEST_P(DialFaceTest, TickRingsHaveTheirTicksAndNothingBetween) {
  for (int i = 0; i < 144; ++i) {
    const qreal degrees = 2.5 * i;
    EXPECT_TRUE(InkAlong(degrees, 119.5, 123.5)) << "fine tick " << i;
    EXPECT_TRUE(AllWhite(Around(Polar(121, degrees + 1.25)))) << "after fine tick " << i;
    EXPECT_EQ(InkAlong(degrees, 114, 116), i % 3 == 0) << "middle ring at tick " << i;
    EXPECT_EQ(InkAlong(degrees, 108, 110), i % 6 == 0) << "long tick ring at tick " << i;
  }
}

TEST_P(DialFaceTest, TopLongTickEndsUnderTheTopLabel) {
  // Columns 124 and 125 from row 15 into row 18 (all of it at 1x).
  EXPECT_TRUE(AllDark(QRectF(124, 15, 2, 3.5)));
  EXPECT_TRUE(AllWhite(QRectF(120, 19, 10, 5)));  // and stops there
}

TEST_P(DialFaceTest, LabelPlacesOtherThanTheTopAreBlank) {
  const QPoint corners[] = {{187, 62}, {187, 157}, {110, 201}, {33, 157}, {33, 62}};
  for (QPoint corner : corners) {
    EXPECT_TRUE(AllWhite(QRectF(corner, QSizeF(30, 30)))) << corner.x() << "," << corner.y();
  }
  // The top label covers face drawing only where the long tick reaches into it.
  const QRectF top(110, 15, 30, 30);
  EXPECT_TRUE(AllWhite(top.adjusted(0, 4, 0, 0)));
  EXPECT_TRUE(AllWhite(QRectF(110, 15, 14, 4)));
  EXPECT_TRUE(AllWhite(QRectF(126, 15, 14, 4)));
}

TEST_P(DialFaceTest, CentreIsBlankAroundTheHubAndCarriesLettering) {
  const qreal hub = 8;
  for (int degrees = 0; degrees < 360; degrees += 5) {
    EXPECT_FALSE(InkAlong(degrees, 0, hub)) << degrees;
  }
  // Across the centre, between the lettering above and below, nothing but white.
  EXPECT_TRUE(AllWhite(QRectF(30, 108, 190, 34)));
  EXPECT_TRUE(AnyDark(QRectF(65, 50, 120, 58)));   // above the hub
  EXPECT_TRUE(AnyDark(QRectF(65, 142, 120, 40)));  // below the hub
}

INSTANTIATE_TEST_SUITE_P(Scales, DialFaceTest, ::testing::Values(1.0, 1.25, 1.5, 2.0));

}  // namespace
}  // namespace tovira
