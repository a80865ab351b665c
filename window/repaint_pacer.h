#pragma once
// Lets widgets repaint at most once per screen refresh. The 1 ms timer changes the
// time label and the dial far more often than any screen can show; each change asks
// the pacer, which repaints everything asked for at the next refresh slot.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace tovira {

class RepaintPacer final : public QObject {
  Q_OBJECT

 public:
  explicit RepaintPacer(QWidget* window);

  // Repaints the widget now if the last repaint is a refresh interval old,
  // otherwise at the end of that interval.
  void schedule(QWidget* widget);

  // Milliseconds between two repaints: one screen refresh (60 Hz when the screen does not say).
  int intervalMs() const;

 private:
  void flush();

  QWidget* window_;
  std::vector<QPointer<QWidget>> pending_;
  QTimer deferred_;
  QElapsedTimer sinceFlush_;
};

}  // namespace tovira
