#include "platform/screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tovira {

TwipsPerPixel ScreenTwipsPerPixel(const QWidget* widget) {
  const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
  if (!screen) return {};
  return TwipsPerPixel::FromLogicalDpi(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

}  // namespace tovira
