#pragma once
// The window's menu bar, made from the menus' table. Items that carry a mark have a
// command id of their own, from which a choice finds its MenuItem.

#include "engine/menu_table.h"
#include "windows/win32_handle.h"

#include <optional>

namespace tovira::win32 {

inline constexpr UINT kQuitCommand = 2001;
inline constexpr UINT kCreditCommand = 2002;
inline constexpr UINT kFirstMarkedCommand = 2101;

constexpr UINT CommandOf(MenuItem item) { return kFirstMarkedCommand + static_cast<UINT>(item); }
std::optional<MenuItem> MarkedItemOf(UINT command);

UniqueMenu CreateMenuBar();

}  // namespace tovira::win32
