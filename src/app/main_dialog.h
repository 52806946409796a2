// CKorvane_Safe_EjectDlg: the program's one permanent window. It holds the
// drive list and the drive table, and routes every message and command of the
// program to the operation that answers it.
#pragma once

#include <string>

#include "drives/drive_table.h"
#include "listbox/list_box_ch.h"
#include "platform/device_api.h"
#include "platform/framework/dialog.h"
#include "platform/framework/menu.h"
#include "platform/system_api.h"

class HelpDialog;

// The tray icon's callback message.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;
inline constexpr UINT kTrayIconId = 1;
// Retries adding the icon after a hidden start; timer 1 is the label-retry timer.
inline constexpr UINT_PTR kTrayRetryTimerId = 2;
// What the shell broadcasts when the taskbar starts (again, after Explorer
// restarted): the icons that were in its tray are gone.
extern const UINT WM_TASKBARCREATED;

class CKorvane_Safe_EjectDlg : public CDialog, public DriveTable {
public:
    CKorvane_Safe_EjectDlg(DeviceApi& devices, SystemApi& system, CWnd* parent = nullptr);
    ~CKorvane_Safe_EjectDlg() override;

    int RefreshDriveList();
    void EjectSelectedDrive();
    void MinimizeToTray();         // the command: a failed add is reported at once
    void MinimizeToTrayAtStart();  // "/min": a failed add is retried for a minute first
    void ShowTrayMenu(int x, int y);
    void ToggleAutostart();
    void ShowAboutBox();
    void VisitWebSite();
    void OpenUserGuide();

    MessageMap GetMessageMap() const override;

    // Message handlers, reached through the message table.
    void OnSysCommand(UINT command);
    void OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }
    void OnDeviceChange(UINT event);
    void OnTimer(UINT_PTR timerId);
    void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    void OnTaskbarCreated();
    void OnDestroy();
    void OnTrayExit();
    void OnTrayRestore();
    void OnExit();
    void OnRefreshIconClicked() { RefreshDriveList(); }

    HICON m_hIcon;
    NOTIFYICONDATAA m_trayIcon{};
    CMenu m_trayMenu;
    CListBoxCH m_driveList;
    HelpDialog* m_pHelpDialog = nullptr;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override {}  // Esc and every other cancel request do nothing

private:
    void AddAboutItemToSystemMenu();
    void PlaceNearLowerRight();
    void ShowMessage(const char* text);
    void EndProcess();  // ends the dialog, then the process, with exit code 0
    void DeleteTrayIcon();
    bool EnterTray();
    bool AddTrayIcon();
    void OnTrayRetryTimer();
    void StopTrayRetry();

    DeviceApi& m_devices;
    SystemApi& m_system;
    std::string m_appName;
    bool m_trayIconShown = false;   // added, and not deleted since
    bool m_trayIconWanted = false;  // in the tray, or left there by Restore
    int m_trayAddTriesLeft = 0;     // while the retry timer runs
};
