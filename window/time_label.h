#pragma once
// The time label. Its text is exact after every change; it is painted through the
// window's repaint pacer, so a text that changes every millisecond is drawn at
// most once per screen refresh.

#include <QString>
#include <QWidget>

namespace tovira {

class RepaintPacer;

class TimeLabel final : public QWidget {
  Q_OBJECT

 public:
  TimeLabel(const QString& text, RepaintPacer& pacer, QWidget* parent);

  const QString& text() const { return text_; }
  void setText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  RepaintPacer& pacer_;
};

}  // namespace tovira
