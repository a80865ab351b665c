#include "dial_fixtures.h"

#include "window/dial_surface.h"
#include "window/dial_view.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPen>

namespace tovira {
namespace {

TEST(DialSurface, CopyReplacesPixelsWithoutBlending) {
  QImage source(4, 4, QImage::Format_ARGB32);
  source.fill(qRgba(10, 20, 30, 128));
  DialSurface surface = testing::MakeSurface();
  surface.copyPicture(source, QRectF(0, 0, 60, 60), QPointF(150, 300));
  EXPECT_EQ(surface.image().pixel(10, 20), qRgb(10, 20, 30));
  EXPECT_EQ(surface.image().pixel(13, 23), qRgb(10, 20, 30));
  EXPECT_EQ(surface.image().pixel(14, 20), testing::kFaceWhite);
  EXPECT_EQ(surface.image().pixel(10, 24), testing::kFaceWhite);
}

TEST(DialSurface, CopyConvertsTwipsWithTheSurfacesTwipsPerPixel) {
  DialSurface surface = testing::MakeSurface({12.0, 20.0});
  // Strip columns 30..44, rows 0..29 to pixel (5, 7).
  surface.copyPicture(surface.digitStrip(), QRectF(12 * 30, 0, 12 * 15, 20 * 30), QPointF(12 * 5, 20 * 7));
  EXPECT_EQ(surface.image().pixel(5, 7), testing::StripPixel(30, 0));
  EXPECT_EQ(surface.image().pixel(19, 36), testing::StripPixel(44, 29));
  EXPECT_EQ(surface.image().pixel(20, 7), testing::kFaceWhite);
  EXPECT_EQ(surface.image().pixel(5, 37), testing::kFaceWhite);
}

TEST(DialSurface, CopyIsClippedToTheSourceAndTheSurface) {
  struct Case {
    QRect source;  // pixels
    QPoint destination;
    QRect painted;  // expected painted pixels of the surface
  };
  const Case cases[] = {
      {{140, 20, 30, 30}, {0, 0}, {0, 0, 10, 10}},       // runs off the strip's right and bottom
      {{0, 0, 15, 30}, {240, 235}, {240, 235, 10, 15}},  // runs off the surface
      {{0, 0, 15, 30}, {-10, -20}, {0, 0, 5, 10}},       // starts before the surface
      {{0, 0, -15, 30}, {10, 10}, {}},                   // negative width copies nothing
  };
  for (const Case& c : cases) {
    DialSurface surface = testing::MakeSurface();
    surface.copyPicture(surface.digitStrip(),
                        QRectF(c.source.x() * 15, c.source.y() * 15, c.source.width() * 15, c.source.height() * 15),
                        QPointF(c.destination.x() * 15, c.destination.y() * 15));
    const QImage face = testing::MakeFace();
    for (int y = 0; y < testing::kFaceSize; ++y) {
      for (int x = 0; x < testing::kFaceSize; ++x) {
        const QPoint from = QPoint(x, y) - c.destination + c.source.topLeft();
        const QRgb expected = c.painted.contains(x, y) ? testing::StripPixel(from.x(), from.y()) : face.pixel(x, y);
        ASSERT_EQ(surface.image().pixel(x, y), expected) << c.source.x() << " at " << x << "," << y;
      }
    }
  }
}

TEST(DialSurface, RejectsRectanglesBeyondThe32BitRange) {
  DialSurface surface = testing::MakeSurface({1.0, 1.0});
  EXPECT_THROW(surface.copyPicture(surface.digitStrip(), QRectF(0, 0, 2147483647.0, 1), QPointF(10, 10)), Fault);
  EXPECT_THROW(surface.copyPicture(surface.digitStrip(), QRectF(0, 0, 10, 10), QPointF(1e12, 0)), Fault);
  EXPECT_THROW(surface.copyPicture(surface.digitStrip(), QRectF(0, 0, NAN, 10), QPointF(0, 0)), Fault);
  EXPECT_EQ(surface.image(), testing::MakeFace());
}

TEST(DialSurface, GenerationGrowsWithEveryChangeOfThePicture) {
  DialSurface surface = testing::MakeSurface();
  std::uint64_t last = surface.generation();
  const auto grew = [&] {
    const bool result = surface.generation() > last;
    last = surface.generation();
    return result;
  };
  surface.setLineWidth(3);
  surface.setFillColor(0x00123456);
  EXPECT_FALSE(grew()) << "drawing state alone";
  surface.clear();
  EXPECT_TRUE(grew()) << "clear";
  surface.copyPicture(surface.digitStrip(), QRectF(0, 0, 150, 150), QPointF(0, 0));
  EXPECT_TRUE(grew()) << "copy";
  surface.circle({100, 100}, 50, 0);
  EXPECT_TRUE(grew()) << "circle";
  surface.line({0, 0}, {100, 0}, 0);
  EXPECT_TRUE(grew()) << "line";
}

// Circles are outlined once and then copied: every drawing, the first and the
// repeated ones, must cover exactly the pixels a painter covers on the surface itself.
TEST(DialSurface, CirclesCoverWhatAPainterCoversEveryTime) {
  struct Row {
    QPointF centreTwips;
    double radiusTwips;
    int lineWidth;
    std::uint32_t outline, fill;
  };
  const Row rows[] = {
      {{1875, 1875}, 90, 1, 0x00FF00FF, 0x00FF00FF},    // the hub, off the pixel grid
      {{1905, 1905}, 90, 2, 0x007E7E7E, 0x007E7E7E},    // its shadow, at the width the hand leaves
      {{1877.5, 1871.25}, 97.5, 3, 0x000000FF, 0x00FF0000},  // outline and fill differ
      {{-30, 3700}, 150, 2, 0x0000FF00, 0x0000FF00},    // over two edges
      {{-3000, -3000}, 150, 2, 0x0000FF00, 0x0000FF00}  // wholly off the surface
  };
  for (const int ratio : {1, 2}) {
    DialSurface surface = testing::MakeSurface({15.0, 15.0}, ratio);
    QImage expected = surface.image().convertToFormat(QImage::Format_RGB32);
    for (int pass = 0; pass < 2; ++pass) {
      for (const Row& row : rows) {
        surface.setLineWidth(row.lineWidth);
        surface.setFillColor(row.fill);
        surface.circle({row.centreTwips.x(), row.centreTwips.y()}, row.radiusTwips, row.outline);
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ColorFromBgr(row.outline), row.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(ColorFromBgr(row.fill));
        painter.drawEllipse(row.centreTwips / 15.0, row.radiusTwips / 15.0, row.radiusTwips / 15.0);
        painter.end();
        ASSERT_EQ(surface.image(), expected) << "ratio " << ratio << " pass " << pass << " centre "
                                             << row.centreTwips.x() << "," << row.centreTwips.y();
      }
    }
  }
}

TEST(DialSurface, CopiesAtTheDevicePixelRatioOfTheFace) {
  // Strip columns 30..44 to logical pixel (5, 7): device pixels (10, 14) to (39, 73).
  DialSurface surface = testing::MakeSurface({12.0, 20.0}, 2);
  EXPECT_EQ(surface.devicePixelRatio(), 2.0);
  surface.copyPicture(surface.digitStrip(), QRectF(12 * 30, 0, 12 * 15, 20 * 30), QPointF(12 * 5, 20 * 7));
  const QImage& image = surface.image();
  EXPECT_EQ(image.pixel(10, 14), testing::StripPixel(60, 0));
  EXPECT_EQ(image.pixel(39, 73), testing::StripPixel(89, 59));
  EXPECT_EQ(image.pixel(40, 14), testing::kFaceWhite);
  EXPECT_EQ(image.pixel(10, 74), testing::kFaceWhite);
  EXPECT_EQ(image.pixel(9, 13), testing::kFaceWhite);
}

TEST(DialSurface, BringsAStripOfAnotherRatioToTheFaces) {
  // A single-resolution strip on a double-resolution face: each strip pixel
  // becomes 2 x 2 device pixels, without blending neighbours.
  DialSurface surface(testing::MakeFace(2), testing::MakeStrip(1), {15.0, 15.0});
  EXPECT_EQ(surface.digitStrip().size(), QSize(300, 60));
  DrawDialNumber(surface, 6);  // "06" at the top
  const QPoint origin = testing::kPlaces[0] * 2;
  for (int dy = 0; dy < 60; ++dy) {
    for (int dx = 0; dx < 60; ++dx) {
      const int stripX = (dx < 30 ? 135 : 75) + (dx % 30) / 2;
      ASSERT_EQ(surface.image().pixel(origin + QPoint(dx, dy)), testing::StripPixel(stripX, dy / 2)) << dx << "," << dy;
    }
  }
}

TEST(DialSurface, ChangedAreaHoldsEveryDifferingPixelAndNoMore) {
  const struct {
    qreal ratio;
    QRect changedDevicePixels;  // of a 20 x 20 logical picture
    QRect area;                 // logical pixels
  } rows[] = {
      {1.0, {}, {}},
      {1.0, {3, 4, 1, 1}, {3, 4, 1, 1}},
      {1.0, {0, 0, 20, 1}, {0, 0, 20, 1}},
      {1.0, {19, 19, 1, 1}, {19, 19, 1, 1}},
      {2.0, {3, 4, 1, 1}, {1, 2, 1, 1}},   // half a logical pixel is the whole of it
      {2.0, {3, 5, 2, 4}, {1, 2, 2, 3}},
      {2.0, {38, 0, 2, 40}, {19, 0, 1, 20}},
  };
  for (const auto& row : rows) {
    QImage before(QSize(20, 20) * row.ratio, QImage::Format_RGB32);
    before.setDevicePixelRatio(row.ratio);
    before.fill(Qt::white);
    QImage after = before.copy();
    for (int y = row.changedDevicePixels.top(); y <= row.changedDevicePixels.bottom(); ++y) {
      after.setPixel(row.changedDevicePixels.left(), y, qRgb(0, 0, 0));
      after.setPixel(row.changedDevicePixels.right(), y, qRgb(0, 0, 0));
    }
    EXPECT_EQ(ChangedArea(before, after), row.area) << row.changedDevicePixels.x() << "," << row.ratio;
  }
  QImage small(10, 10, QImage::Format_RGB32);
  QImage large(20, 20, QImage::Format_RGB32);
  EXPECT_EQ(ChangedArea(small, large), QRect(0, 0, 20, 20));
}

TEST(DialView, ShowsTheSurfaceAtItsTopLeftCorner) {
  DialSurface surface = testing::MakeSurface();
  surface.line({0, 750}, {3735, 750}, 0x000000FF);
  DialView view;
  view.setSurface(&surface);
  EXPECT_EQ(view.sizeHint(), QSize(250, 250));
  view.resize(view.sizeHint());
  EXPECT_EQ(view.grab().toImage().convertToFormat(QImage::Format_RGB32), surface.image());
  view.setSurface(nullptr);
  view.grab();  // shows nothing, without a surface to read
}


TEST(DialView, ShowsADoubleResolutionSurfaceAtItsLogicalSizeAndPixelForPixel) {
  DialSurface surface = testing::MakeSurface({15.0, 15.0}, 2);
  RefreshDial(surface, 60000, testing::Settings(1));
  DialView view;
  view.setSurface(&surface);
  EXPECT_EQ(view.sizeHint(), QSize(250, 250));
  view.resize(view.sizeHint());
  // On a screen of the same ratio every device pixel is the surface's own: nothing is rescaled.
  QImage screen(500, 500, QImage::Format_RGB32);
  screen.setDevicePixelRatio(2);
  view.render(&screen);
  EXPECT_EQ(screen, surface.image());
}

}  // namespace
}  // namespace tovira
