#pragma once
// The dial's drawing surface on Windows: a DIB section drawn with GDI, without
// smoothing. Its pixels are the desktop's device-independent pixels (1/96 inch,
// 15 twips each), so the dial keeps its size in twips on every monitor; the
// picture itself holds `ratio` device pixels for each of them, drawn from the
// artwork of that density.

#include "dial/dial_canvas.h"
#include "windows/dib_picture.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tovira::win32 {

class GdiDialCanvas final : public DialCanvas {
 public:
  explicit GdiDialCanvas(DialPictures pictures);

  // Another density's pictures: the surface starts again from the bare face.
  void usePictures(DialPictures pictures);

  // What the dial shows, `ratio()` device pixels per canvas pixel.
  const DibPicture& picture() const { return state_->surface; }
  const DibPicture& digitStrip() const { return state_->pictures.digits; }
  int ratio() const { return state_->pictures.ratio; }

  PixelRect takeChangedArea() override;
  TwipsPerPixel twipsPerPixel() const override { return {}; }

 private:
  void paintFace() override;
  void paintFromDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips) override;
  void paintCircle(PointF centreTwips, double radiusTwips, std::uint32_t fillBgr, std::uint32_t outlineBgr,
                   int outlineWidth) override;
  void paintLine(PointF fromTwips, PointF toTwips, std::uint32_t bgr, int width) override;

  // Twips to device pixels of the picture.
  POINT toDevice(PointF twips) const;

  struct State {
    DialPictures pictures;
    DibPicture surface;
    std::vector<std::uint32_t> presented;  // the surface as it was at the last takeChangedArea()
  };
  std::unique_ptr<State> state_;
};

}  // namespace tovira::win32
