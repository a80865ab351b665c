#pragma once
// What mouse presses and double clicks on the window's elements do, by button and
// behaviour mode. Pure: the window carries the commands out in the order given.

#include <cstdint>
#include <vector>

namespace tovira {

// The toolkit's button numbers.
enum class MouseButton : int { Left = 1, Right = 2, Middle = 4, Other = 0 };

enum class PressTarget { Background, TimeLabel, LapList, Dial };

enum class Command {
  StartClick,       // Click of cmdStart: Start or Stop
  LapClick,         // Click of cmdLap: Lap or Reset
  ShowButtonClick,  // Click of mnuShowButton: toggles the push buttons
};

struct InputState {
  std::int32_t behaviorMode = 0;  // 0 Normal; every other value is Lap
  bool isRunning = false;
  bool showButtonChecked = true;  // the check mark of mnuShowButton
};

// Commands for a press, in order.
std::vector<Command> CommandsForPress(PressTarget target, MouseButton button, const InputState& state);

// Commands for a double click (the left button's; it comes in place of the second press).
std::vector<Command> CommandsForDoubleClick(const InputState& state);

}  // namespace tovira
