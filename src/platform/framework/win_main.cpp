// The framework's entry point: the program defines one global CWinApp-derived
// object, constructed before this runs. Each program links this file itself.
#include "platform/dll_search.h"
#include "platform/framework/win_app.h"

// Before any other static object is made, and so before the program can load
// a DLL: Windows then takes the DLLs loaded later from its own folder only,
// never from the program's (a Downloads folder, where anyone may have left one).
// The DLLs the program imports are Windows' KnownDLLs, mapped from the system
// folder before this runs.
__attribute__((constructor(101))) static void RestrictDllSearchFirst() {
    RestrictDllSearch();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* application = CWinApp::Current();
    if (application == nullptr) return 1;
    // InitInstance runs the whole program; its answer only tells a framework
    // with a pump of its own whether to run it, and this one has none.
    GuardedCall(
        [&]() -> LRESULT {
            application->InitInstance();
            return 0;
        },
        0);
    return 0;
}
