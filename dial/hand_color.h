#pragma once
// The hand colour from the AnalogColor text "RRGGBB".

#include <cstdint>
#include <string_view>

namespace tovira {

// Reads characters 1-2, 3-4 and 5-6 (UTF-8 characters, fewer where the text is
// shorter) as hexadecimal red, green and blue: the leading hex digits of each pair
// count and no digit gives 0. Any bytes are accepted. Returns 0x00BBGGRR.
std::uint32_t HandColorFromText(std::string_view analogColor);

}  // namespace tovira
