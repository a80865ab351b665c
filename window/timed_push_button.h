#pragma once
// A push button that tells when the input that clicked it happened. A click comes
// from a mouse release or a key on the focused button; while the button handles
// that event, its time stamp is the moment the user acted, which may be well before
// the program gets to run on a busy machine.

#include <QInputEvent>
#include <QPushButton>

#include <cstdint>
#include <optional>

namespace tovira {

class TimedPushButton final : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

  // The time stamp of the input event being handled, for the duration of its
  // handling; none for a click made by the program or an assistive tool.
  std::optional<std::uint32_t> inputTime() const { return inputTime_; }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  template <class Handler>
  void handleTimed(const QInputEvent& event, Handler&& handle);

  std::optional<std::uint32_t> inputTime_;
};

}  // namespace tovira
