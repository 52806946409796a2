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
// A minute of tries, one every 2 seconds.
constexpr UINT kTrayRetryIntervalMs = 2000;
constexpr int kTrayAddTries = 60000 / kTrayRetryIntervalMs;
}  // namespace

void CKorvane_Safe_EjectDlg::MinimizeToTray() {
    if (!EnterTray()) ShowMessage("Unable to Set Tray Icon");
}

// At log-on Explorer often refuses icons for a while although its taskbar is
// there, and then sends no TaskbarCreated: the add is tried again, quietly,
// and only the last try's failure is reported.
void CKorvane_Safe_EjectDlg::MinimizeToTrayAtStart() {
    if (EnterTray()) return;
    m_trayAddTriesLeft = kTrayAddTries;
    m_system.SetTimer(m_hWnd, kTrayRetryTimerId, kTrayRetryIntervalMs, nullptr);
}

// Answers whether the icon is in the tray; the window is hidden either way.
bool CKorvane_Safe_EjectDlg::EnterTray() {
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
    // Also when the add fails: the taskbar's (re)start then brings the icon,
    // and with it the window.
    m_trayIconWanted = true;

    // An icon still shown from an earlier visit (the tray's Restore leaves it)
    // cannot be added again: Windows refuses a second icon with the same id.
    // Reporting that as a failure would be wrong, as the icon is there.
    if (!AddTrayIcon() && !m_trayIconShown) return false;
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
    return true;
}

// However the icon gets into the tray, the retries end with it.
bool CKorvane_Safe_EjectDlg::AddTrayIcon() {
    if (!m_system.Shell_NotifyIconA(NIM_ADD, &m_trayIcon)) return false;
    m_trayIconShown = true;
    StopTrayRetry();
    return true;
}

// A tick already queued when the timer was killed still arrives: it finds no
// tries left and does nothing.
void CKorvane_Safe_EjectDlg::OnTrayRetryTimer() {
    if (m_trayAddTriesLeft == 0 || AddTrayIcon()) return;
    if (--m_trayAddTriesLeft > 0) return;
    m_system.KillTimer(m_hWnd, kTrayRetryTimerId);
    ShowMessage("Unable to Set Tray Icon");
}

void CKorvane_Safe_EjectDlg::StopTrayRetry() {
    if (m_trayAddTriesLeft == 0) return;
    m_trayAddTriesLeft = 0;
    m_system.KillTimer(m_hWnd, kTrayRetryTimerId);
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
    if (m_trayIconWanted) AddTrayIcon();
}

// Without a loaded tray menu there is nothing to show. Windows closes a menu
// on a click elsewhere only when its owner is the foreground window, and the
// message posted afterwards lets the next right click open it again
// (Microsoft's documented cure).
void CKorvane_Safe_EjectDlg::ShowTrayMenu(int x, int y) {
    HMENU popup = m_trayMenu.GetSubMenu(0);
    if (popup == nullptr) return;
    if (m_system.MenuOwnerMustBeForeground()) m_system.SetForegroundWindow(m_hWnd);
    m_system.TrackPopupMenu(popup, kTrayMenuFlags, x, y, 0, m_hWnd, nullptr);
    m_system.PostMessageA(m_hWnd, WM_NULL, 0, 0);
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
    StopTrayRetry();
}
