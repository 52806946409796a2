#include "app/main_dialog.h"

#include "app/application_name.h"
#include "app/command_line.h"
#include "autostart/startup_shortcut.h"
#include "eject/process_scan.h"
#include "res/resource.h"

CKorvane_Safe_EjectDlg::CKorvane_Safe_EjectDlg(DeviceApi& devices, SystemApi& system, CWnd* parent)
    : CDialog(IDD_KORVANE_SAFE_EJECT_DIALOG, parent),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM))),
      m_devices(devices),
      m_system(system),
      m_appName(ApplicationName(system)) {}

// Every exit of the program ends the process from inside its handler, so this
// runs only when the window goes away first (in tests): its WM_DESTROY must
// still reach this object, which deletes the tray icon.
CKorvane_Safe_EjectDlg::~CKorvane_Safe_EjectDlg() {
    DestroyWindow();
}

void CKorvane_Safe_EjectDlg::DoDataExchange() {
    DDX_Control(IDC_DRIVE_LIST, m_driveList);
}

BOOL CKorvane_Safe_EjectDlg::OnInitDialog() {
    // COM stays initialised until the process ends: the Startup shortcut is
    // made through it, and the drive list registers the server of its names
    // through it as soon as it is bound, in the dialog's own initialisation.
    ::CoInitialize(nullptr);
    CDialog::OnInitDialog();
    AddAboutItemToSystemMenu();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // The newest start is the copy that stays.
    TerminateOtherInstances(m_system, m_system.GetCurrentProcessId());
    RefreshDriveList();
    if (ManageStartupShortcut(m_system, ShortcutMode::Check) == kShortcutPresent) {
        ::CheckMenuItem(GetMenu(), ID_OPTIONS_AUTOSTART, MF_BYCOMMAND | MF_CHECKED);
    }
    // Placed before going to the tray: a minimised window keeps the place it
    // had when it was minimised as the one it is restored to, and a move while
    // minimised would leave the template's centred place there.
    PlaceNearLowerRight();
    // Run elevated, the window would not hear a restarted Explorer's
    // TaskbarCreated: User Interface Privilege Isolation drops it.
    m_system.ChangeWindowMessageFilterEx(m_hWnd, WM_TASKBARCREATED, MSGFLT_ALLOW, nullptr);
    if (HasMinimizedSwitch(m_system.GetCommandLineA())) MinimizeToTrayAtStart();
    return TRUE;  // the focus goes to the first tab stop, the drive list
}

// Near the lower-right corner of the primary screen, whatever the template's
// centring says; the taskbar is not taken into account.
void CKorvane_Safe_EjectDlg::PlaceNearLowerRight() {
    ::SetWindowPos(m_hWnd, HWND_TOP, ::GetSystemMetrics(SM_CXSCREEN) - 400,
                   ::GetSystemMetrics(SM_CYSCREEN) - 246, 0, 0, SWP_NOSIZE);
}

void CKorvane_Safe_EjectDlg::AddAboutItemToSystemMenu() {
    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    char text[256] = {};
    if (systemMenu == nullptr ||
        ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof(text)) <= 0) {
        return;
    }
    ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

int CKorvane_Safe_EjectDlg::RefreshDriveList() {
    return Rebuild(m_devices, m_system, m_driveList, m_hWnd);
}

// Enter reaches the window as its OK command; it ejects only when the drive
// list has the focus, and never closes the window.
void CKorvane_Safe_EjectDlg::OnOK() {
    if (::GetFocus() == m_driveList.m_hWnd) EjectSelectedDrive();
}

void CKorvane_Safe_EjectDlg::ShowMessage(const char* text) {
    m_system.MessageBoxA(m_hWnd, text, m_appName.c_str(), MB_OK);
}

void CKorvane_Safe_EjectDlg::EndProcess() {
    EndDialog(-1);
    m_system.ExitProcess(0);
}
