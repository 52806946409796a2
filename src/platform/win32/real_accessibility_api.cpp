#include "platform/win32/real_accessibility_api.h"

// The annotation object is made on first use and kept. Until COM is
// initialised the making fails, the call fails, and the next call tries again.
HRESULT RealAccessibilityApi::Connect() {
    if (m_services.get() != nullptr) return S_OK;
    return ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, m_services.out());
}

template <class Call>
HRESULT RealAccessibilityApi::WithServices(Call call) {
    const HRESULT connected = Connect();
    return FAILED(connected) ? connected : call(*m_services.get());
}

HRESULT RealAccessibilityApi::SetHwndPropServer(HWND window, DWORD objectId, DWORD childId,
                                                const MSAAPROPID* properties, int count,
                                                IAccPropServer* server, AnnoScope scope) {
    return WithServices([&](IAccPropServices& services) {
        return services.SetHwndPropServer(window, objectId, childId, properties, count, server,
                                          scope);
    });
}

HRESULT RealAccessibilityApi::ClearHwndProps(HWND window, DWORD objectId, DWORD childId,
                                             const MSAAPROPID* properties, int count) {
    return WithServices([&](IAccPropServices& services) {
        return services.ClearHwndProps(window, objectId, childId, properties, count);
    });
}

HRESULT RealAccessibilityApi::DecomposeHwndIdentityString(const BYTE* identity, DWORD length,
                                                          HWND* window, DWORD* objectId,
                                                          DWORD* childId) {
    return WithServices([&](IAccPropServices& services) {
        return services.DecomposeHwndIdentityString(identity, length, window, objectId, childId);
    });
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
