// The COMCTL32 calls the program makes. COMCTL32 is not one of Windows'
// KnownDLLs: imported by name, the loader would take a comctl32.dll lying
// beside the program. So it is loaded from the system folder once the program
// runs, and each call fails, as its own failure would, where it is missing.
#pragma once

#include "platform/windows_headers.h"

namespace common_controls {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
// Reached only from a procedure that SetWindowSubclass installed.
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace common_controls
