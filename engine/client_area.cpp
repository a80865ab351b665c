#include "engine/client_area.h"

namespace tovira {

ScreenRectangle ClientAreaOnScreen(const WindowGeometryTwips& w, const TwipsPerPixel& tpp) {
  const double border = RoundToInt32((w.width - w.scaleWidth) / 2);
  ScreenRectangle r;
  r.left = RoundToInt32((w.left + border) / tpp.x);
  r.top = RoundToInt32((w.top + w.height - w.scaleHeight - border) / tpp.y);
  r.right = RoundToInt32(w.scaleWidth / tpp.x + r.left);
  r.bottom = RoundToInt32(w.scaleHeight / tpp.y + r.top);
  return r;
}

}  // namespace tovira
