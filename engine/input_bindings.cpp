#include "engine/input_bindings.h"

namespace tovira {
namespace {

bool IsNormalMode(const InputState& state) { return state.behaviorMode == 0; }

}  // namespace

std::vector<Command> CommandsForPress(PressTarget target, MouseButton button, const InputState& state) {
  const bool normal = IsNormalMode(state);
  switch (button) {
    case MouseButton::Left:
      if (normal) return {Command::StartClick};
      if (state.isRunning) return {Command::LapClick};
      // Lap mode, stopped: a left press on the dial also clears the buttons out of the way.
      if (target == PressTarget::Dial && state.showButtonChecked) {
        return {Command::ShowButtonClick, Command::StartClick};
      }
      return {Command::StartClick};
    case MouseButton::Right:
      if (normal) return {Command::LapClick};
      if (target == PressTarget::Dial) return {Command::StartClick, Command::ShowButtonClick};
      return {Command::StartClick};
    case MouseButton::Middle:
    case MouseButton::Other:
      break;
  }
  return {};
}

std::vector<Command> CommandsForDoubleClick(const InputState& state) {
  return {IsNormalMode(state) ? Command::StartClick : Command::LapClick};
}

}  // namespace tovira
