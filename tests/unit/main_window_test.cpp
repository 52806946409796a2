// The main window as Windows drives it: its start-up, every row of its message
// table, the refreshes each trigger causes, and the ways it ends.
#include <set>
#include <tuple>

#include "main_window_fixture.h"

namespace {

HWND g_modalToClose = nullptr;
std::string g_modalCaption;

void CALLBACK CloseModalTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = ::FindWindowA(nullptr, g_modalCaption.c_str());
    if (window == nullptr || !::IsWindowVisible(window)) return;
    ::KillTimer(nullptr, timer);
    g_modalToClose = window;
    ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

void CloseModalWindowWhenShown(const char* caption) {
    g_modalCaption = caption;
    g_modalToClose = nullptr;
    ::SetTimer(nullptr, 0, 20, &CloseModalTimer);
}

namespace {

TEST_F(MainWindowTest, StartsWithItsMenusIconsListAndPlace) {
    HMENU systemMenu = ::GetSystemMenu(Window(), FALSE);
    const int items = ::GetMenuItemCount(systemMenu);
    EXPECT_EQ(::GetMenuItemID(systemMenu, items - 1), static_cast<UINT>(IDM_ABOUTBOX));
    char text[128] = {};
    ::GetMenuStringA(systemMenu, items - 1, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Korvane Vuru DIZ Azova...");
    EXPECT_EQ(::GetMenuState(systemMenu, items - 2, MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));

    EXPECT_EQ(reinterpret_cast<HICON>(Send(WM_GETICON, ICON_BIG)), dialog->m_hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(Send(WM_GETICON, ICON_SMALL)), dialog->m_hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(Send(WM_QUERYDRAGICON)), dialog->m_hIcon);

    RECT frame;
    ::GetWindowRect(Window(), &frame);
    EXPECT_EQ(frame.left, ::GetSystemMetrics(SM_CXSCREEN) - 400);
    EXPECT_EQ(frame.top, ::GetSystemMetrics(SM_CYSCREEN) - 246);

    // The default machine: KR7, Citadel, locked Warden, generic stick, newest first.
    EXPECT_EQ(Refreshes(), 1u);
    EXPECT_EQ(List().GetCount(), 4);
    EXPECT_EQ(dialog->m_driveTexts.size(), 4u);
    EXPECT_EQ(::GetFocus(), List().m_hWnd);
    EXPECT_EQ(::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED,
              0u);
}

TEST_F(MainWindowTest, AutostartMarkShowsAnExistingShortcut) {
    system.existingFiles.insert(system.startupFolder + "\\Korvane_Safe_Eject.lnk");
    CreateWindowOn(DefaultMachineDescription());
    EXPECT_EQ(::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
}

TEST_F(MainWindowTest, DeviceChangesRebuildOnceOrTwice) {
    for (const auto& [event, rebuilds] : {std::pair<UINT, size_t>{DBT_DEVNODES_CHANGED, 1},
                                          {DBT_DEVICEARRIVAL, 2},
                                          {DBT_DEVICEREMOVECOMPLETE, 2},
                                          {DBT_DEVICEQUERYREMOVE, 1}}) {
        const size_t before = Refreshes();
        // The window never denies a removal.
        EXPECT_EQ(Send(WM_DEVICECHANGE, event), 0) << event;
        EXPECT_EQ(Refreshes() - before, rebuilds) << event;
        EXPECT_EQ(List().GetCount(), 4) << event;
        EXPECT_EQ(List().RecordCount(), 4u) << event;
    }
}

TEST_F(MainWindowTest, TimerAndRefreshIconRebuildOnce) {
    const size_t before = Refreshes();
    Send(WM_TIMER, DriveTable::kRetryTimerId);
    EXPECT_EQ(Refreshes() - before, 1u);
    Command(IDC_REFRESH_ICON, STN_CLICKED);
    EXPECT_EQ(Refreshes() - before, 2u);
    // The default machine's locked drive keeps the retry timer going.
    EXPECT_EQ(system.CountCalls("SetTimer(1,3000,null)"), 3u);
}

TEST_F(MainWindowTest, EscAndOtherCancelRequestsDoNothing) {
    Command(IDCANCEL, BN_CLICKED);
    ::SendMessageA(List().m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(::IsWindowVisible(Window()));
    EXPECT_EQ(system.CountCalls("ExitProcess"), 0u);
}

TEST_F(MainWindowTest, CloseAltF4AndExitEndTheProcessWithCodeZero) {
    for (const auto& message : {std::tuple<UINT, WPARAM>{WM_SYSCOMMAND, SC_CLOSE},
                                {WM_SYSCOMMAND, SC_CLOSE | 0x2},
                                {WM_COMMAND, ID_OPTIONS_EXIT}}) {
        CreateWindowOn(DefaultMachineDescription());
        system.calls.clear();
        Send(std::get<0>(message), std::get<1>(message));
        EXPECT_EQ(system.calls, std::vector<std::string>{"ExitProcess(0)"})
            << "the tray icon is not deleted on this path";
    }
}

TEST_F(MainWindowTest, MinimiseGoesToTheTaskbarAndPaintsTheIcon) {
    Send(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(::IsIconic(Window()));
    EXPECT_TRUE(::IsWindowVisible(Window()));
    EXPECT_EQ(system.CountCalls("Shell_NotifyIconA"), 0u);
    ::InvalidateRect(Window(), nullptr, TRUE);
    ::UpdateWindow(Window());  // painting while minimised must not fail or loop
    EXPECT_FALSE(::GetUpdateRect(Window(), nullptr, FALSE));
}

TEST_F(MainWindowTest, AboutBoxFromTheSystemMenuAndTheHelpMenu) {
    for (const auto& [message, value] :
         {std::pair<UINT, WPARAM>{WM_SYSCOMMAND, IDM_ABOUTBOX}, {WM_COMMAND, ID_HELP_ABOUT}}) {
        CloseModalWindowWhenShown("About Korvane Safe Eject");
        Send(message, value);
        EXPECT_NE(g_modalToClose, nullptr);
        EXPECT_FALSE(::IsWindow(g_modalToClose));
        EXPECT_TRUE(::IsWindowEnabled(Window()));
    }
}

TEST_F(MainWindowTest, VisitOpensTheWebSiteThroughTheShell) {
    Command(ID_HELP_VISIT);
    EXPECT_EQ(system.calls.back(),
              "ShellExecuteA(0x0,open,http://www.korvane.example/,null,null,1)");
}

// Every row of the message table is reached by its message; a new row
// without a test here fails this test.
TEST_F(MainWindowTest, EveryMessageTableRowIsCovered) {
    const std::set<std::tuple<UINT, UINT, UINT>> tested{
        {WM_SYSCOMMAND, 0, 0},
        {WM_PAINT, 0, 0},
        {WM_QUERYDRAGICON, 0, 0},
        {WM_DEVICECHANGE, 0, 0},
        {WM_TRAYNOTIFY, 0, 0},
        {::RegisterWindowMessageA("TaskbarCreated"), 0, 0},
        {WM_DESTROY, 0, 0},
        {WM_TIMER, 0, 0},
        {WM_COMMAND, 0, ID_TRAY_EXIT},
        {WM_COMMAND, 0, ID_TRAY_RESTORE},
        {WM_COMMAND, 0, ID_OPTIONS_MINIMIZE_TO_TRAY},
        {WM_COMMAND, 0, ID_OPTIONS_AUTOSTART},
        {WM_COMMAND, 0, ID_OPTIONS_EXIT},
        {WM_COMMAND, 0, ID_HELP_ABOUT},
        {WM_COMMAND, 0, ID_HELP_VISIT},
        {WM_COMMAND, 0, ID_HELP_USER_GUIDE},
        {WM_COMMAND, STN_CLICKED, IDC_REFRESH_ICON},
        {WM_COMMAND, LBN_DBLCLK, IDC_DRIVE_LIST}};
    std::set<std::tuple<UINT, UINT, UINT>> declared;
    for (const MessageMapEntry& entry : dialog->GetMessageMap()) {
        const UINT message = entry.registeredMessage ? *entry.registeredMessage : entry.message;
        declared.insert({message, entry.code, entry.id});
    }
    EXPECT_EQ(declared, tested);
}

}  // namespace
