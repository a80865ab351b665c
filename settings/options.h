#pragma once
// The window's options: what the settings file keeps between runs. Every option is
// 0 (AnalogColor not set) until the settings are read at start-up. Values outside
// those the menus store can only come from a hand-edited file; they are kept as read.

#include <cstdint>
#include <optional>
#include <string>

namespace tovira {

struct WindowOptions {
  std::int32_t Showbutton = 0;        // 1 buttons shown, 0 hidden
  std::int32_t ShowDigital = 0;       // 1 time label shown, 0 hidden
  std::int32_t ShowAnalog = 0;        // 1 dial shown, 0 hidden
  std::int32_t LapType = 0;           // display mode 1 to 4
  std::int32_t AnalogScale = 0;       // 1, 2, 3: 6, 10, 30 seconds per turn
  std::optional<std::string> AnalogColor;  // RRGGBB text, bytes as read; empty until read
  std::int32_t WindowForceFront = 0;  // 1 always on top, 0 ordinary
  std::int32_t PlaySound = 0;         // 1 tick sound on, 0 off
  std::int32_t BehaviorMode = 0;      // 0 Normal, 1 Lap
};

}  // namespace tovira
