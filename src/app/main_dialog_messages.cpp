// The main window's message table and the handlers that are its own: system
// commands, painting while minimised, device-change and timer refreshes, the
// refresh icon and Exit.
#include "app/main_dialog.h"
#include "res/resource.h"

namespace {

using Dlg = CKorvane_Safe_EjectDlg;

Dlg& Self(CWnd& window) {
    return static_cast<Dlg&>(window);
}

constexpr MessageMapEntry kMessageMap[] = {
    OnMessage(WM_SYSCOMMAND,
              [](CWnd& w, WPARAM wParam, LPARAM) -> LRESULT {
                  Self(w).OnSysCommand(static_cast<UINT>(wParam));
                  return 0;
              }),
    OnMessage(WM_PAINT,
              [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                  Self(w).OnPaint();
                  return 0;
              }),
    OnMessage(WM_QUERYDRAGICON,
              [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                  return reinterpret_cast<LRESULT>(Self(w).OnQueryDragIcon());
              }),
    // The event data is not read; the window never denies a query.
    OnMessage(WM_DEVICECHANGE,
              [](CWnd& w, WPARAM wParam, LPARAM) -> LRESULT {
                  Self(w).OnDeviceChange(static_cast<UINT>(wParam));
                  return 0;
              }),
    OnMessage(WM_TRAYNOTIFY,
              [](CWnd& w, WPARAM wParam, LPARAM lParam) -> LRESULT {
                  Self(w).OnTrayNotify(wParam, lParam);
                  return 0;
              }),
    OnRegisteredMessage(WM_TASKBARCREATED, &CallWithoutArguments<Dlg, &Dlg::OnTaskbarCreated>),
    OnMessage(WM_DESTROY,
              [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                  Self(w).OnDestroy();
                  return 0;
              }),
    OnMessage(WM_TIMER,
              [](CWnd& w, WPARAM wParam, LPARAM) -> LRESULT {
                  Self(w).OnTimer(wParam);
                  return 0;
              }),
    OnCommand<Dlg, &Dlg::OnTrayExit>(ID_TRAY_EXIT),
    OnCommand<Dlg, &Dlg::OnTrayRestore>(ID_TRAY_RESTORE),
    OnCommand<Dlg, &Dlg::MinimizeToTray>(ID_OPTIONS_MINIMIZE_TO_TRAY),
    OnCommand<Dlg, &Dlg::ToggleAutostart>(ID_OPTIONS_AUTOSTART),
    OnCommand<Dlg, &Dlg::OnExit>(ID_OPTIONS_EXIT),
    OnCommand<Dlg, &Dlg::ShowAboutBox>(ID_HELP_ABOUT),
    OnCommand<Dlg, &Dlg::VisitWebSite>(ID_HELP_VISIT),
    OnCommand<Dlg, &Dlg::OpenUserGuide>(ID_HELP_USER_GUIDE),
    OnCommand<Dlg, &Dlg::OnRefreshIconClicked>(IDC_REFRESH_ICON, STN_CLICKED),
    OnCommand<Dlg, &Dlg::EjectSelectedDrive>(IDC_DRIVE_LIST, LBN_DBLCLK),
};

}  // namespace

MessageMap CKorvane_Safe_EjectDlg::GetMessageMap() const {
    return kMessageMap;
}

void CKorvane_Safe_EjectDlg::OnSysCommand(UINT command) {
    switch (command & 0xFFF0) {
        case IDM_ABOUTBOX:
            ShowAboutBox();
            break;
        case SC_CLOSE:  // the close button, the system menu and Alt+F4
            EndProcess();
            break;
        case SC_MINIMIZE:  // to the taskbar; only "Minimize to tray" hides the window
            ShowWindow(SW_MINIMIZE);
            break;
        default:
            Default();
    }
}

void CKorvane_Safe_EjectDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

// Every device event rebuilds the list at once; an arrival or a completed
// removal rebuilds it twice in a row.
void CKorvane_Safe_EjectDlg::OnDeviceChange(UINT event) {
    m_driveList.RemoveAllItems();
    RefreshDriveList();
    if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) {
        m_driveList.RemoveAllItems();
        RefreshDriveList();
    }
}

// Only the label-retry timer rebuilds the list.
void CKorvane_Safe_EjectDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == DriveTable::kRetryTimerId) RefreshDriveList();
    if (timerId == kTrayRetryTimerId) OnTrayRetryTimer();
    Default();
}

void CKorvane_Safe_EjectDlg::OnExit() {
    EndProcess();
}
