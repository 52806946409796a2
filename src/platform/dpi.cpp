#include "platform/dpi.h"

#include <vector>

namespace {

// A function of user32 that older Windows lacks, or null there.
template <class Function>
Function* OptionalUser32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    FARPROC found = user32 == nullptr ? nullptr : ::GetProcAddress(user32, name);
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(found));
}

UINT SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return kBaseDpi;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

struct LoadedIcon {
    int id;
    int size;
    HICON icon;
};

std::vector<LoadedIcon>& LoadedIcons() {
    static std::vector<LoadedIcon> icons;
    return icons;
}

}  // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT WINAPI(HWND);
    static auto* const getDpiForWindow =
        OptionalUser32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

bool DialogFollowsDpiChanges(HWND window) {
    using GetContextFunction = DPI_AWARENESS_CONTEXT WINAPI(HWND);
    using ContextsEqualFunction = BOOL WINAPI(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    static auto* const getContext =
        OptionalUser32Function<GetContextFunction>("GetWindowDpiAwarenessContext");
    static auto* const contextsEqual =
        OptionalUser32Function<ContextsEqualFunction>("AreDpiAwarenessContextsEqual");
    return getContext != nullptr && contextsEqual != nullptr &&
           contextsEqual(getContext(window), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

HICON SharedIcon(int id, int size) {
    for (const LoadedIcon& loaded : LoadedIcons()) {
        if (loaded.id == id && loaded.size == size) return loaded.icon;
    }
    HICON icon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                                 IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon != nullptr) LoadedIcons().push_back({id, size, icon});
    return icon;
}

HICON SharedIconAtSize(HICON icon, int size) {
    for (const LoadedIcon& loaded : LoadedIcons()) {
        if (loaded.icon != icon) continue;
        const int id = loaded.id;  // loading may grow the list under the loop
        HICON resized = SharedIcon(id, size);
        return resized != nullptr ? resized : icon;
    }
    return icon;
}
