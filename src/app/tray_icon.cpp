// The main window's life in the notification area: going there, the icon's
// double-click and menu, and coming back.
#include "app/main_dialog.h"
#include "res/resource.h"

// The complete ANSI record (its size is its version): 508 bytes in a 32-bit
// program, 528 in a 64-bit one.
static_assert(sizeof(NOTIFYICONDATAA) == (sizeof(void*) == 4 ? 508 : 528));

const UINT WM_TASKBARCREATED = ::RegisterWindowMessageA("TaskbarCreated");

namespace {
// TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, no horizontal flag: the menu's
// bottom-left corner lies at the cursor.
constexpr UINT kTrayMenuFlags = TPM_RIGHTBUTTON | TPM_BOTTOMALIGN;
// Wine closes a menu on a click elsewhere by itself, and there the cure does
// harm: the X server's news that the tray took the focus with the click
// arrives after the window has made itself foreground, and closes the new
// menu at once.
bool RunsOnWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

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
    // Also when the add fails (a log-on start before the taskbar is ready):
    // the taskbar's arrival then brings the icon, and with it the window.
    m_trayIconWanted = true;

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
            DeleteTrayIcon();
            RefreshDriveList();
            ShowWindow(SW_SHOW);
            ShowWindow(SW_RESTORE);
            break;
        default:
            break;
    }
}

// A new taskbar has an empty tray. A failure here is not the user's request
// failing, so it is not reported; the next taskbar start tries again.
void CKorvane_Safe_EjectDlg::OnTaskbarCreated() {
    if (!m_trayIconWanted) return;
    if (m_system.Shell_NotifyIconA(NIM_ADD, &m_trayIcon)) m_trayIconShown = true;
}

// Without a loaded tray menu there is nothing to show. Windows closes a menu
// on a click elsewhere only when its owner is the foreground window, and the
// message posted afterwards lets the next right click open it again
// (Microsoft's documented cure).
void CKorvane_Safe_EjectDlg::ShowTrayMenu(int x, int y) {
    HMENU popup = m_trayMenu.GetSubMenu(0);
    if (popup == nullptr) return;
    if (!RunsOnWine()) ::SetForegroundWindow(m_hWnd);
    m_system.TrackPopupMenu(popup, kTrayMenuFlags, x, y, 0, m_hWnd, nullptr);
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
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
    DeleteTrayIcon();
}

void CKorvane_Safe_EjectDlg::DeleteTrayIcon() {
    m_system.Shell_NotifyIconA(NIM_DELETE, &m_trayIcon);
    m_trayIconShown = false;
    m_trayIconWanted = false;
}
