// A month of running on the injected tick counter, in simulated time: the
// counter passes from 2^31 - 1 to 2^31 and wraps from 2^32 - 1 to 0 during runs,
// 3,600 laps are taken in the first hour, and the 32-bit elapsed time runs out
// after about 24.9 days of running. The periodic event is raised once a
// simulated minute, and around each boundary at every millisecond.

#include "support/window_fixture.h"
#include "window/lap_list_model.h"

#include <gtest/gtest.h>

#include "window/time_label.h"

#include <fstream>

namespace tovira::testing {
namespace {

constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;
constexpr std::uint64_t kHour = 60 * kMinute;
constexpr std::uint64_t kDay = 24 * kHour;
constexpr std::uint64_t kTwoTo31 = std::uint64_t{1} << 31;
constexpr std::uint64_t kTwoTo32 = std::uint64_t{1} << 32;
// The counter at the first Start: half an hour before it passes 2^31.
constexpr std::uint64_t kFirstTick = kTwoTo31 - 30 * kMinute;

// "1,234.567": the label's text for an elapsed time, written out by hand.
std::string SecondsText(std::uint64_t ms) {
  std::string whole = std::to_string(ms / 1000);
  for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(static_cast<std::size_t>(at), ",");
  const std::string millis = std::to_string(1000 + ms % 1000).substr(1);
  return whole + "." + millis;
}

// Resident memory in kB; sanitizers keep freed memory in quarantine, so it means little there.
long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

class LongRun : public ::testing::Test {
 protected:
  LongRun() {
    auto& o = f.options();
    o.Showbutton = o.ShowDigital = o.ShowAnalog = 1;
    o.LapType = 1;
    o.AnalogScale = 1;
  }

  // Moves the simulated clock to `wall` ms after the first Start.
  void at(std::uint64_t wall) { f.platform.ticks.now = static_cast<std::uint32_t>((kFirstTick + wall) % kTwoTo32); }
  QString label() const { return f.control<TimeLabel>("lblTime")->text(); }

  // A periodic event at `wall`, which must show `elapsed`.
  void refreshShowing(std::uint64_t wall, std::uint64_t elapsed) {
    at(wall);
    f.window->tmrClockTimer();
    ASSERT_EQ(label().toStdString(), SecondsText(elapsed)) << "at " << wall << " ms";
  }

  // Events every `step` from `from` up to `to`, while running since `runStart` with `accumulated` before it.
  void runThrough(std::uint64_t from, std::uint64_t to, std::uint64_t step, std::uint64_t runStart,
                  std::uint64_t accumulated) {
    for (std::uint64_t wall = from; wall <= to; wall += step) {
      ASSERT_NO_FATAL_FAILURE(refreshShowing(wall, wall - runStart + accumulated));
    }
  }

  WindowFixture f;
};

TEST_F(LongRun, AMonthAcrossBothCounterBoundariesIsExactAndRunsOutOnce) {
  // First run: a lap every second for an hour, crossing 2^31 at 30 minutes.
  at(0);
  f.window->cmdStartClick();
  for (std::uint64_t second = 1; second <= 3600; ++second) {
    ASSERT_NO_FATAL_FAILURE(refreshShowing(second * kSecond, second * kSecond));
    f.window->cmdLapClick();
    if (second == 1799) {
      ASSERT_NO_FATAL_FAILURE(runThrough(1800 * kSecond - 3, 1800 * kSecond + 3, 1, 0, 0));
    }
  }
  const auto& laps = f.stopwatch().LapTimes;
  ASSERT_EQ(laps.size(), 3600u);
  for (std::size_t i = 0; i < laps.size(); ++i) {
    ASSERT_EQ(laps[i], static_cast<std::int32_t>((i + 1) * kSecond));
  }
  EXPECT_EQ(f.window->lapLines().lines().size(), 3600);
  EXPECT_TRUE(f.window->lapLines().lines().back().contains(QStringLiteral("3,600.000")));
  const long warmedUp = ResidentKilobytes();

  // Running on to day 2, stopped for a day, then resumed.
  ASSERT_NO_FATAL_FAILURE(runThrough(kHour + kMinute, 2 * kDay, kMinute, 0, 0));
  at(2 * kDay);
  f.window->cmdStartClick();
  EXPECT_EQ(f.stopwatch().AccumulatedTime, static_cast<std::int32_t>(2 * kDay));
  for (std::uint64_t wall = 2 * kDay; wall < 3 * kDay; wall += kHour) {
    at(wall);
    f.window->tmrClockTimer();
  }
  EXPECT_EQ(label().toStdString(), SecondsText(2 * kDay)) << "the label keeps the last refresh";
  at(3 * kDay);
  f.window->cmdStartClick();

  // The counter wraps from 2^32 - 1 to 0 at 2^31 + 30 minutes after the first Start.
  const std::uint64_t wrap = kTwoTo32 - kFirstTick;
  const std::uint64_t resumed = 3 * kDay;
  const std::uint64_t before = 2 * kDay;
  ASSERT_NO_FATAL_FAILURE(runThrough(resumed + kMinute, wrap - 3, kMinute, resumed, before));
  ASSERT_NO_FATAL_FAILURE(runThrough(wrap - 3, wrap + 3, 1, resumed, before));
  EXPECT_TRUE(f.reporter.codes.empty());

  // The elapsed time reaches 2^31 ms: one report, then silence for the rest of the month.
  const std::uint64_t runsOut = resumed + kTwoTo31 - before;
  ASSERT_NO_FATAL_FAILURE(runThrough(wrap + kMinute, runsOut - 1, kMinute, resumed, before));
  ASSERT_NO_FATAL_FAILURE(refreshShowing(runsOut - 1, kTwoTo31 - 1));
  for (std::uint64_t wall = runsOut; wall <= 30 * kDay; wall += kMinute) {
    at(wall);
    f.window->tmrClockTimer();
  }
  EXPECT_EQ(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::ClockTimer});
  EXPECT_EQ(label().toStdString(), SecondsText(kTwoTo31 - 1));
  if (kMemoryIsMeasurable) {
    EXPECT_LT(ResidentKilobytes() - warmedUp, 8 * 1024) << "resident memory grew during the month";
  }

  // Stop then fails to record (003) but stops; the earlier runs stay accumulated.
  f.window->cmdStartClick();
  EXPECT_EQ(f.reporter.codes, (std::vector<ErrorCode>{ErrorCode::ClockTimer, ErrorCode::RecordStop}));
  EXPECT_FALSE(f.stopwatch().IsRunning);
  EXPECT_EQ(f.stopwatch().AccumulatedTime, static_cast<std::int32_t>(2 * kDay));
  EXPECT_EQ(laps.size(), 3601u);

  // Reset clears everything and the next run works and reports again.
  f.window->cmdLapClick();
  EXPECT_TRUE(f.window->lapLines().lines().empty());
  at(30 * kDay);
  f.window->cmdStartClick();
  ASSERT_NO_FATAL_FAILURE(refreshShowing(30 * kDay + 1234, 1234));
  EXPECT_EQ(f.reporter.codes.size(), 2u);
}

}  // namespace
}  // namespace tovira::testing
