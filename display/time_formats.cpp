#include "display/time_formats.h"

#include "common/failure.h"
#include "display/frame_table.h"

namespace tovira {
namespace {

constexpr std::int32_t kFrameRate = 24;
constexpr std::int64_t kMillisPerSecond = 1000;
constexpr std::int64_t kMillisPerMinute = 60 * kMillisPerSecond;
constexpr std::int64_t kMillisPerHour = 60 * kMillisPerMinute;
constexpr std::int64_t kSecondsPerBlock = 6;

// |x| in 64 bits, so that INT32_MIN has a magnitude too.
std::int64_t Magnitude(std::int32_t x) { return x < 0 ? -static_cast<std::int64_t>(x) : x; }

QString SignOf(std::int32_t x) { return x < 0 ? QStringLiteral("-") : QString(); }

// text after a fill of width cells, keeping the rightmost width characters: the
// field is exactly width cells, and longer text loses its leading characters.
QString RightAligned(const QString& text, qsizetype width, QChar fill = u' ') {
  return (QString(width, fill) + text).right(width);
}

QString Digits(std::int64_t v) { return QString::number(v); }

// The decimal digits of v with the separator between groups of three.
QString Grouped(std::int64_t v, const QString& separator) {
  const QString digits = Digits(v);
  QString result;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) result += separator;
    result += digits[i];
  }
  return result;
}

// v in two cells followed by its unit, or blank when v is zero.
QString UnitField(std::int64_t v, QChar unit) {
  // Two blanks and an ideographic space: as wide as two digits and a kanji.
  return v > 0 ? RightAligned(Digits(v), 2) + unit : QStringLiteral(u"  \u3000");
}

std::int32_t FrameOfMagnitude(std::int64_t magnitude) {
  return FrameFromMillis(static_cast<std::int32_t>(magnitude % kMillisPerSecond), kFrameRate);
}

}  // namespace

QLocale NumberLocale() {
  QLocale locale = QLocale::system();
  locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
  return locale;
}

QString FormatSeconds(std::int32_t x, const QLocale& locale) {
  // Built from whole seconds and milliseconds, so no rounding can change a digit.
  const std::int64_t magnitude = Magnitude(x);
  return SignOf(x) + Grouped(magnitude / kMillisPerSecond, locale.groupSeparator()) + locale.decimalPoint() +
         RightAligned(Digits(magnitude % kMillisPerSecond), 3, u'0');
}

std::int32_t FrameFromMillis(std::int32_t ms, [[maybe_unused]] std::int32_t rate) {
  std::int32_t frame = 0;
  Guarded(ErrorCode::FrameFromMillis, [&] { frame = FrameIndexAt(ms); });
  return frame;
}

QString SecondsLine(std::int32_t x, const QLocale& locale) {
  return RightAligned(FormatSeconds(x, locale), 10) + QStringLiteral(u" 秒");
}

QString HmsLine(std::int32_t x) {
  const std::int64_t magnitude = Magnitude(x);
  return SignOf(x) + UnitField(magnitude / kMillisPerHour, u'時') +
         UnitField(magnitude % kMillisPerHour / kMillisPerMinute, u'分') +
         UnitField(magnitude % kMillisPerMinute / kMillisPerSecond, u'秒') +
         RightAligned(Digits(magnitude % kMillisPerSecond), 3, u'0');
}

QString Frame24Line(std::int32_t x, const QLocale& locale) {
  const std::int64_t magnitude = Magnitude(x);
  const std::int64_t frames = magnitude / kMillisPerSecond * kFrameRate + FrameOfMagnitude(magnitude);
  return RightAligned(SignOf(x) + Grouped(frames, locale.groupSeparator()), 6) + QStringLiteral(u" コマ");
}

QString SskLine(std::int32_t x) {
  const std::int64_t magnitude = Magnitude(x);
  const std::int64_t seconds = magnitude / kMillisPerSecond;
  const std::int64_t block = seconds / kSecondsPerBlock;
  const std::int64_t second = seconds % kSecondsPerBlock;
  const QString frame = RightAligned(Digits(FrameOfMagnitude(magnitude)), 2) + u'K';

  const QString blockField = block > 0 ? RightAligned(Digits(block), 3) + u':' : QStringLiteral("   :");
  const QString secondField = second > 0 || block > 0 ? RightAligned(Digits(second), 2) + u':' : QStringLiteral("  :");
  return SignOf(x) + blockField + secondField + frame + QStringLiteral(" [") + RightAligned(Digits(seconds), 3) + u':' +
         frame + u']';
}

}  // namespace tovira
