#include "common/failure.h"
#include "engine/input_bindings.h"
#include "engine/command_timing.h"
#include "engine/stopwatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace tovira {
namespace {

TEST(StopwatchElapsed, ResumesFromTheAccumulatedTime) {
  Stopwatch sw;
  sw.AccumulatedTime = 5000;
  EXPECT_EQ(sw.Elapsed(123), 5000);  // stopped: the accumulated time only
  sw.Start(1000);
  EXPECT_EQ(sw.Elapsed(3000), 7000);
}

TEST(StopwatchElapsed, RunsAcrossBothCounterBoundaries) {
  Stopwatch sw;
  sw.Start(4294967000u);  // wraps to 0 during the run
  EXPECT_EQ(sw.Elapsed(704u), 1000);
  sw.Start(2147483000u);  // passes 2147483647, read as negative when signed
  EXPECT_EQ(sw.StartTick, static_cast<std::int32_t>(2147483000u));
  EXPECT_EQ(sw.Elapsed(2147484000u), 1000);
}

TEST(StopwatchElapsed, FaultsWhenTheTotalLeavesThe32BitRange) {
  Stopwatch sw;
  sw.Start(0);
  EXPECT_EQ(sw.Elapsed(2147483647u), 2147483647);
  EXPECT_THROW(sw.Elapsed(2147483648u), Fault);  // a run of more than 24.8 days
  sw.AccumulatedTime = 1000;
  EXPECT_THROW(sw.Elapsed(2147482648u), Fault);
  EXPECT_EQ(sw.Elapsed(2147482647u), 2147483647);
}

TEST(NextRefresh, FollowsTheScreensPeriodFromTheStartSixtyHertzWhenUnknown) {
  const double unknown = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double hertz;
    std::uint32_t since;
    int delay;
  } rows[] = {
      {60.0, 0, 17},  {60.0, 17, 16}, {60.0, 33, 17}, {60.0, 50, 17},  // 17, 33, 50, 67: 60 a second
      {60.0, 40, 10},                                                  // late: the next one due
      {50.0, 0, 20},  {144.0, 0, 7},  {144.0, 7, 7},  {2000.0, 5, 1},
      {0.0, 0, 17},   {-60.0, 0, 17}, {unknown, 0, 17},
      {60.0, 4294967290u, 10},  // a run of 49 days
  };
  for (const auto& row : rows) EXPECT_EQ(NextRefreshDelayMs(row.hertz, row.since), row.delay) << row.hertz << " " << row.since;
}

TEST(CommandTiming, TakesTheEventsOwnStampHoweverOldButNeverFromTheFuture) {
  const std::optional<std::uint32_t> none;
  const struct {
    std::uint32_t tickNow;
    std::optional<std::uint32_t> inputNow, eventTime;
    std::uint32_t tick;
  } rows[] = {
      {5000, 900, 880, 4981},                  // 20 ms old: the end of its millisecond
      {5000, 900, 900, 5000},                  // stamped just now: no later than now
      {5000, 900, 4294967196u, 4001},          // the input clock wrapped since: 1000 ms old
      {5000, 900, 4294867196u, 4294871297u},   // 100 s old, before the counter wrapped
      {10, 70000, 69950, 4294967257u},         // the reading wraps back over 0
      {5000, 900, 901, 5000},                  // from the future
      {5000, 900, 0x80000384u, 5000},          // half the clock's range away
      {5000, 900, 0, 5000},                    // 0 is no stamp (CurrentTime)
      {5000, none, 880, 5000},                 // stamps of another machine's clock
      {5000, 900, none, 5000},                 // no input behind the command
  };
  for (const auto& row : rows) {
    CommandTiming timing(1);
    EXPECT_EQ(timing.commandTick(row.tickNow, row.inputNow, row.eventTime), row.tick)
        << row.tickNow << " " << row.inputNow.value_or(0) << " " << row.eventTime.value_or(0);
  }
}

TEST(CommandTiming, NeverTimesACommandBeforeTheOneBefore) {
  CommandTiming timing(1);
  EXPECT_EQ(timing.commandTick(5000, 900, 880), 4981u);
  EXPECT_EQ(timing.commandTick(5100, 1000, 870), 4981u);  // stamped before the last command
  EXPECT_EQ(timing.commandTick(5200, 1100, 1090), 5191u);
  // A command days after the last one is not held back to it.
  EXPECT_EQ(timing.commandTick(5200 + 0x90000000u, 1100 + 0x90000000u, 1090 + 0x90000000u), 5191u + 0x90000000u);
}

TEST(CommandTiming, FollowsTheClocksApartAfterASuspend) {
  CommandTiming timing(1);
  EXPECT_EQ(timing.commandTick(5000, 900, 880), 4981u);
  // CLOCK_MONOTONIC stood still for an hour that the counter went on through.
  EXPECT_EQ(timing.commandTick(3'605'100, 1000, 990), 3'605'090u);
}

// Windows stamps input with GetTickCount, which moves only at the system timer's
// interrupts, 15.625 ms apart, while timeGetTime counts milliseconds. Presses at every
// phase of that timer, handled after delays from none to 100 ms, with the pointer
// moving before each (each move a chance to compare the clocks).
TEST(CommandTiming, WithACoarseInputClockTimesPressesWithinOneStepOfTheTimer) {
  constexpr double kInterrupt = 15.625;
  const auto tickCount = [](double ms) {  // GetTickCount, with the interrupts 3.2 ms into the counter's ms
    return static_cast<std::uint32_t>(std::floor(std::floor((ms - 3.2) / kInterrupt) * kInterrupt));
  };
  const auto timeGetTime = [](double ms) { return static_cast<std::uint32_t>(std::floor(ms)); };
  const struct {
    double handlingDelay;
    double bound;  // ms either side of the press
  } rows[] = {{0.0, 1.0}, {1.0, 2.0}, {2.0, 3.0}, {5.0, kInterrupt + 1}, {20.0, kInterrupt + 1}, {100.0, kInterrupt + 1}};
  for (const auto& row : rows) {
    CommandTiming timing(16);
    double worst = 0.0;
    double press = 60'000.0;
    for (int n = 0; n < 2000; ++n, press += 517.3) {
      for (double move = press - 200.0; move < press; move += 7.9) timing.observe(timeGetTime(move), tickCount(move));
      const double handled = press + row.handlingDelay;
      const std::uint32_t tick = timing.commandTick(timeGetTime(handled), tickCount(handled), tickCount(press));
      const double error = static_cast<double>(tick) - press;
      if (std::abs(error) > std::abs(worst)) worst = error;
    }
    EXPECT_LE(std::abs(worst), row.bound) << "handled " << row.handlingDelay << " ms after the press";
    std::printf("handled %5.1f ms late: worst error %+.1f ms\n", row.handlingDelay, worst);
  }
}

TEST(StopwatchClear, EmptiesRecordsAndTimeButNotTheRunningFlag) {
  Stopwatch sw;
  sw.Start(10);
  sw.LapTimes = {1, 2};
  sw.AccumulatedTime = 9;
  sw.Clear();
  EXPECT_TRUE(sw.LapTimes.empty());
  EXPECT_EQ(sw.AccumulatedTime, 0);
  EXPECT_TRUE(sw.IsRunning);
}

struct PressCase {
  PressTarget target;
  MouseButton button;
  std::int32_t mode;
  bool running;
  bool buttonsShown;
  std::vector<Command> expected;
};

class PressBindings : public ::testing::TestWithParam<PressCase> {};

TEST_P(PressBindings, GiveTheTableCommands) {
  const auto& c = GetParam();
  EXPECT_EQ(CommandsForPress(c.target, c.button, {c.mode, c.running, c.buttonsShown}), c.expected);
}

using enum Command;
using enum MouseButton;
using enum PressTarget;

INSTANTIATE_TEST_SUITE_P(
    AllRows, PressBindings,
    ::testing::Values(
        // Label, list and background behave alike.
        PressCase{TimeLabel, Left, 0, false, true, {StartClick}},
        PressCase{LapList, Left, 0, true, true, {StartClick}},
        PressCase{Background, Right, 0, false, true, {LapClick}},
        PressCase{TimeLabel, Right, 0, true, false, {LapClick}},
        PressCase{Background, Left, 1, false, true, {StartClick}},
        PressCase{LapList, Left, 1, true, true, {LapClick}},
        PressCase{TimeLabel, Right, 1, true, true, {StartClick}},
        PressCase{Background, Right, 1, false, false, {StartClick}},
        PressCase{TimeLabel, Left, 2, true, true, {LapClick}},  // any mode but 0 is Lap
        PressCase{TimeLabel, Left, -1, false, true, {StartClick}},
        // The dial.
        PressCase{Dial, Left, 0, false, true, {StartClick}},
        PressCase{Dial, Right, 0, true, true, {LapClick}},
        PressCase{Dial, Left, 1, true, true, {LapClick}},
        PressCase{Dial, Left, 1, false, true, {ShowButtonClick, StartClick}},
        PressCase{Dial, Left, 1, false, false, {StartClick}},
        PressCase{Dial, Right, 1, false, false, {StartClick, ShowButtonClick}},
        PressCase{Dial, Right, 1, true, true, {StartClick, ShowButtonClick}},
        // The middle button and unknown buttons do nothing anywhere.
        PressCase{Dial, Middle, 1, true, true, {}},
        PressCase{Background, Middle, 0, false, true, {}},
        PressCase{LapList, Other, 0, true, true, {}}));

TEST(DoubleClickBindings, StartStopInNormalLapResetInLap) {
  EXPECT_EQ(CommandsForDoubleClick({0, true, true}), std::vector<Command>{StartClick});
  EXPECT_EQ(CommandsForDoubleClick({1, false, true}), std::vector<Command>{LapClick});
  EXPECT_EQ(CommandsForDoubleClick({7, true, false}), std::vector<Command>{LapClick});
}

}  // namespace
}  // namespace tovira
