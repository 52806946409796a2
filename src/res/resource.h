// Resource ids: the one list the .rc file and the code share.
#pragma once

// Dialog templates
#define IDD_KORVANE_SAFE_EJECT_DIALOG 102
#define IDD_USER_GUIDE 155
#define IDD_ABOUTBOX 156

// Menus
#define IDR_MAIN_MENU 135
#define IDR_TRAY_MENU 132

// Icons; the program icon is the lowest-numbered, so Explorer shows it.
#define IDI_PROGRAM 128
#define IDI_CITADEL 129
#define IDI_KR7 130
#define IDI_GENERIC_DISK 131
#define IDI_NO_DRIVES 133
#define IDI_REFRESH 137
#define IDI_WARDEN 138

// Strings and data
#define IDS_ABOUTBOX 101
#define IDR_LICENSE_TEXT 141
#define IDR_USER_GUIDE_HTML 112
#define IDR_USER_GUIDE_PICTURE 157

// Controls
#define IDC_DRIVE_LIST 1004
#define IDC_VERSION_TEXT 1011
#define IDC_REFRESH_ICON 1012
#define IDC_WEB_ADDRESS 1137
#define IDC_LICENSE_EDIT 1138

// Commands
#define ID_TRAY_EXIT 32771
#define ID_TRAY_RESTORE 32772
#define ID_OPTIONS_MINIMIZE_TO_TRAY 32778
#define ID_OPTIONS_AUTOSTART 32779
#define ID_OPTIONS_EXIT 32780
#define ID_HELP_ABOUT 32781
#define ID_HELP_VISIT 32782
#define ID_HELP_USER_GUIDE 32783

// The system menu's About item; system commands keep the low four bits free.
#define IDM_ABOUTBOX 0x0010
