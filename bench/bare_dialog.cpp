// The start-up benchmark's two yardsticks: what it costs Wine to start a
// program built like ours and show a modal dialog of the main window's size
// (bare_dialog), and the same with the DLLs and calls every implementation
// needs (floor_dialog, built with KORVANE_FLOOR). Anything the program's
// start takes beyond the floor is its own.
#include <windows.h>

#include "bare_dialog.h"
#ifdef KORVANE_FLOOR
#include "floor_calls.h"
#endif

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
#ifdef KORVANE_FLOOR
            MakeUnavoidableStartupCalls();
#endif
            return TRUE;
        case WM_COMMAND:
            // Alt+F4 and the close button arrive here as IDCANCEL.
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
                ::EndDialog(dialog, 0);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const INT_PTR result =
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BARE_DIALOG), nullptr, &BareDialogProc, 0);
    return result == -1 ? 1 : 0;
}
