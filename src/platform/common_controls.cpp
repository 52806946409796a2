#include "platform/common_controls.h"

#include "platform/dll_search.h"

namespace common_controls {
namespace {

HMODULE Library() {
    static const HMODULE library = LoadSystemLibrary("comctl32.dll");
    return library;
}

template <typename Pointer>
Pointer Find(const char* name) {
    return FindExport<Pointer>(Library(), name);
}

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    static const auto call = Find<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx");
    return call != nullptr && call(controls);
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    static const auto call = Find<decltype(&::SetWindowSubclass)>("SetWindowSubclass");
    return call != nullptr && call(window, procedure, id, data);
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    static const auto call = Find<decltype(&::RemoveWindowSubclass)>("RemoveWindowSubclass");
    return call != nullptr && call(window, procedure, id);
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const auto call = Find<decltype(&::DefSubclassProc)>("DefSubclassProc");
    return call == nullptr ? 0 : call(window, message, wParam, lParam);
}

}  // namespace common_controls
