// The main window as Windows drives it and the user sees it: its start-up,
// every row of its message table reached by its real message, the icon of
// the minimised window, and the About box.
#include <functional>
#include <set>
#include <tuple>

#include "help/about_dialog.h"
#include "help/help_dialog.h"
#include "main_window_fixture.h"

namespace {

HWND g_aboutBox = nullptr;  // the About box the timer below closed

// Closes the About box from inside its own modal loop once it is shown.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    g_aboutBox = ::FindWindowA(nullptr, "About Korvane Safe Eject");
    if (g_aboutBox == nullptr || !::IsWindowVisible(g_aboutBox)) return;
    ::KillTimer(nullptr, timer);
    ::PostMessageA(g_aboutBox, WM_COMMAND, IDCANCEL, 0);
}

// Start-up puts an About item in the system menu, fills and focuses the list
// and marks autostart as the shortcut says. Older copies end and this one
// (process 100) stays. The switch is looked for in the whole command line,
// case-sensitive and untokenised.
TEST_F(MainWindowTest, StartUpEndsOlderCopiesAndGoesToTheTrayOnlyWithTheSwitch) {
    char text[128] = {};
    ::GetMenuStringA(::GetSystemMenu(Window(), FALSE), IDM_ABOUTBOX, text, sizeof(text),
                     MF_BYCOMMAND);
    EXPECT_STREQ(text, "&About Korvane Vuru DIZ Azova...");
    EXPECT_EQ(List().GetCount(), 5);  // KR7, Citadel, locked Warden, generic stick, UAS SSD
    EXPECT_EQ(::GetFocus(), List().m_hWnd);
    const std::string shortcut = system.startupFolder + "\\Korvane_Safe_Eject.lnk";
    for (const auto& [commandLine, toTray, linked] :
         {std::tuple<const char*, size_t, bool>{"", 0, true},
          {"/min", 1, false},
          {"\"C:\\K.exe\" /MIN", 0, false},
          {"\"C:\\K.exe\" /minimize", 1, true},
          {"C:\\tools/min\\K.exe", 1, false}}) {
        system.commandLine = commandLine;
        system.calls.clear();
        system.terminated.clear();
        system.processes = {{7, "Korvane_Safe_Eject.exe"}, {100, "Korvane_Safe_Eject.exe"}};
        system.existingFiles = linked ? std::set{shortcut} : std::set<std::string>{};
        CreateWindowOn(DefaultMachineDescription());
        EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(0)"), toTray) << commandLine;  // NIM_ADD
        EXPECT_EQ(system.terminated, std::vector<DWORD>{7});
        EXPECT_EQ(::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, 0) & MF_CHECKED,
                  linked ? UINT{MF_CHECKED} : 0u);
    }
}

// Each case is sent on a fresh window, after its `before`; every row of the
// message table must be reached by some case.
TEST_F(MainWindowTest, EveryMessageTableRowDoesWhatItShould) {
    size_t refreshes = 0;
    auto refreshed = [&](size_t n) {
        return [&, n](LRESULT) { return Refreshes() - refreshes == n; };
    };
    auto calls = [&](std::vector<std::string> expected) {
        return [&, expected](LRESULT) { return system.calls == expected; };
    };
    auto visible = [&](bool shown) {
        return [&, shown](LRESULT) { return !!::IsWindowVisible(Window()) == shown; };
    };
    auto toTray = [&] { Command(ID_OPTIONS_MINIMIZE_TO_TRAY), system.calls.clear(); };
    auto about = [] { g_aboutBox = nullptr, ::SetTimer(nullptr, 0, 20, &CloseAboutBox); };
    auto aboutClosed = [](LRESULT) { return g_aboutBox && !::IsWindow(g_aboutBox); };
    const std::vector<std::string> exit{"ExitProcess(0)"};
    const struct {
        UINT message, code, id;  // for WM_COMMAND its code and id, otherwise wParam in id
        std::function<void()> before;
        std::function<bool(LRESULT)> effect;
    } cases[] = {
        {WM_SYSCOMMAND, 0, SC_CLOSE, nullptr, calls(exit)},
        {WM_SYSCOMMAND, 0, SC_CLOSE | 0x2, nullptr, calls(exit)},  // Alt+F4
        {WM_SYSCOMMAND, 0, IDM_ABOUTBOX, about, aboutClosed},
        {WM_SYSCOMMAND, 0, SC_MINIMIZE, nullptr,
         [&](LRESULT) { return ::IsIconic(Window()) && system.calls.empty(); }},
        {WM_PAINT, 0, 0, [&] { ::InvalidateRect(Window(), nullptr, TRUE); },
         [&](LRESULT) { return !::GetUpdateRect(Window(), nullptr, FALSE); }},
        {WM_QUERYDRAGICON, 0, 0, nullptr,
         [&](LRESULT icon) { return icon == reinterpret_cast<LRESULT>(dialog->m_hIcon); }},
        // Never denying a removal.
        {WM_DEVICECHANGE, 0, DBT_DEVICEARRIVAL, nullptr,
         [&](LRESULT r) { return r == 0 && refreshed(2)(r); }},
        {WM_DEVICECHANGE, 0, DBT_DEVICEREMOVECOMPLETE, nullptr, refreshed(2)},
        {WM_DEVICECHANGE, 0, DBT_DEVNODES_CHANGED, nullptr, refreshed(1)},
        {WM_TIMER, 0, DriveTable::kRetryTimerId, nullptr, refreshed(1)},
        {WM_DPICHANGED, 0, MAKEWPARAM(144, 144), [&] { dialog->m_followsDpiChanges = true; },
         [&](LRESULT) { return List().SendMessage(LB_GETITEMHEIGHT, 0) == 60; }},
        {WM_TRAYNOTIFY, 0, kTrayIconId, toTray,
         [&](LRESULT) { return system.CountCalls("TrackPopupMenu(0x22,0,0,0,null)") == 1; }},
        {::RegisterWindowMessageA("TaskbarCreated"), 0, 0, toTray, calls({"Shell_NotifyIconA(0)"})},
        {WM_DESTROY, 0, 0, nullptr, calls({"Shell_NotifyIconA(2)"})},
        {WM_COMMAND, 0, ID_TRAY_EXIT, toTray, calls({"Shell_NotifyIconA(2)", "ExitProcess(0)"})},
        {WM_COMMAND, 0, ID_TRAY_RESTORE, toTray, visible(true)},
        {WM_COMMAND, 0, ID_OPTIONS_MINIMIZE_TO_TRAY, nullptr, visible(false)},
        {WM_COMMAND, 0, ID_OPTIONS_AUTOSTART, nullptr,
         [&](LRESULT) { return system.CountCalls("CoCreateInstance") == 1; }},
        {WM_COMMAND, 0, ID_OPTIONS_EXIT, nullptr, calls(exit)},
        {WM_COMMAND, 0, ID_HELP_ABOUT, about, aboutClosed},
        {WM_COMMAND, 0, ID_HELP_VISIT, nullptr,
         calls({"ShellExecuteA(0x0,open,http://www.korvane.example/,null,null,1)"})},
        // The guide: an unowned, resizable top-level window that keeps its scroll bars.
        {WM_COMMAND, 0, ID_HELP_USER_GUIDE, nullptr,
         [&](LRESULT) {
             HelpDialog* guide = dialog->m_pHelpDialog;
             if (!guide) return false;
             const auto style = ::GetWindowLongPtrA(guide->m_hWnd, GWL_STYLE);
             const bool right = (guide->m_dwHostFlags & DOCHOSTUIFLAG_SCROLL_NO) == 0 &&
                                (style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CHILD)) ==
                                    (WS_THICKFRAME | WS_MAXIMIZEBOX) &&
                                !::GetWindow(guide->m_hWnd, GW_OWNER) &&
                                ::IsWindowVisible(guide->m_hWnd);
             guide->DestroyWindow();
             return right;
         }},
        {WM_COMMAND, BN_CLICKED, IDCANCEL, nullptr, visible(true)},  // Esc
        {WM_COMMAND, STN_CLICKED, IDC_REFRESH_ICON, nullptr, refreshed(1)},
        // Row 4 is the KR7, disk 1: ejected, and the list rebuilt.
        {WM_COMMAND, LBN_DBLCLK, IDC_DRIVE_LIST, [&] { List().m_chosenIndex = 4; },
         [&](LRESULT r) { return !machine->HasDisk(1) && refreshed(1)(r); }},
    };
    std::set<std::tuple<UINT, UINT, UINT>> reached;
    RECT suggested{0, 0, 600, 250};
    for (const auto& c : cases) {
        CreateWindowOn(DefaultMachineDescription());
        system.calls.clear();
        refreshes = Refreshes();
        if (c.before) c.before();
        const bool command = c.message == WM_COMMAND;
        const LRESULT result =
            command ? Send(WM_COMMAND, MAKEWPARAM(c.id, c.code),
                           reinterpret_cast<LPARAM>(::GetDlgItem(Window(), c.id)))
                    : Send(c.message, c.id,
                           c.message == WM_TRAYNOTIFY   ? WM_RBUTTONDOWN
                           : c.message == WM_DPICHANGED ? reinterpret_cast<LPARAM>(&suggested)
                                                        : 0);
        EXPECT_TRUE(c.effect(result)) << std::hex << c.message << " " << c.id;
        reached.insert({c.message, command ? c.code : 0, command ? c.id : 0});
    }
    for (const MessageMapEntry& entry : dialog->GetMessageMap()) {
        const UINT message = entry.registeredMessage ? *entry.registeredMessage : entry.message;
        EXPECT_TRUE(reached.count({message, entry.code, entry.id}))
            << std::hex << message << " " << entry.id;
    }
}

// The side of an icon's image, in pixels.
int IconSide(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    ::GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap);
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
    return bitmap.bmWidth;
}

// Every size of the window that scales: each row's height and its icon's
// side, the big, small and refresh icons' sides, the list's extent.
std::vector<int> ScalingSizes(HWND window, const CListBoxCH& list) {
    std::vector<int> sizes;
    for (int row = 0; row < list.GetCount(); ++row) {
        RECT rect{};
        list.GetItemRect(row, &rect);
        sizes.push_back(rect.bottom - rect.top);
        sizes.push_back(IconSide(static_cast<const CExtItem*>(list.GetItemDataPtr(row))->m_icon));
    }
    for (const WPARAM which : {ICON_BIG, ICON_SMALL})
        sizes.push_back(
            IconSide(reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, which, 0))));
    sizes.push_back(IconSide(reinterpret_cast<HICON>(
        ::SendDlgItemMessageA(window, IDC_REFRESH_ICON, STM_GETICON, 0, 0))));
    sizes.push_back(list.GetHorizontalExtent());
    return sizes;
}

// Moved to monitors of 150%, 200% and back to 100% scale, as Windows tells
// it: where Windows lays the dialog out anew, the window takes the place
// Windows suggests and every size its 100% size scaled, in the rows shown and
// in those a rebuild makes; where it does not (the first per-monitor mode),
// nothing changes.
TEST_F(MainWindowTest, WindowFollowsEachChangeOfDisplayScale) {
    std::vector<int> at96;  // rows 40 high, icons of 32 pixels, the refresh icon's 16
    for (int row = 0; row < List().GetCount(); ++row) at96.insert(at96.end(), {40, 32});
    at96.insert(at96.end(), {32, 32, 16, List().GetHorizontalExtent()});
    ASSERT_EQ(ScalingSizes(Window(), List()), at96);
    RECT start{};
    ::GetWindowRect(Window(), &start);
    for (const auto& [follows, dpi] :
         {std::pair{false, 144u}, {true, 144u}, {true, 192u}, {true, 96u}}) {
        dialog->m_followsDpiChanges = follows;
        RECT suggested{40, 30, 40 + ScaleToDpi(380, dpi), 30 + ScaleToDpi(161, dpi)}, placed{};
        Send(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        ::GetWindowRect(Window(), &placed);
        EXPECT_TRUE(::EqualRect(&placed, follows ? &suggested : &start)) << dpi;
        std::vector<int> expected = at96;
        for (int& size : expected) size = ScaleToDpi(size, follows ? dpi : 96);
        EXPECT_EQ(ScalingSizes(Window(), List()), expected) << dpi;
        Command(IDC_REFRESH_ICON, STN_CLICKED);
        EXPECT_EQ(ScalingSizes(Window(), List()), expected) << dpi << " rebuilt";
    }
}

// The window goes where it goes at 100% scale, 400 and 246 pixels from the
// screen's lower-right corner, unless part of it would then be off the
// screen: a larger window is moved in just enough, and one larger than the
// screen keeps its top-left corner, and with it the caption, on it.
TEST_F(MainWindowTest, PlacementKeepsTheWindowWhollyOnTheScreen) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(
        ::GetMonitorInfoA(::MonitorFromWindow(Window(), MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT& work = monitor.rcWork;
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    for (const auto& [cx, cy, left, top] : std::initializer_list<std::tuple<int, int, long, long>>{
             {380, 161, width - 400, height - 246},
             {500, 300, work.right - 500, work.bottom - 300},
             {width + 100, height + 50, work.left, work.top}}) {
        ::SetWindowPos(Window(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
        dialog->PlaceNearLowerRight();
        RECT placed{};
        ::GetWindowRect(Window(), &placed);
        EXPECT_EQ(std::tuple(placed.left, placed.top), std::tuple(left, top)) << cx << "x" << cy;
    }
}

// The icon a minimised window paints lies centred in its area. Today's
// Windows gives an iconic window no client area to paint, so the window is
// made iconic as older Windows did: its area kept, its controls gone, its
// painting (under Wine as there) measured from the window's own corner.
TEST_F(MainWindowTest, MinimisedWindowPaintsItsIconCentred) {
    // Read from the screen: no window of an earlier test may lie over it.
    ::SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (HWND child = ::GetWindow(Window(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::ShowWindow(child, SW_HIDE);
    }
    ::SetWindowLongA(Window(), GWL_STYLE, ::GetWindowLongA(Window(), GWL_STYLE) | WS_MINIMIZE);
    RECT client, window;
    ::GetClientRect(Window(), &client);
    ::GetWindowRect(Window(), &window);
    const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    const int left = window.left + (client.right - cx + 1) / 2;
    const int top = window.top + (client.bottom - cy + 1) / 2;
    HDC screen = ::GetDC(nullptr);
    int inked = 0;
    // The X server shows the window when it gets to it: a busy one, later.
    for (int tries = 0; tries < 40 && inked <= cx * cy / 4; ++tries, ::Sleep(50)) {
        ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const COLORREF background = ::GetPixel(screen, window.right - 10, window.bottom - 10);
        inked = 0;
        for (int i = 0; i < cx * cy; ++i)
            inked += ::GetPixel(screen, left + i % cx, top + i / cx) != background;
    }
    ::ReleaseDC(nullptr, screen);
    EXPECT_GT(inked, cx * cy / 4);
}

// The licence shown byte for byte, wrapped at the field's edge; each click on
// the web address opens the site, and the box stays.
TEST_F(MainWindowTest, AboutBoxShowsTheLicenceAsStoredAndOpensTheSite) {
    CAboutDlg about(system, dialog.get());
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX, Window()));
    about.ShowWindow(SW_SHOW);  // the template is not visible by itself
    const std::string_view stored = ResourceBytes(IDR_LICENSE_TEXT, "TEXT");
    ASSERT_GT(stored.size(), 1000u);
    EXPECT_EQ(about.m_licenseEdit.GetWindowText(), stored);
    const LONG style = ::GetWindowLongA(about.m_licenseEdit.m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & (ES_AUTOHSCROLL | WS_HSCROLL), 0);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(about.m_hWnd, IDOK));
    for (int click = 0; click < 2; ++click) {
        ::SendMessageA(about.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_WEB_ADDRESS, STN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(about.m_hWnd, IDC_WEB_ADDRESS)));
    }
    EXPECT_EQ(system.CountCalls("ShellExecuteA(0x0,open,http://www.korvane.example/,null,null,1)"),
              2u);
    EXPECT_TRUE(::IsWindowVisible(about.m_hWnd));
}

}  // namespace
