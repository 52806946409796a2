// What the drive list asks of Windows so that everyone can read it: names for
// its owner-drawn rows through oleacc's direct annotation, and whether High
// Contrast is on, with the colours to draw in then. Tests put a fake in its
// place: Wine answers neither (its annotation calls are stubs and it reports
// High Contrast off). Methods keep the Win32 names.
#pragma once

#include "platform/windows_headers.h"

// clang-format off
#include <oleacc.h>
// clang-format on

class AccessibilityApi {
public:
    virtual ~AccessibilityApi() = default;

    // IAccPropServices' methods for window-based accessible objects.
    virtual HRESULT SetHwndPropStr(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property,
                                   LPCWSTR text) = 0;
    virtual HRESULT ClearHwndProps(HWND window, DWORD objectId, DWORD childId,
                                   const MSAAPROPID* properties, int count) = 0;

    virtual BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni) = 0;
    virtual DWORD GetSysColor(int index) = 0;
};
