#include "window/time_label.h"

#include "window/live_accessible_name.h"

#include <QGlyphRun>
#include <QPainter>
#include <QVarLengthArray>

namespace tovira {
namespace {

// Characters whose glyph depends on their neighbours or on the text's direction.
bool NeedsShaping(QChar c) {
  if (c.isMark() || c.isSurrogate()) return true;
  switch (c.direction()) {
    case QChar::DirL:
    case QChar::DirEN:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirCS:
    case QChar::DirWS:
      return false;
    default:
      return true;
  }
}

}  // namespace

TimeLabel::TimeLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  InstallLiveNameAccessible<TimeLabel, QAccessible::StaticText>();
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TimeLabel::setText(const QString& text) {
  if (text == text_) return;
  const std::optional<QRectF> changed = changedArea(text_, text);
  text_ = text;
  // A running time changes in its last digits: only their pixels are painted and sent to the screen.
  if (changed) {
    update(changed->toAlignedRect().adjusted(-1, -1, 1, 1));
  } else {
    update();
  }
}

std::optional<QRectF> TimeLabel::changedArea(const QString& before, const QString& after) {
  qsizetype same = 0;
  while (same < before.size() && same < after.size() && before[same] == after[same]) ++same;
  QRectF area;
  for (const QString* text : {&before, &after}) {
    QPointF pen(0, 0);
    for (qsizetype i = 0; i < text->size(); ++i) {
      const std::optional<Glyph> glyph = glyphOf(text->at(i));
      if (!glyph) return std::nullopt;
      if (i >= same) area |= glyph->ink.translated(pen + QPointF(0, rawFont_.ascent()));
      pen += glyph->advance;
    }
  }
  return area;
}

bool TimeLabel::event(QEvent* event) {
  // Another font, or another screen whose resolution sizes the font anew.
  if (event->type() == QEvent::FontChange || event->type() == QEvent::ScreenChangeInternal) {
    rawFont_ = QRawFont();
    glyphs_.clear();
  }
  return QWidget::event(event);
}

std::optional<TimeLabel::Glyph> TimeLabel::glyphOf(QChar c) {
  if (const auto known = glyphs_.constFind(c); known != glyphs_.constEnd()) return *known;
  if (!rawFont_.isValid()) rawFont_ = QRawFont::fromFont(QFont(font(), this));
  std::optional<Glyph> glyph;
  const QList<quint32> indexes = rawFont_.glyphIndexesForString(QString(c));
  if (!NeedsShaping(c) && indexes.size() == 1 && indexes.front() != 0) {
    const QList<QPointF> advances = rawFont_.advancesForGlyphIndexes(indexes);
    if (advances.size() == 1) glyph = Glyph{indexes.front(), advances.front(), rawFont_.boundingRect(indexes.front())};
  }
  glyphs_.insert(c, glyph);
  return glyph;
}

void TimeLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));

  QVarLengthArray<quint32, 16> indexes;
  QVarLengthArray<QPointF, 16> positions;
  QPointF pen(0, 0);
  for (const QChar c : text_) {
    const std::optional<Glyph> glyph = glyphOf(c);
    if (!glyph) {
      painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
      return;
    }
    indexes.append(glyph->index);
    positions.append(pen);
    pen += glyph->advance;
  }
  QGlyphRun run;
  run.setRawFont(rawFont_);
  run.setRawData(indexes.constData(), positions.constData(), static_cast<int>(indexes.size()));
  painter.drawGlyphRun(QPointF(0, rawFont_.ascent()), run);
}

}  // namespace tovira
