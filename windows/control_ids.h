#pragma once
// Control ids of the main window's children. The Wine bench finds the controls by
// these ids, so they stay fixed across versions.

namespace tovira::win32 {

inline constexpr int kStartStopButtonId = 1001;
inline constexpr int kResetLapButtonId = 1002;
inline constexpr int kTimeLabelId = 1003;
inline constexpr int kLapListId = 1004;
inline constexpr int kDialId = 1005;
inline constexpr int kDigitStripId = 1006;

}  // namespace tovira::win32
