// AccessibilityApi answered by the real operating system.
#pragma once

#include "platform/accessibility_api.h"
#include "platform/com_ptr.h"

class RealAccessibilityApi final : public AccessibilityApi {
public:
    HRESULT SetHwndPropStr(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property,
                           LPCWSTR text) override;
    HRESULT ClearHwndProps(HWND window, DWORD objectId, DWORD childId, const MSAAPROPID* properties,
                           int count) override;
    BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni) override;
    DWORD GetSysColor(int index) override;

private:
    HRESULT Connect();

    ComPtr<IAccPropServices> m_services;
};

// The one instance the program's controls use. It is never destroyed: COM
// stays initialised on the program's one thread until the process ends.
AccessibilityApi& RealAccessibility();
