#pragma once
// The time label. Its text changes at every refresh of a running stopwatch, so
// painting it must cost next to nothing: the glyphs of the few characters it shows
// are looked up once per font and screen, each paint only places them, without
// laying out or shaping the text again, and only the glyphs that changed are
// repainted. What it shows is what drawing the text would show.

#include <QHash>
#include <QRectF>
#include <QRawFont>
#include <QString>
#include <QWidget>

#include <optional>

namespace tovira {

class TimeLabel final : public QWidget {
  Q_OBJECT

 public:
  TimeLabel(const QString& text, QWidget* parent);

  const QString& text() const { return text_; }
  void setText(const QString& text);
  QString liveAccessibleName() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Glyph {
    quint32 index;
    QPointF advance;
    QRectF ink;  // what it covers, from the pen's place on the baseline
  };
  // The glyph of a character in the label's own font, or none when the font has
  // none or the character needs shaping (then the text is drawn the slow way).
  std::optional<Glyph> glyphOf(QChar c);
  // Where the label's pixels differ between two texts; none when either must be drawn the slow way.
  std::optional<QRectF> changedArea(const QString& before, const QString& after);

  QString text_;
  QRawFont rawFont_;
  QHash<QChar, std::optional<Glyph>> glyphs_;
};

}  // namespace tovira
