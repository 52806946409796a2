// CWinApp: the one application object. The framework's WinMain finds it and
// runs its InitInstance; the program's own loop runs inside that.
#pragma once

#include "platform/framework/wnd.h"

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // FALSE ends the program when InitInstance returns; TRUE would ask for a
    // message pump of the framework's own, which this framework does not run.
    virtual BOOL InitInstance() { return TRUE; }

    static CWinApp* Current();

    CWnd* m_pMainWnd = nullptr;
};
