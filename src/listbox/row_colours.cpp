#include "listbox/row_colours.h"

// The record's size is how Windows knows it: a UINT, a DWORD and a pointer,
// 12 bytes in a 32-bit program and 16 in a 64-bit one.
static_assert(sizeof(HIGHCONTRASTA) == (sizeof(void*) == 4 ? 12 : 16));

namespace {

bool HighContrastOn(AccessibilityApi& system) {
    HIGHCONTRASTA highContrast{sizeof(highContrast), 0, nullptr};
    return system.SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast,
                                        0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

RowColours ReadRowColours(AccessibilityApi& system) {
    const COLORREF window = system.GetSysColor(COLOR_WINDOW);
    if (!HighContrastOn(system)) {
        return {window, RGB(0, 0, 0), RGB(0, 0, 200), RGB(255, 255, 255), RGB(0, 0, 0)};
    }
    const COLORREF windowText = system.GetSysColor(COLOR_WINDOWTEXT);
    return {window, windowText, system.GetSysColor(COLOR_HIGHLIGHT),
            system.GetSysColor(COLOR_HIGHLIGHTTEXT), windowText};
}
