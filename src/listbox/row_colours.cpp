#include "listbox/row_colours.h"

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
