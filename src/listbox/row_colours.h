// The colours a drive row is drawn in. Ordinary mode keeps the list's own
// look: black text on the window colour, the chosen row white on dark blue in
// a black frame. Under High Contrast the rows take the theme's colours, or a
// black theme would show black text on black.
#pragma once

#include "platform/accessibility_api.h"

struct RowColours {
    COLORREF back;
    COLORREF text;
    COLORREF selectedBack;
    COLORREF selectedText;
    COLORREF frame;  // the thin frame round the chosen row

    bool operator==(const RowColours&) const = default;
};

// Asks the system now: whether High Contrast is on, and its colours.
RowColours ReadRowColours(AccessibilityApi& system);
