// The framework's entry point: the program defines one global CWinApp-derived
// object, constructed before this runs. Each program links this file itself.
#include "platform/framework/win_app.h"

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
