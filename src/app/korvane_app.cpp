#include "app/korvane_app.h"

#include "app/command_line.h"
#include "app/main_dialog.h"
#include "platform/common_controls.h"
#include "res/resource.h"

CKorvane_Safe_EjectApp::CKorvane_Safe_EjectApp(DeviceApi& devices, SystemApi& system)
    : m_devices(devices), m_system(system) {}

BOOL CKorvane_Safe_EjectApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    common_controls::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    CKorvane_Safe_EjectDlg dialog(m_devices, m_system);
    // A hidden start runs the window modeless under a modal loop of its own,
    // which never shows it; the template's WS_VISIBLE shows a new modeless
    // dialog once its initialisation returns, hence the second hiding.
    if (HasMinimizedSwitch(m_system.GetCommandLineA()) &&
        dialog.Create(IDD_KORVANE_SAFE_EJECT_DIALOG, nullptr)) {
        dialog.ShowWindow(SW_HIDE);
        m_pMainWnd = &dialog;
        dialog.RunModalLoop(0);
    } else {
        // Also the fallback when the hidden window cannot be created: its
        // initialisation still sees "/min" and goes to the tray.
        m_pMainWnd = &dialog;
        dialog.DoModal();
    }
    m_pMainWnd = nullptr;
    return FALSE;
}
