#pragma once
// What screen readers call the controls that show no name of their own, the same on
// every front end.

#include "display/time_formats.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tovira {

inline constexpr std::u16string_view kLapListAccessibleName = u"Lap times";

// "Dial at 3,723.456 seconds": the time the dial's hand shows, written as the time
// label writes it.
std::u16string DialAccessibleName(std::int32_t handTime, const NumberSymbols& symbols);

}  // namespace tovira
