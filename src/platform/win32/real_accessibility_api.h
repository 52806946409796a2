// AccessibilityApi answered by the real operating system.
#pragma once

#include "platform/accessibility_api.h"
#include "platform/com_ptr.h"

class RealAccessibilityApi final : public AccessibilityApi {
public:
    HRESULT SetHwndPropServer(HWND window, DWORD objectId, DWORD childId,
                              const MSAAPROPID* properties, int count, IAccPropServer* server,
                              AnnoScope scope) override;
    HRESULT ClearHwndProps(HWND window, DWORD objectId, DWORD childId, const MSAAPROPID* properties,
                           int count) override;
    HRESULT DecomposeHwndIdentityString(const BYTE* identity, DWORD length, HWND* window,
                                        DWORD* objectId, DWORD* childId) override;
    BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni) override;
    DWORD GetSysColor(int index) override;

private:
    HRESULT Connect();
    template <class Call>
    HRESULT WithServices(Call call);

    ComPtr<IAccPropServices> m_services;
};

// The one instance the program's controls use. It is never destroyed: COM
// stays initialised on the program's one thread until the process ends.
AccessibilityApi& RealAccessibility();
