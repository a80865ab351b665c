#include "window/timed_push_button.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tovira {

template <class Handler>
void TimedPushButton::handleTimed(const QInputEvent& event, Handler&& handle) {
  inputTime_ = static_cast<std::uint32_t>(event.timestamp());
  handle();
  inputTime_.reset();
}

void TimedPushButton::mouseReleaseEvent(QMouseEvent* event) {
  handleTimed(*event, [&] { QPushButton::mouseReleaseEvent(event); });
}

void TimedPushButton::keyPressEvent(QKeyEvent* event) {
  handleTimed(*event, [&] { QPushButton::keyPressEvent(event); });
}

void TimedPushButton::keyReleaseEvent(QKeyEvent* event) {
  handleTimed(*event, [&] { QPushButton::keyReleaseEvent(event); });
}

}  // namespace tovira
