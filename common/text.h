#pragma once
// Texts of the core are UTF-16, as both window systems take them; a few go out as UTF-8.

#include <string>
#include <string_view>

namespace tovira {

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf8(std::u16string_view text);

}  // namespace tovira
