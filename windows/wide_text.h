#pragma once
// The core's UTF-16 texts as the wide-character calls of Windows take them.

#include <string>
#include <string_view>

namespace tovira::win32 {

// NUL-terminated by std::wstring; wchar_t is UTF-16 on Windows.
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace tovira::win32
