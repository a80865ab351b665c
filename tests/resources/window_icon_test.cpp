#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include "resources/artwork.h"

namespace tovira {
namespace {

TEST(WindowIconTest, HasEverySizeDrawnOnATransparentGround) {
  const QIcon icon = WindowIcon();
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_EQ(sizes.size(), static_cast<qsizetype>(kWindowIconSizes.size()));
  for (int size : kWindowIconSizes) {
    EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size)) << size;
    EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << size;           // corner: background
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size * 3 / 4)), 255) << size;  // inside the watch
  }
}

}  // namespace
}  // namespace tovira
