#include "platform/win32/real_accessibility_api.h"

// The annotation object is made on first use and kept. Until COM is
// initialised the making fails, the call fails, and the next call tries again.
HRESULT RealAccessibilityApi::Connect() {
    if (m_services.get() != nullptr) return S_OK;
    return ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, m_services.out());
}

HRESULT RealAccessibilityApi::SetHwndPropStr(HWND window, DWORD objectId, DWORD childId,
                                             MSAAPROPID property, LPCWSTR text) {
    const HRESULT connected = Connect();
    return FAILED(connected)
               ? connected
               : m_services->SetHwndPropStr(window, objectId, childId, property, text);
}

HRESULT RealAccessibilityApi::ClearHwndProps(HWND window, DWORD objectId, DWORD childId,
                                             const MSAAPROPID* properties, int count) {
    const HRESULT connected = Connect();
    return FAILED(connected)
               ? connected
               : m_services->ClearHwndProps(window, objectId, childId, properties, count);
}

BOOL RealAccessibilityApi::SystemParametersInfoA(UINT action, UINT param, void* value,
                                                 UINT winIni) {
    return ::SystemParametersInfoA(action, param, value, winIni);
}

DWORD RealAccessibilityApi::GetSysColor(int index) {
    return ::GetSysColor(index);
}

AccessibilityApi& RealAccessibility() {
    static auto* const instance = new RealAccessibilityApi;
    return *instance;
}
