// The labels are copied cell by cell out of the digit strip, so each cell must hold
// its own digit, centred, with no ink spilling into the neighbouring cell.
#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

#include "resources/artwork.h"

namespace tovira {
namespace {

class DigitStripTest : public ::testing::TestWithParam<qreal> {
 protected:
  void SetUp() override {
    strip_ = DigitStripImage(GetParam());
    scale_ = qRound(strip_.devicePixelRatio());
  }

  QImage Cell(int digit) const {
    return strip_.copy(DigitCellLeft(digit) * scale_, 0, kDigitCellWidth * scale_, kDigitCellHeight * scale_);
  }

  // Bounding box of the dark pixels of a cell, in device pixels.
  static QRect Ink(const QImage& cell) {
    QRect box;
    for (int y = 0; y < cell.height(); ++y) {
      for (int x = 0; x < cell.width(); ++x) {
        if (qGray(cell.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }

  static bool ColumnIsWhite(const QImage& cell, int x) {
    for (int y = 0; y < cell.height(); ++y) {
      if (cell.pixel(x, y) != qRgb(255, 255, 255)) return false;
    }
    return true;
  }

  QImage strip_;
  int scale_ = 1;
};

TEST_P(DigitStripTest, HasTenCellsAtTheScaleOfItsScreen) {
  const int scale = GetParam() >= 1.5 ? 2 : 1;
  EXPECT_EQ(scale_, scale);
  EXPECT_EQ(strip_.size(), QSize(kDigitCount * kDigitCellWidth * scale, kDigitCellHeight * scale));
}

TEST_P(DigitStripTest, EachCellHoldsCentredInkClearOfItsBorders) {
  for (int digit = 0; digit <= 9; ++digit) {
    const QImage cell = Cell(digit);
    const QRect ink = Ink(cell);
    ASSERT_FALSE(ink.isNull()) << digit;
    // The outermost pixel column (1x) on either side stays white.
    for (int i = 0; i < scale_; ++i) {
      EXPECT_TRUE(ColumnIsWhite(cell, i)) << digit;
      EXPECT_TRUE(ColumnIsWhite(cell, cell.width() - 1 - i)) << digit;
    }
    const QPointF offCentre = (QRectF(ink).center() - QRectF(cell.rect()).center()) / scale_;
    EXPECT_LE(qAbs(offCentre.x()), 1.0) << digit;
    EXPECT_LE(qAbs(offCentre.y()), 1.0) << digit;
    EXPECT_GE(ink.height(), cell.height() / 2) << digit;
  }
}

TEST_P(DigitStripTest, CellsAreAllDifferent) {
  for (int a = 0; a <= 9; ++a) {
    for (int b = a + 1; b <= 9; ++b) {
      EXPECT_NE(Cell(a), Cell(b)) << a << " and " << b;
    }
  }
}

// The first cell holds 1, the last 0: a one is much narrower than a zero.
TEST_P(DigitStripTest, OrderRunsFromOneToZero) {
  EXPECT_EQ(DigitCellLeft(1), 0);
  EXPECT_EQ(DigitCellLeft(0), 135);
  EXPECT_LT(Ink(Cell(1)).width(), Ink(Cell(0)).width());
}

INSTANTIATE_TEST_SUITE_P(Scales, DigitStripTest, ::testing::Values(1.0, 1.5, 2.0));

}  // namespace
}  // namespace tovira
