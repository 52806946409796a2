// What the drive list asks of Windows so that everyone can read it: a server
// that answers its rows' names through oleacc's annotation services, and
// whether High Contrast is on, with the colours to draw in then. Tests put a
// fake in its place: Wine answers neither (its annotation calls are stubs and
// it reports High Contrast off). Methods keep the Win32 names.
#pragma once

#include "platform/windows_headers.h"

// clang-format off
#include <oleacc.h>
// clang-format on

class AccessibilityApi {
public:
    virtual ~AccessibilityApi() = default;

    // IAccPropServices' methods for window-based accessible objects.
    virtual HRESULT SetHwndPropServer(HWND window, DWORD objectId, DWORD childId,
                                      const MSAAPROPID* properties, int count,
                                      IAccPropServer* server, AnnoScope scope) = 0;
    virtual HRESULT ClearHwndProps(HWND window, DWORD objectId, DWORD childId,
                                   const MSAAPROPID* properties, int count) = 0;
    virtual HRESULT DecomposeHwndIdentityString(const BYTE* identity, DWORD length, HWND* window,
                                                DWORD* objectId, DWORD* childId) = 0;

    virtual BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni) = 0;
    virtual DWORD GetSysColor(int index) = 0;
};
