// The main window as Windows drives it and the user sees it: its start-up,
// its icons, its place and size at each display scale.
#include <optional>
#include <tuple>

#include "main_window_fixture.h"
#include "picture.h"

namespace {

// Start-up puts the About item last in the system menu, after a separator,
// gives the window the program's icon as its big and small one, fills and
// focuses the list. (The command line's switch is the journeys'.)
TEST_F(MainWindowTest, StartUpGivesTheWindowItsMenuIconsAndFocus) {
    char text[128] = {};
    const HMENU systemMenu = ::GetSystemMenu(Window(), FALSE);
    const int items = ::GetMenuItemCount(systemMenu);
    ::GetMenuStringA(systemMenu, items - 1, text, sizeof(text), MF_BYPOSITION);
    EXPECT_EQ(
        std::tuple(::GetMenuItemID(systemMenu, items - 1), std::string(text),
                   ::GetMenuState(systemMenu, items - 2, MF_BYPOSITION) & MF_SEPARATOR),
        std::tuple(UINT{IDM_ABOUTBOX}, "&About Korvane Vuru DIZ Azova...", UINT{MF_SEPARATOR}));
    const auto program = static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, 0));
    Picture expected(32, 32);
    ::DrawIconEx(expected.dc, 0, 0, program, 32, 32, 0, nullptr, DI_NORMAL);
    for (const WPARAM which : {ICON_BIG, ICON_SMALL}) {
        Picture drawn(32, 32);
        ::DrawIconEx(drawn.dc, 0, 0, reinterpret_cast<HICON>(Send(WM_GETICON, which)), 32, 32, 0,
                     nullptr, DI_NORMAL);
        EXPECT_EQ(drawn.FirstDifference(expected), "") << which;
    }
    EXPECT_EQ(List().GetCount(), 5);  // KR7, Citadel, locked Warden, generic stick, UAS SSD
    EXPECT_EQ(::GetFocus(), List().m_hWnd);
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

// The first place in the z-order a window is asked for, once it is watched.
LRESULT CALLBACK WatchZOrder(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR asked) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    auto& first = *reinterpret_cast<std::optional<HWND>*>(asked);
    if (message == WM_WINDOWPOSCHANGING && !(pos->flags & SWP_NOZORDER) && !first)
        first = pos->hwndInsertAfter;
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// The window goes where it goes at 100% scale, 400 and 246 pixels from the
// screen's lower-right corner, unless part of it would then be off the
// screen: a larger window is moved in just enough, and one larger than the
// screen keeps its top-left corner, and with it the caption, on it. It asks
// for the top of the z-order, not above every other program's windows:
// Windows honours that where it refuses the activation that would raise the
// window anyway (Wine always raises it).
TEST_F(MainWindowTest, PlacementKeepsTheWindowWhollyOnTheScreenAndOnTop) {
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
        std::optional<HWND> asked;
        ::SetWindowSubclass(Window(), WatchZOrder, 1, reinterpret_cast<DWORD_PTR>(&asked));
        dialog->PlaceNearLowerRight();
        ::RemoveWindowSubclass(Window(), WatchZOrder, 1);
        RECT placed{};
        ::GetWindowRect(Window(), &placed);
        EXPECT_EQ(std::tuple(placed.left, placed.top, asked,
                             ::GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST),
                  std::tuple(left, top, std::optional<HWND>(HWND_TOP), 0L))
            << cx << "x" << cy;
    }
}

}  // namespace
