// Display scale: the DPI a window is shown at, the lengths of the program's
// 96-DPI layout scaled to it, and the program's icons at the size it asks
// for. What Windows 7 and 8 lack is looked up at run time.
#pragma once

#include "platform/windows_headers.h"

inline constexpr UINT kBaseDpi = 96;  // 100%: every pixel length of the layout is given at it

// The DPI of the monitor the window is on where Windows knows one per
// monitor (10 1607 and later), else the system's, from the screen's DC.
UINT WindowDpi(HWND window);

// Whether Windows and the dialog manager scale the window's caption, menu,
// controls and font when it moves to a monitor of another scale: only under
// Per-Monitor v2 (Windows 10 1703 and later). Under the first per-monitor
// mode (8.1 to 10 1607) nothing is re-laid out, so the window keeps the
// size it was made at rather than resize around controls that stay as they are.
bool DialogFollowsDpiChanges(HWND window);

inline int ScaleToDpi(int pixelsAt96, UINT dpi) {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

// The side of a large (32 px at 100%) and a small (16 px) icon at the DPI.
inline int IconSize(UINT dpi) {
    return ScaleToDpi(32, dpi);
}
inline int SmallIconSize(UINT dpi) {
    return ScaleToDpi(16, dpi);
}

// Icon resource `id` of this program, `size` pixels square, from its image of
// that size (LoadImage picks and, only for a size no image has, scales the
// nearest). Loaded once for the process and shared, never destroyed, like
// the icons LoadIcon gives; LoadImage's own sharing ignores the size asked.
HICON SharedIcon(int id, int size);

// The icon `icon` shows, as SharedIcon gives it at `size`; an icon that
// SharedIcon did not give comes back as it is.
HICON SharedIconAtSize(HICON icon, int size);
