#include "bench_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace tovira::bench {

BenchWindow::BenchWindow() {
  QFile::copy(QStringLiteral(TOVIRA_DEFAULT_SETTINGS), fixture_.programDir.filePath(QStringLiteral("ToviraWatch.ini")));
  window().Load();
  // No tick.wav beside the fake program folder; that report is expected.
  fixture_.reporter.codes.clear();
  window().show();
  settle();
}

void BenchWindow::choose(DisplayMode mode) {
  switch (mode) {
    case DisplayMode::Sec: window().form().mnuShowSecClick(); break;
    case DisplayMode::HMS: window().form().mnuShowHMSClick(); break;
    case DisplayMode::Frame24: window().form().mnuShowFrame24Click(); break;
    case DisplayMode::SSK: window().form().mnuShowSSKClick(); break;
  }
}

void BenchWindow::fillRecords(std::size_t count, DisplayMode mode) {
  // 1,237 ms apart: every field of every format changes along the list.
  auto& laps = records();
  laps.resize(count);
  std::int32_t split = 0;
  std::generate(laps.begin(), laps.end(), [&split] { return split += 1237; });
  // Rebuild in another mode first, so the list holds exactly these records.
  choose(mode == DisplayMode::Sec ? DisplayMode::HMS : DisplayMode::Sec);
  choose(mode);
  settle();
}

void BenchWindow::startAfterRecords() {
  auto& stopwatch = window().state().stopwatch;
  stopwatch.AccumulatedTime = records().empty() ? 0 : records().back();
  window().cmdStartClick();
  // Only the benchmark drives the periodic event.
  if (auto* timer = window().findChild<QTimer*>(QStringLiteral("tmrClock"))) timer->stop();
  settle();
}

void BenchWindow::settle() { QCoreApplication::processEvents(); }

}  // namespace tovira::bench
