#pragma once
// The design's fonts and colours on Windows: in the faces installed here, and in
// the system's colours, following its high-contrast scheme.

#include "engine/window_design.h"
#include "windows/win32_handle.h"

#include <windows.h>

namespace tovira::win32 {

// The font of a control with text at a monitor's density, in the face the design
// chooses among the installed ones.
UniqueFont CreateDesignFont(Control control, unsigned dpi);

// Whether the user has turned a high-contrast scheme on.
ColorScheme SystemColorScheme();

COLORREF Drawn(DesignColor color);

// A brush of the colour for painting into dc, owned by the system: a system colour's
// own, or dc's brush set to the colour.
HBRUSH BrushOf(HDC dc, DesignColor color);

}  // namespace tovira::win32
