#include "engine/command_timing.h"

#include <limits>

namespace tovira {
namespace {

constexpr std::uint32_t kLongestAgo = std::numeric_limits<std::int32_t>::max();

}  // namespace

void CommandTiming::observe(std::uint32_t tickNow, std::uint32_t inputNow) {
  const std::uint32_t lead = tickNow - inputNow;
  if (!lead_) {
    lead_ = lead;
    return;
  }
  const auto change = static_cast<std::int32_t>(lead - *lead_);
  if (change < 0) {
    lead_ = lead;  // read nearer to a step of the input clock than ever before
  } else if (static_cast<std::uint32_t>(change) > stepMs_) {
    lead_ = lead - stepMs_;  // the clocks drifted apart (a suspend stops CLOCK_MONOTONIC only)
  }
}

std::uint32_t CommandTiming::eventTick(std::uint32_t tickNow, std::uint32_t inputNow,
                                       std::uint32_t eventTime) const {
  if (inputNow - eventTime > kLongestAgo) return tickNow;  // stamped ahead of the clock that stamps
  const std::uint32_t endOfStep = eventTime + *lead_ + stepMs_;
  return tickNow - endOfStep > kLongestAgo ? tickNow : endOfStep;
}

std::uint32_t CommandTiming::commandTick(std::uint32_t tickNow, std::optional<std::uint32_t> inputNow,
                                         std::optional<std::uint32_t> eventTime) {
  std::uint32_t tick = tickNow;
  if (inputNow) {
    observe(tickNow, *inputNow);
    // A stamp of 0 is none: X11's CurrentTime, an event a program made up.
    if (eventTime && *eventTime != 0) tick = eventTick(tickNow, *inputNow, *eventTime);
  }
  if (lastCommand_ && tickNow - *lastCommand_ < tickNow - tick) tick = *lastCommand_;
  lastCommand_ = tick;
  return tick;
}

}  // namespace tovira
