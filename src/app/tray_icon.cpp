// The main window's life in the notification area: going there, the icon's
// double-click and menu, and coming back.
#include "app/main_dialog.h"
#include "res/resource.h"

#if defined(_WIN32) && !defined(_WIN64)
// The complete ANSI record of the 32-bit program (its size is its version).
static_assert(sizeof(NOTIFYICONDATAA) == 508);
#endif

namespace {
// TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, no horizontal flag: the menu's
// bottom-left corner lies at the cursor.
constexpr UINT kTrayMenuFlags = TPM_RIGHTBUTTON | TPM_BOTTOMALIGN;
}  // namespace

void CKorvane_Safe_EjectDlg::MinimizeToTray() {
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);

    m_trayIcon = NOTIFYICONDATAA{};
    m_trayIcon.cbSize = sizeof(NOTIFYICONDATAA);
    m_trayIcon.hWnd = m_hWnd;
    m_trayIcon.uID = kTrayIconId;
    m_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON;  // no NIF_TIP: the icon has no tooltip
    m_trayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    m_trayIcon.hIcon = m_hIcon;

    if (!m_trayMenu.LoadMenu(IDR_TRAY_MENU)) ShowMessage("Cannot load menu");

    // An icon still shown from an earlier visit (the tray's Restore leaves it)
    // cannot be added again: Windows refuses a second icon with the same id.
    // Reporting that as a failure would be wrong, as the icon is there.
    const bool shown = m_system.Shell_NotifyIconA(NIM_ADD, &m_trayIcon) || m_trayIconShown;
    if (!shown) {
        ShowMessage("Unable to Set Tray Icon");
        return;
    }
    m_trayIconShown = true;
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

void CKorvane_Safe_EjectDlg::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != kTrayIconId) return;
    switch (mouseMessage) {
        // A right click sends both a press and a release; the menu opens on the
        // press only.
        case WM_CONTEXTMENU:
        case WM_RBUTTONDOWN: {
            POINT cursor{};
            m_system.GetCursorPos(&cursor);
            ShowTrayMenu(cursor.x, cursor.y);
            break;
        }
        case WM_LBUTTONDBLCLK:
            m_system.Shell_NotifyIconA(NIM_DELETE, &m_trayIcon);
            m_trayIconShown = false;
            RefreshDriveList();
            ShowWindow(SW_SHOW);
            ShowWindow(SW_RESTORE);
            break;
        default:
            break;
    }
}

// Without a loaded tray menu there is nothing to show.
void CKorvane_Safe_EjectDlg::ShowTrayMenu(int x, int y) {
    HMENU popup = m_trayMenu.GetSubMenu(0);
    if (popup == nullptr) return;
    m_system.TrackPopupMenu(popup, kTrayMenuFlags, x, y, 0, m_hWnd, nullptr);
}

// The icon stays in the tray and the list is not rebuilt.
void CKorvane_Safe_EjectDlg::OnTrayRestore() {
    ShowWindow(SW_SHOW);
    ShowWindow(SW_RESTORE);
}

void CKorvane_Safe_EjectDlg::OnTrayExit() {
    m_system.Shell_NotifyIconA(NIM_DELETE, &m_trayIcon);
    m_system.ExitProcess(0);
}

void CKorvane_Safe_EjectDlg::OnDestroy() {
    Default();
    m_system.Shell_NotifyIconA(NIM_DELETE, &m_trayIcon);
    m_trayIconShown = false;
}
